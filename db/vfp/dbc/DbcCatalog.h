#pragma once

#include "db/vfp/dbc/DbcFile.h"
#include "db/vfp/table/CodePage.h"

#include <filesystem>
#include <string>
#include <vector>

namespace db::vfp {

// The container's objects as a reader sees them: live records only, names decoded from the container's code
// page and matched ignoring case.
class DbcCatalog {
public:
    explicit DbcCatalog(DbcFile& file);

    std::string nameOf(const DbcRecord& record);
    // The live Table record of that name, or nullptr.
    const DbcRecord* findTable(const std::string& name);
    // The table's file: property 1, relative to the container's folder, found ignoring case.
    std::filesystem::path fileOf(const DbcRecord& table);
    // Names of the live Field records under the table, in record order.
    std::vector<std::string> fieldNamesOf(const DbcRecord& table);
    // The records a drop removes: the table, its children (fields, indexes, relations) and the relations that
    // name it as their parent table.
    std::vector<std::uint32_t> recordsOfTable(const DbcRecord& table);

    TextCodec& codec() { return m_codec; }

private:
    DbcFile& m_file;
    TextCodec m_codec;
};

} // namespace db::vfp
