#include "db/vfp/VfpConnection.h"

#include "db/ConnectionString.h"
#include "db/GroupClock.h"
#include "db/vfp/AppendGroup.h"
#include "db/vfp/sql/InsertValues.h"
#include "db/vfp/sql/SqlParser.h"
#include "db/vfp/table/TableNames.h"

#include <stdexcept>
#include <sys/stat.h>
#include <utility>

namespace db::vfp {

namespace {

constexpr std::uint8_t kHasStructuralIndex = 0x01;

template <class... Ts> struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

} // namespace

VfpConnection::VfpConnection(std::unique_ptr<TableSource> source) : m_source(std::move(source)) {}

VfpConnection::~VfpConnection()
{
    m_replayFailed = {}; // whoever took the reports may be going too
    try {
        commitHeld();
    } catch (...) { // NOLINT(bugprone-empty-catch): a session closing has no one left to tell
    }
}

void VfpConnection::execute(const std::string& sql)
{
    SqlStatement statement = parseSql(sql);
    if (!std::holds_alternative<InsertStatement>(statement))
        commitHeld(); // the rows held so far come before whatever the statement does
    std::visit(Overloaded{
                   [&](const SelectStatement& s) { select(s.table); },
                   [&](const CreateTableStatement& s) {
                       checkTableName(s.table);
                       closeTable(s.table);
                       m_source->createTable(s.table, s.columns);
                   },
                   [&](InsertStatement& s) { insert(s, sql); },
                   [&](const DropTableStatement& s) {
                       checkTableName(s.table);
                       closeTable(s.table);
                       m_source->dropTable(s.table);
                   },
               },
               statement);
}

void VfpConnection::insert(InsertStatement& s, const std::string& sql)
{
    checkTableName(s.table);
    const std::string key = toLowerAscii(s.table);
    if (!m_held.empty() && key != m_heldTable)
        commitHeld();
    OpenTable& t = openForInsert(s.table, key);
    auto row = convertInsertValues(std::move(s.values), t.appender->info().fields, t.names);
    if (m_grouping && !m_replaying && t.appender->canStage()) {
        t.appender->stage(std::move(row));
        const auto now = db::groupNow();
        if (m_held.empty()) {
            m_heldTable = key;
            m_heldSince = now;
        }
        m_held.push_back(sql);
        if (m_held.size() >= kGroupRows || t.appender->stagedBytes() >= kGroupBytes || now - m_heldSince >= kGroupAge)
            commitHeld();
        return;
    }
    t.appender->append(std::move(row));
    t.stamp.size = t.appender->fileSize();
}

// Writes the held rows. When that fails, or the table was replaced since it was opened, the rows that did not
// arrive run again one by one, as they would have without grouping, and each that fails goes to the group's report.
void VfpConnection::commitHeld()
{
    if (m_held.empty())
        return;
    const std::vector<std::string> held = std::exchange(m_held, {});
    const std::string key = std::exchange(m_heldTable, {});
    std::vector<bool> arrived(held.size(), false);
    if (auto it = m_open.find(key); it != m_open.end()) {
        OpenTable& t = it->second;
        try {
            const FileStamp now = stampOf(t.file);
            if (now.device != t.stamp.device || now.inode != t.stamp.inode)
                throw std::runtime_error("the table was replaced");
            t.appender->commit(arrived);
            t.stamp.size = t.appender->fileSize();
            return;
        } catch (const std::exception&) { // NOLINT(bugprone-empty-catch): the rows run again below, with their errors
        }
        m_open.erase(it);
    }
    struct Replaying {
        bool& flag;
        explicit Replaying(bool& f) : flag(f) { flag = true; }
        ~Replaying() { flag = false; }
        Replaying(const Replaying&) = delete;
        Replaying& operator=(const Replaying&) = delete;
    } replaying(m_replaying);
    for (std::size_t i = 0; i < held.size(); ++i) {
        if (arrived[i])
            continue;
        try {
            execute(held[i]);
        } catch (...) {
            if (m_replayFailed)
                m_replayFailed(held[i], std::current_exception());
        }
    }
}

void VfpConnection::beginGroup(const ReplayFailed& replayFailed)
{
    m_grouping = true;
    m_replayFailed = replayFailed;
}

void VfpConnection::commitGroup()
{
    commitHeld();
}

void VfpConnection::endGroup()
{
    commitHeld();
    m_grouping = false;
    m_replayFailed = {};
}

std::unique_ptr<db::Cursor> VfpConnection::query(const std::string& sql)
{
    SqlStatement statement = parseSql(sql);
    if (!std::holds_alternative<SelectStatement>(statement))
        throw std::runtime_error("The statement returns no rows; only SELECT opens a recordset: " + sql);
    commitHeld();
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

VfpConnection::OpenTable& VfpConnection::openForInsert(const std::string& table, const std::string& key)
{
    auto it = m_open.find(key);
    if (it != m_open.end() && stampOf(it->second.file) == it->second.stamp)
        return it->second;
    if (it != m_open.end()) {
        // Changed by another session: the rows held for it go first, then it is opened again.
        if (!m_held.empty() && m_heldTable == key)
            commitHeld();
        m_open.erase(key);
    }
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
    const std::string key = toLowerAscii(table);
    if (!m_held.empty() && m_heldTable == key)
        commitHeld();
    m_open.erase(key);
}

} // namespace db::vfp
