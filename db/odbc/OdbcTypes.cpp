#include "db/odbc/OdbcTypes.h"

#include "db/Provider.h"

#include <sql.h>
#include <sqlext.h>

namespace db::odbc {

namespace {
constexpr int kSqlSsTime2 = -154; // FreeTDS: ASE time and bigtime
}

ColumnKind classifySqlType(int sqlType, bool isUnsigned)
{
    switch (sqlType) {
    case SQL_CHAR:
        return {ado::Char, ValueKind::Text};
    case SQL_VARCHAR:
        return {ado::VarChar, ValueKind::Text};
    case SQL_LONGVARCHAR:
        return {ado::LongVarChar, ValueKind::Text};
    case SQL_WCHAR:
        return {ado::WChar, ValueKind::Text};
    case SQL_WVARCHAR:
        return {ado::VarWChar, ValueKind::Text};
    case SQL_WLONGVARCHAR:
        return {ado::LongVarWChar, ValueKind::Text};
    case SQL_GUID:
        return {ado::GUID, ValueKind::Text};
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        return {ado::Numeric, ValueKind::Decimal};
    case SQL_BINARY:
        return {ado::Binary, ValueKind::Binary};
    case SQL_VARBINARY:
        return {ado::VarBinary, ValueKind::Binary};
    case SQL_LONGVARBINARY:
        return {ado::LongVarBinary, ValueKind::Binary};
    case SQL_BIT:
        return {ado::Boolean, ValueKind::Bit};
    case SQL_TINYINT:
    case SQL_SMALLINT:
        return {isUnsigned ? ado::UnsignedSmallInt : ado::SmallInt, ValueKind::Integer};
    case SQL_INTEGER:
        return {isUnsigned ? ado::UnsignedInt : ado::Integer, ValueKind::Integer};
    case SQL_BIGINT:
        return {ado::BigInt, ValueKind::Integer};
    case SQL_REAL:
        return {ado::Single, ValueKind::Double};
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return {ado::Double, ValueKind::Double};
    case SQL_TYPE_DATE:
    case SQL_DATE:
        return {ado::DateType, ValueKind::Date};
    case SQL_TYPE_TIME:
    case SQL_TIME:
    case kSqlSsTime2:
        return {ado::DateType, ValueKind::Time};
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        return {ado::DBTimeStamp, ValueKind::Timestamp};
    default:
        return {ado::VarChar, ValueKind::Text};
    }
}

std::optional<Decimal> parseDecimal(const std::string& text)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::string whole;
    std::string fraction;
    bool point = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c == '.' && !point)
            point = true;
        else if (c >= '0' && c <= '9')
            (point ? fraction : whole) += c;
        else
            return std::nullopt;
    }
    if (whole.empty() && fraction.empty())
        return std::nullopt;
    auto firstNonZero = whole.find_first_not_of('0');
    whole = firstNonZero == std::string::npos ? "0" : whole.substr(firstNonZero);
    Decimal d;
    d.digits = (negative ? "-" : "") + whole + (fraction.empty() ? "" : "." + fraction);
    return d;
}

} // namespace db::odbc
