#include "db/vfp/VfpConnection.h"

#include "db/ConnectionString.h"
#include "db/vfp/sql/InsertValues.h"
#include "db/vfp/sql/SqlParser.h"
#include "db/vfp/table/TableNames.h"

#include <stdexcept>
#include <sys/stat.h>

namespace db::vfp {

namespace {

constexpr std::uint8_t kHasStructuralIndex = 0x01;

template <class... Ts> struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

} // namespace

VfpConnection::VfpConnection(std::unique_ptr<TableSource> source) : m_source(std::move(source)) {}

VfpConnection::~VfpConnection() = default;

void VfpConnection::execute(const std::string& sql)
{
    SqlStatement statement = parseSql(sql);
    std::visit(Overloaded{
                   [&](const SelectStatement& s) { select(s.table); },
                   [&](const CreateTableStatement& s) {
                       checkTableName(s.table);
                       closeTable(s.table);
                       m_source->createTable(s.table, s.columns);
                   },
                   [&](InsertStatement& s) {
                       OpenTable& t = openForInsert(s.table);
                       auto row = convertInsertValues(std::move(s.values), t.appender->info().fields, t.names);
                       t.appender->append(std::move(row));
                       t.stamp = stampOf(t.file);
                   },
                   [&](const DropTableStatement& s) {
                       checkTableName(s.table);
                       closeTable(s.table);
                       m_source->dropTable(s.table);
                   },
               },
               statement);
}

std::unique_ptr<db::Cursor> VfpConnection::query(const std::string& sql)
{
    SqlStatement statement = parseSql(sql);
    if (!std::holds_alternative<SelectStatement>(statement))
        throw std::runtime_error("The statement returns no rows; only SELECT opens a recordset: " + sql);
    return select(std::get<SelectStatement>(statement).table);
}

std::unique_ptr<db::Cursor> VfpConnection::tablesSchema()
{
    std::vector<std::vector<db::Value>> rows;
    for (const auto& t : m_source->listTables())
        rows.push_back(db::tablesSchemaRow(t.name, t.type));
    return std::make_unique<db::MemoryCursor>(db::tablesSchemaFields(), std::move(rows));
}

std::unique_ptr<db::Cursor> VfpConnection::select(const std::string& table)
{
    checkTableName(table);
    closeTable(table); // rows appended in this session are on disk before they are read
    return openTableCursor(m_source->tableFile(table), m_source->longFieldNames(table));
}

VfpConnection::OpenTable& VfpConnection::openForInsert(const std::string& table)
{
    checkTableName(table);
    std::string key = toLowerAscii(table);
    auto it = m_open.find(key);
    if (it != m_open.end() && stampOf(it->second.file) == it->second.stamp)
        return it->second;
    if (it != m_open.end())
        m_open.erase(it);
    OpenTable t;
    t.file = m_source->tableFile(table);
    t.appender = std::make_unique<TableAppender>(t.file);
    t.stamp = stampOf(t.file);
    if (t.appender->info().tableFlags & kHasStructuralIndex)
        throw std::runtime_error("Cannot insert into table \"" + table +
                                 "\": it has a structural index (.cdx), which this engine does not update.");
    t.names = m_source->longFieldNames(table);
    return m_open.emplace(key, std::move(t)).first->second;
}

VfpConnection::FileStamp VfpConnection::stampOf(const std::filesystem::path& file)
{
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return {}; // gone: never equal to the stamp of an open file
    return {static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
            static_cast<unsigned long long>(st.st_size)};
}

void VfpConnection::closeTable(const std::string& table)
{
    m_open.erase(toLowerAscii(table));
}

} // namespace db::vfp
