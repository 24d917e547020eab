#include "db/vfp/sql/InsertValues.h"

#include "db/vfp/sql/ValueText.h"

#include <cstdint>
#include <limits>
#include <stdexcept>

namespace db::vfp {

namespace {

std::string trimmed(const std::string& s)
{
    auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

bool holdsBytes(const FieldDef& f)
{
    return f.type == 'W' || f.type == 'G' || f.type == 'Q' ||
           (f.binary && (f.type == 'C' || f.type == 'V' || f.type == 'M'));
}

std::optional<db::Value> integerValue(const std::string& text)
{
    auto d = sqltext::parseDecimalText(text);
    if (!d)
        return std::nullopt;
    std::string digits = d->digits;
    size_t dot = digits.find('.');
    if (dot != std::string::npos) {
        if (digits.find_first_not_of('0', dot + 1) != std::string::npos)
            return std::nullopt; // a fraction would be lost
        digits.resize(dot);
    }
    if (digits.size() > 11)
        return std::nullopt;
    long long v = std::stoll(digits);
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return db::Value(static_cast<std::int64_t>(v));
}

template <typename T> std::optional<db::Value> wrap(std::optional<T> v)
{
    return v ? std::optional<db::Value>(db::Value(*v)) : std::nullopt;
}

// The value of a non-null literal for the column, or nothing when the text is not of the column's form.
std::optional<db::Value> convertText(std::string& text, const FieldDef& f)
{
    if (holdsBytes(f)) {
        if (auto bytes = sqltext::parseHexText(text))
            return db::Value(std::move(*bytes));
        return db::Value(Bytes(text.begin(), text.end()));
    }
    switch (f.type) {
    case 'C':
    case 'V':
    case 'M':
        return db::Value(std::move(text));
    case 'N':
    case 'F':
        return wrap(sqltext::parseDecimalText(trimmed(text)));
    case 'I':
        return integerValue(trimmed(text));
    case 'B':
        return wrap(sqltext::parseDoubleText(trimmed(text)));
    case 'Y':
        return wrap(sqltext::parseCurrencyText(trimmed(text)));
    case 'D':
        return wrap(sqltext::parseDateText(trimmed(text)));
    case 'T':
        return wrap(sqltext::parseDateTimeText(trimmed(text)));
    case 'L':
        return wrap(sqltext::parseLogicalText(trimmed(text)));
    default:
        throw std::runtime_error(std::string("Column type '") + f.type + "' cannot take values.");
    }
}

std::string typeText(const FieldDef& f)
{
    std::string t(1, f.type);
    if (f.type == 'N' || f.type == 'F')
        return t + "(" + std::to_string(f.length) + "," + std::to_string(f.decimals) + ")";
    if (f.type == 'C' || f.type == 'V' || f.type == 'Q')
        return t + "(" + std::to_string(f.length) + ")";
    return t;
}

bool isCharacterType(const FieldDef& f)
{
    return (f.type == 'C' || f.type == 'V' || f.type == 'M') && !f.binary;
}

} // namespace

std::vector<db::Value> convertInsertValues(std::vector<SqlLiteral> values, const std::vector<FieldDef>& fields,
                                           const std::vector<std::string>& names)
{
    if (values.size() != fields.size())
        throw std::runtime_error("The statement gives " + std::to_string(values.size()) + " values for " +
                                 std::to_string(fields.size()) + " columns.");
    std::vector<db::Value> row;
    row.reserve(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        const FieldDef& f = fields[i];
        const std::string& name = i < names.size() && !names[i].empty() ? names[i] : f.name;
        SqlLiteral& lit = values[i];
        // An empty text means "no value" to every column but a character one.
        bool isNull = lit.kind == SqlLiteral::Kind::Null ||
                      (lit.kind == SqlLiteral::Kind::Text && lit.text.empty() && !isCharacterType(f) && f.nullable);
        if (isNull) {
            if (!f.nullable)
                throw std::runtime_error("Field " + name + " does not accept null values.");
            row.emplace_back(Null{});
            continue;
        }
        auto v = convertText(lit.text, f);
        if (!v)
            throw std::runtime_error("Column " + name + " (" + typeText(f) + ") cannot hold the value '" + lit.text +
                                     "'.");
        row.push_back(std::move(*v));
        std::string().swap(lit.text); // converted: the literal's copy goes now, not after the last column
    }
    return row;
}

} // namespace db::vfp
