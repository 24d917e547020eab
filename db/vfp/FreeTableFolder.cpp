#include "db/vfp/FreeTableFolder.h"

#include "db/ConnectionString.h"
#include "db/vfp/table/FieldNames.h"
#include "db/vfp/table/TableFiles.h"
#include "db/vfp/table/TableNames.h"

#include <algorithm>
#include <stdexcept>

namespace db::vfp {

namespace fs = std::filesystem;

FreeTableFolder::FreeTableFolder(fs::path folder) : m_folder(std::move(folder))
{
    std::error_code ec;
    if (!fs::is_directory(m_folder, ec))
        throw std::runtime_error("Invalid path or file name: the folder " + m_folder.string() + " does not exist.");
}

std::vector<TableEntry> FreeTableFolder::listTables()
{
    std::vector<TableEntry> tables;
    for (const auto& entry : fs::directory_iterator(m_folder)) {
        std::error_code ec;
        if (!entry.is_regular_file(ec) || toLowerAscii(entry.path().extension().string()) != ".dbf")
            continue;
        tables.push_back(TableEntry{entry.path().stem().string(), "TABLE"});
    }
    std::sort(tables.begin(), tables.end(),
              [](const TableEntry& a, const TableEntry& b) { return toLowerAscii(a.name) < toLowerAscii(b.name); });
    return tables;
}

fs::path FreeTableFolder::tableFile(const std::string& name)
{
    checkTableName(name);
    auto file = findFileIgnoreCase(m_folder, name + ".dbf");
    if (!file)
        throw std::runtime_error("File '" + name + ".dbf' does not exist.");
    return *file;
}

std::vector<std::string> FreeTableFolder::longFieldNames(const std::string& /*name*/)
{
    return {};
}

void FreeTableFolder::createTable(const std::string& name, const std::vector<FieldDef>& columns)
{
    checkTableName(name);
    if (findFileIgnoreCase(m_folder, name + ".dbf"))
        throw std::runtime_error("Table \"" + name + "\" already exists.");
    // Companions left behind by a table that is gone would be taken for the new table's memo or index.
    for (const char* ext : {".fpt", ".cdx"})
        if (auto stale = findFileIgnoreCase(m_folder, name + ext)) {
            std::error_code ec;
            if (!removeFile(*stale, ec) && ec)
                throw std::runtime_error("Cannot delete " + stale->string() + ": " + ec.message());
        }
    std::vector<std::string> names;
    names.reserve(columns.size());
    for (const auto& c : columns)
        names.push_back(c.name);
    std::vector<std::string> shortNames = shortFieldNames(names);
    std::vector<FieldDef> fields = columns;
    for (size_t i = 0; i < fields.size(); ++i)
        fields[i].name = shortNames[i];
    createTableFiles(m_folder / (name + ".dbf"), fields, codePageMarkForFolder(m_folder));
}

void FreeTableFolder::dropTable(const std::string& name)
{
    removeTableFiles(tableFile(name));
}

} // namespace db::vfp
