#pragma once

#include "db/Provider.h"
#include "db/vfp/TableSource.h"
#include "db/vfp/sql/SqlStatement.h"
#include "db/vfp/table/TableFiles.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace db::vfp {

// A session of the FoxPro engine on one table source: runs the dialect's statements against it. One appender
// per table stays open across INSERT statements, so a copy of many rows does not reopen the files each time;
// it is closed when the table is read, created or dropped, and with the connection.
class VfpConnection : public db::ProviderConnection {
public:
    explicit VfpConnection(std::unique_ptr<TableSource> source);
    ~VfpConnection() override;

    void execute(const std::string& sql) override;
    std::unique_ptr<db::Cursor> query(const std::string& sql) override;
    std::unique_ptr<db::Cursor> tablesSchema() override;

    // Grouping: the rows of INSERT statements are checked and encoded by their own execute(), which throws their
    // errors, and held in memory; they are written together at each group's end (kGroupRows, kGroupBytes,
    // kGroupAge), at commitGroup() and endGroup(), and before any other statement. A group whose write fails is
    // run again one statement at a time, each failure going to `replayFailed`.
    void beginGroup(const ReplayFailed& replayFailed) override;
    void commitGroup() override;
    void endGroup() override;

private:
    // Which file, and how it stood after our last write: another session that drops, recreates or appends to
    // the table changes it, and then the appender's idea of the file is stale.
    struct FileStamp {
        unsigned long long device = 0, inode = 0, size = 0;
        bool operator==(const FileStamp&) const = default;
    };

    struct OpenTable {
        std::unique_ptr<TableAppender> appender;
        std::vector<std::string> names; // column names for error messages
        std::filesystem::path file;
        FileStamp stamp;
    };

    static FileStamp stampOf(const std::filesystem::path& file);

    OpenTable& openForInsert(const std::string& table, const std::string& key);
    void insert(InsertStatement& s, const std::string& sql);
    void closeTable(const std::string& table);
    void commitHeld();
    std::unique_ptr<db::Cursor> select(const std::string& table);

    std::unique_ptr<TableSource> m_source;
    std::map<std::string, OpenTable> m_open; // by lower-cased table name
    bool m_grouping = false;
    bool m_replaying = false;
    ReplayFailed m_replayFailed;
    // The held rows' statements, in order, all for one table.
    std::vector<std::string> m_held;
    std::string m_heldTable; // its key in m_open
    std::chrono::steady_clock::time_point m_heldSince;
};

} // namespace db::vfp
