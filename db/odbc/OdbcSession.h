#pragma once

#include "db/Provider.h"
#include "db/odbc/OdbcConnect.h"
#include "db/odbc/PreparedInsert.h"
#include "db/odbc/ServerCharset.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace db::odbc {

// The statement that counts the rows of a query before they are read: "SELECT * FROM <table>" becomes
// "SELECT COUNT(*) FROM <table>"; anything else is counted as a derived table with an alias, which both ASE
// and SQLite accept.
std::string countStatement(const std::string& sql);

// An open ASEOLEDB session: statements one at a time in autocommit, rows streamed with an exact count first. On the
// stand-in, the INSERT statements of a group (beginGroup) go into transactions of up to kGroupStatements statements
// or kGroupAge; on ASE they go in requests of up to kBatchStatements statements or kGroupAge, still in autocommit,
// each row's failure reported through the group's ReplayFailed.
// Rows may be read through a second connection of their own (`openReader`, opened at the first query); without
// one they come through the session's connection.
class OdbcSession : public ProviderConnection {
public:
    using ReaderFactory = std::function<std::unique_ptr<OdbcLink>()>;

    OdbcSession(std::shared_ptr<OdbcLink> link, bool standIn, ReaderFactory openReader = {})
        : m_link(std::move(link)), m_standIn(standIn), m_openReader(std::move(openReader))
    {
    }
    ~OdbcSession() override;
    OdbcSession(const OdbcSession&) = delete;
    OdbcSession& operator=(const OdbcSession&) = delete;

    void execute(const std::string& sql) override;
    void beginGroup(const ReplayFailed& replayFailed) override;
    void commitGroup() override;
    void endGroup() override;
    std::optional<UnstorableCharacter> findUnstorable(const std::string& text) const override;
    // Asks the server for the connection's character set (ASE only; the stand-in stores UTF-8 as it is).
    void learnCharset();
    std::unique_ptr<Cursor> query(const std::string& sql) override;
    std::unique_ptr<Cursor> tablesSchema() override;

private:
    long long countRows(const std::string& sql);
    void run(const std::string& sql);              // as it is, nothing checked
    void refuseUnsendable(const std::string& sql); // throws in place of a statement not to be sent
    void runStatement(const std::string& sql);     // a statement of the user's
    bool groups(const std::string& sql) const;
    bool transactionOpen();
    void replay(const std::vector<std::string>& statements);
    void commitTransaction();
    void queueInsert(const std::string& sql);
    void flushBatch();

    std::shared_ptr<OdbcLink> m_link;
    bool m_standIn;
    ReaderFactory m_openReader;
    std::shared_ptr<OdbcLink> m_reader;
    std::optional<ServerCharset> m_charset;

    bool m_grouping = false;
    bool m_replaying = false;
    bool m_inTransaction = false;
    std::size_t m_groupCount = 0;     // statements tried in the open transaction
    std::vector<std::string> m_group; // those of them that succeeded: what a lost transaction takes with it
    std::chrono::steady_clock::time_point m_groupStart;
    ReplayFailed m_replayFailed;
    std::unique_ptr<Statement> m_statement; // the stand-in's one statement handle
    std::vector<std::string> m_batch;       // ASE: the group's INSERT statements not sent yet
    std::chrono::steady_clock::time_point m_batchStart;
    PreparedInsert m_inserts; // the stand-in's rows
};

} // namespace db::odbc
