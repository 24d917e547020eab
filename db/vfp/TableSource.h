#pragma once

#include "db/Provider.h"
#include "db/vfp/table/FieldDef.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace db::vfp {

struct TableEntry {
    std::string name; // the table's name as the source knows it (free table: the file's base name)
    std::string type; // "TABLE" or "VIEW"
};

// Where the engine's tables live: a folder of free tables or a database container. The provider runs the SQL
// statements against this; table names are matched case-insensitively and have been checked as safe names.
class TableSource {
public:
    virtual ~TableSource() = default;
    virtual std::vector<TableEntry> listTables() = 0;
    // The .dbf of a table; throws when there is no such table.
    virtual std::filesystem::path tableFile(const std::string& name) = 0;
    // Field names to show for the table's columns, by position (a container's long names); empty: the descriptors'.
    virtual std::vector<std::string> longFieldNames(const std::string& name) = 0;
    // Creates the table; `columns` carry the names as written in the statement. Throws "already exists" when the
    // table is there. The source shortens the names for the .dbf descriptors.
    virtual void createTable(const std::string& name, const std::vector<FieldDef>& columns) = 0;
    virtual void dropTable(const std::string& name) = 0;
};

} // namespace db::vfp
