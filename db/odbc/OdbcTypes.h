#pragma once

#include "db/Value.h"

#include <optional>
#include <string>

namespace db::odbc {

// How a column's values are read and handed on.
enum class ValueKind { Text, Binary, Integer, Double, Decimal, Bit, Date, Time, Timestamp };

struct ColumnKind {
    int adoType;
    ValueKind kind;
};

// The ADO type number and reading of an ODBC SQL type, by the table Microsoft's OLE DB provider for ODBC uses.
// Types that table does not know are read as text.
ColumnKind classifySqlType(int sqlType, bool isUnsigned);

// An exact decimal from a driver's text ("-12.50", ".5", "+3"); nothing when the text is not a plain decimal.
std::optional<Decimal> parseDecimal(const std::string& text);

} // namespace db::odbc
