#pragma once

#include "db/Value.h"
#include "db/vfp/sql/SqlStatement.h"
#include "db/vfp/table/FieldDef.h"

#include <string>
#include <vector>

namespace db::vfp {

// Turns an INSERT statement's literals into the values of a table's row, by column type: text for C/V/M,
// Decimal for N/F, integer for I, double for B, Currency for Y, Date for D, DateTime for T, Boolean for L, and
// bytes for W/G/Q and binary C/V/M (a text "0x" + hex gives the bytes it spells). The text forms read are those
// db::Value::toText() writes. `names` gives the column names to show in errors (a container's long names); when
// empty the descriptors' names are used. Throws naming the column and the value when one does not convert, and
// when the number of values differs from the number of columns. Texts are moved into the row, so a long memo is
// not held twice.
std::vector<db::Value> convertInsertValues(std::vector<SqlLiteral> values, const std::vector<FieldDef>& fields,
                                           const std::vector<std::string>& names = {});

} // namespace db::vfp
