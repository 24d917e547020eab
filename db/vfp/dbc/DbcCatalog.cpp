#include "db/vfp/dbc/DbcCatalog.h"

#include "db/ConnectionString.h"
#include "db/vfp/table/TableFiles.h"

namespace db::vfp {

namespace {

constexpr std::uint8_t kPropRelationParentTable = 18;

bool isType(const DbcRecord& r, const char* type)
{
    return !r.deleted && equalsIgnoreCase(r.objectType, type);
}

} // namespace

DbcCatalog::DbcCatalog(DbcFile& file) : m_file(file), m_codec(file.codePageMark()) {}

std::string DbcCatalog::nameOf(const DbcRecord& record)
{
    return m_codec.decode(record.objectName);
}

const DbcRecord* DbcCatalog::findTable(const std::string& name)
{
    for (const DbcRecord& r : m_file.records())
        if (isType(r, "Table") && equalsIgnoreCase(nameOf(r), name))
            return &r;
    return nullptr;
}

std::filesystem::path DbcCatalog::fileOf(const DbcRecord& table)
{
    std::string relative = m_codec.decode(dbcStringProperty(m_file.properties(table), PropTablePath).value_or(""));
    if (relative.empty())
        relative = nameOf(table) + ".dbf";
    for (char& c : relative)
        if (c == '\\')
            c = '/';
    std::filesystem::path file = m_file.dbcPath().parent_path() / relative;
    std::error_code ec;
    if (std::filesystem::exists(file, ec))
        return file;
    const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
    if (auto found = findFileIgnoreCase(folder, file.filename().string()))
        return *found;
    return file;
}

std::vector<std::string> DbcCatalog::fieldNamesOf(const DbcRecord& table)
{
    std::vector<std::string> names;
    for (const DbcRecord& r : m_file.records())
        if (isType(r, "Field") && r.parentId == table.objectId)
            names.push_back(nameOf(r));
    return names;
}

std::vector<std::uint32_t> DbcCatalog::recordsOfTable(const DbcRecord& table)
{
    const std::string tableName = nameOf(table);
    std::vector<std::uint32_t> out;
    for (const DbcRecord& r : m_file.records()) {
        if (r.deleted)
            continue;
        bool belongs = r.recno == table.recno ||
                       (r.parentId == table.objectId && r.recno != 1 && !equalsIgnoreCase(r.objectType, "Database"));
        if (!belongs && equalsIgnoreCase(r.objectType, "Relation")) {
            auto parent = dbcStringProperty(m_file.properties(r), kPropRelationParentTable);
            belongs = parent && equalsIgnoreCase(m_codec.decode(*parent), tableName);
        }
        if (belongs)
            out.push_back(r.recno);
    }
    return out;
}

} // namespace db::vfp
