#include "db/vfp/table/FieldDef.h"

#include "db/Provider.h"

namespace db::vfp {

int fixedWidth(char type)
{
    switch (type) {
    case 'I':
    case 'M':
    case 'G':
    case 'W':
        return 4;
    case 'L':
        return 1;
    case 'B':
    case 'Y':
    case 'D':
    case 'T':
        return 8;
    default:
        return 0;
    }
}

FieldDef makeField(std::string name, char type, ColumnOptions options)
{
    FieldDef f;
    f.name = std::move(name);
    f.type = type;
    const int fixed = fixedWidth(type);
    f.length = fixed != 0 ? fixed : options.length;
    f.decimals = type == 'Y' ? 4 : options.decimals;
    f.nullable = options.nullable;
    f.binary = options.binary;
    return f;
}

int adoTypeOf(const FieldDef& f)
{
    switch (f.type) {
    case 'C':
        return f.binary ? ado::Binary : ado::Char;
    case 'V':
        return f.binary ? ado::VarBinary : ado::VarChar;
    case 'Q':
        return ado::VarBinary;
    case 'N':
    case 'F':
        return ado::Numeric;
    case 'I':
        return ado::Integer;
    case 'B':
        return ado::Double;
    case 'Y':
        return ado::CurrencyType;
    case 'D':
        return ado::DBDate;
    case 'T':
        return ado::DBTimeStamp;
    case 'L':
        return ado::Boolean;
    case 'M':
        return f.binary ? ado::LongVarBinary : ado::LongVarChar;
    case 'G':
    case 'W':
        return ado::LongVarBinary;
    default:
        return ado::Empty;
    }
}

} // namespace db::vfp
