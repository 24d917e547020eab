#pragma once

#include "db/vfp/table/FieldDef.h"

#include <string>
#include <variant>
#include <vector>

namespace db::vfp {

// A value as an INSERT statement writes it, before it meets a column type.
struct SqlLiteral {
    enum class Kind { Null, Text, Number };
    Kind kind = Kind::Null;
    std::string text; // the text without quotes ('' undone), or the number as written (with its sign)
    bool operator==(const SqlLiteral&) const = default;
};

struct SelectStatement {
    std::string table;
};

struct CreateTableStatement {
    std::string table;
    std::vector<FieldDef> columns; // names as written
};

struct InsertStatement {
    std::string table;
    std::vector<SqlLiteral> values;
};

struct DropTableStatement {
    std::string table;
};

using SqlStatement = std::variant<SelectStatement, CreateTableStatement, InsertStatement, DropTableStatement>;

} // namespace db::vfp
