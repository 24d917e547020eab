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

// The ADO DataTypeEnum number a recordset field of this column reports.
int adoTypeOf(const FieldDef& f);

} // namespace db::vfp
