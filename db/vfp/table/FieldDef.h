#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace db::vfp {

// One column of a FoxPro table as the engine sees it. `name` is the descriptor's name (at most 10 characters)
// when read from a .dbf, or the name as written in CREATE TABLE before it is shortened.
struct FieldDef {
    std::string name;
    char type = 'C'; // C V N F I B Y D T L M G W Q (and '0' for _NullFlags, never in a user's list)
    int length = 0;
    int decimals = 0;
    bool nullable = false;
    bool binary = false;        // flag 0x04 on C, V, M (NOCPTRANS); implied for Q, W, G
    bool autoIncrement = false; // read only
    bool operator==(const FieldDef&) const = default;
};

// What a column is made with beyond its name and type, as CREATE TABLE would say it.
struct ColumnOptions {
    int length = 0; // ignored for the types whose width is fixed
    int decimals = 0;
    bool nullable = false;
    bool binary = false; // NOCPTRANS
};

// The one way to build a column: Visual FoxPro's fixed widths for I, B, Y, D, T, L, M, G and W, four decimals for
// Y, the rest as given. makeField("PRICE", 'N', {.length = 10, .decimals = 2, .nullable = true}).
FieldDef makeField(std::string name, char type, ColumnOptions options = {});

// The width Visual FoxPro gives every column of the type, or 0 when the column states its own (C, V, Q, N, F).
int fixedWidth(char type);

// The ADO DataTypeEnum number a recordset field of this column reports.
int adoTypeOf(const FieldDef& f);

} // namespace db::vfp
