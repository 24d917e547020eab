#include "db/vfp/table/FieldDef.h"

#include "db/Provider.h"

namespace db::vfp {

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
