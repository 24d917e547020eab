#include "db/odbc/OdbcSession.h"

#include "db/GroupClock.h"
#include "db/odbc/AseBatch.h"
#include "db/odbc/OdbcCursor.h"
#include "db/odbc/OdbcError.h"
#include "db/odbc/StatementGroup.h"

#include <regex>
#include <stdexcept>
#include <utility>

namespace db::odbc {

namespace {

std::string trimStatement(std::string sql)
{
    while (!sql.empty() && (sql.back() == ';' || std::isspace(static_cast<unsigned char>(sql.back()))))
        sql.pop_back();
    return sql;
}

// The text of a column of the current row of a catalogue result; empty for Null.
std::string columnText(const Statement& stmt, SQLUSMALLINT column)
{
    std::string out;
    std::vector<char> buf(1024);
    for (;;) {
        SQLLEN ind = 0;
        SQLRETURN rc = SQLGetData(stmt.get(), column, SQL_C_CHAR, buf.data(), static_cast<SQLLEN>(buf.size()), &ind);
        if (rc == SQL_NO_DATA)
            break;
        stmt.check(rc, "Reading the catalogue");
        if (ind == SQL_NULL_DATA)
            break;
        if (ind != SQL_NO_TOTAL && static_cast<size_t>(ind) < buf.size()) {
            out.append(buf.data(), static_cast<size_t>(ind));
            break;
        }
        out.append(buf.data(), buf.size() - 1);
    }
    return out;
}

} // namespace

std::string countStatement(const std::string& sql)
{
    static const std::regex plainSelect(
        R"(^\s*SELECT\s+\*\s+FROM\s+((?:\[[^\]]*\]|"[^"]*"|[A-Za-z_#@][\w$#@]*)(?:\.(?:\[[^\]]*\]|"[^"]*"|[A-Za-z_#@][\w$#@]*))*)\s*$)",
        std::regex::icase);
    const std::string body = trimStatement(sql);
    std::smatch m;
    if (std::regex_match(body, m, plainSelect))
        return "SELECT COUNT(*) FROM " + m[1].str();
    return "SELECT COUNT(*) FROM (" + body + ") corvalen_rows";
}

void OdbcSession::learnCharset()
{
    Statement stmt(m_link->dbc());
    std::string text = "select @@client_csname";
    stmt.check(SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS),
               "Asking for the character set");
    if (SQL_SUCCEEDED(SQLFetch(stmt.get())))
        m_charset.emplace(columnText(stmt, 1));
    // Read the answer to its end: a statement dropped with results pending makes the driver cancel on the wire.
    SQLRETURN rc = SQL_SUCCESS;
    while (SQL_SUCCEEDED(rc))
        rc = SQLFetch(stmt.get());
    while (SQL_SUCCEEDED(SQLMoreResults(stmt.get()))) {
    }
}

std::optional<UnstorableCharacter> OdbcSession::findUnstorable(const std::string& text) const
{
    if (!m_charset)
        return {};
    if (auto character = m_charset->firstUnstorable(text))
        return UnstorableCharacter{*character, m_charset->name()};
    return {};
}

OdbcSession::~OdbcSession()
{
    // Nobody is left to report a replayed row to; commit what the group holds all the same.
    m_replayFailed = {};
    try {
        commitTransaction();
        flushBatch();
    } catch (...) { // NOLINT(bugprone-empty-catch): a destructor cannot report, and a commit reports nothing
    }
}

void OdbcSession::run(const std::string& sql)
{
    // The stand-in runs every statement on one handle (a new handle per row costs about as much as the INSERT);
    // ASE keeps a fresh one each time.
    std::optional<Statement> fresh;
    if (!m_standIn)
        fresh.emplace(m_link->dbc());
    else if (!m_statement)
        m_statement = std::make_unique<Statement>(m_link->dbc());
    const Statement& stmt = fresh ? *fresh : *m_statement;
    // Handed over as it is, not copied: an INSERT can carry a large memo. Drivers only read the text.
    SQLRETURN rc = SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
    if (rc != SQL_NO_DATA) { // SQL_NO_DATA: a statement that touched no rows
        try {
            stmt.check(rc, "Executing a statement");
            // A server may report a failure in a later result of the same batch; read them all.
            while ((rc = SQLMoreResults(stmt.get())) != SQL_NO_DATA)
                stmt.check(rc, "Executing a statement");
        } catch (...) {
            SQLFreeStmt(stmt.get(), SQL_CLOSE);
            throw;
        }
    }
    SQLFreeStmt(stmt.get(), SQL_CLOSE);
}

void OdbcSession::refuseUnsendable(const std::string& sql)
{
    // The driver would send the statement cut just before such a character; nothing at all is better.
    if (auto refused = findUnstorable(sql))
        throw std::runtime_error("The server's character set " + refused->charset + " has no character \"" +
                                 refused->character + "\": the statement was not sent.");
    applyStatementFault(sql, [this](const std::string& text) { run(text); });
}

void OdbcSession::runStatement(const std::string& sql)
{
    refuseUnsendable(sql);
    if (!m_standIn || !m_inserts.run(m_link->dbc(), sql))
        run(sql);
}

bool OdbcSession::groups(const std::string& sql) const
{
    if (!m_grouping || m_replaying)
        return false;
    // Only rows go into a group: CREATE, DROP and the rest run on their own, after the group before them is
    // committed.
    const size_t start = sql.find_first_not_of(" \t\r\n");
    return start != std::string::npos && equalsIgnoreCase(std::string_view(sql).substr(start, 7), "insert ");
}

void OdbcSession::execute(const std::string& sql)
{
    if (!groups(sql)) {
        commitGroup();
        runStatement(sql);
        return;
    }
    if (!m_standIn) {
        queueInsert(sql);
        return;
    }
    if (!m_inTransaction) {
        run("BEGIN");
        m_inTransaction = true;
        m_groupCount = 0;
        m_groupStart = db::groupNow();
    }
    ++m_groupCount;
    try {
        runStatement(sql);
    } catch (...) {
        // SQLite keeps the transaction when one statement fails (a constraint): only that one is lost.
        if (transactionOpen())
            throw;
        // The failure took the whole transaction with it (a full disk): every statement of the group runs again
        // on its own, and this one last, in autocommit, so each outcome and report is the one it has alone.
        m_inTransaction = false;
        replay(std::exchange(m_group, {}));
        runStatement(sql);
        return;
    }
    m_group.push_back(sql);
    if (m_groupCount >= kGroupStatements || db::groupNow() - m_groupStart >= kGroupAge)
        commitTransaction();
}

bool OdbcSession::transactionOpen()
{
    // SQLite refuses BEGIN inside a transaction; a BEGIN that succeeds shows that there was none, and the empty
    // transaction it opened is ended at once.
    try {
        run("BEGIN");
    } catch (const std::exception&) {
        return true;
    }
    run("ROLLBACK");
    return false;
}

void OdbcSession::replay(const std::vector<std::string>& statements)
{
    m_replaying = true;
    for (const auto& sql : statements) {
        try {
            runStatement(sql);
        } catch (...) {
            if (m_replayFailed)
                m_replayFailed(sql, std::current_exception());
        }
    }
    m_replaying = false;
}

void OdbcSession::queueInsert(const std::string& sql)
{
    refuseUnsendable(sql); // what refuses a statement before it is sent still throws from its own execute()
    if (m_batch.empty())
        m_batchStart = db::groupNow();
    m_batch.push_back(sql);
    // Rows that come slowly do not wait long for the ones after them: a request is sent once it is full or as old
    // as a stand-in group may grow.
    if (m_batch.size() >= kBatchStatements || db::groupNow() - m_batchStart >= kGroupAge)
        flushBatch();
}

void OdbcSession::flushBatch()
{
    if (m_batch.empty())
        return;
    // Taken out first: a report below may show a box, which flushes the group again.
    const std::vector<std::string> batch = std::exchange(m_batch, {});
    BatchOutcome outcome;
    try {
        outcome = sendBatch(m_link->dbc(), batch);
    } catch (const std::exception&) {
        outcome = {}; // not sent at all: every statement goes again on its own
    }
    for (const auto& [index, error] : outcome.failed)
        if (m_replayFailed)
            m_replayFailed(batch[index], error);
    // A request that failed as a whole ran nothing: its statements run one at a time, each with its own report.
    replay({batch.begin() + static_cast<std::ptrdiff_t>(outcome.resendFrom), batch.end()});
}

void OdbcSession::beginGroup(const ReplayFailed& replayFailed)
{
    // ASE: INSERT statements go in requests of several (flushBatch), each still committed on its own.
    m_grouping = true;
    m_replayFailed = replayFailed;
}

void OdbcSession::commitGroup()
{
    commitTransaction();
    flushBatch();
}

void OdbcSession::commitTransaction()
{
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    std::vector<std::string> group = std::exchange(m_group, {});
    try {
        run("COMMIT");
    } catch (const std::exception&) {
        // Nothing of the group is on disk: end whatever is left of the transaction and run every statement again
        // on its own.
        try {
            run("ROLLBACK");
        } catch (const std::exception&) { // NOLINT(bugprone-empty-catch): there may be no transaction left to end
        }
        replay(group);
    }
}

void OdbcSession::endGroup()
{
    commitGroup();
    m_grouping = false;
    m_replayFailed = {};
}

long long OdbcSession::countRows(const std::string& sql)
{
    Statement stmt(m_link->dbc());
    std::string text = countStatement(sql);
    stmt.check(SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS), "Counting rows");
    SQLRETURN rc = SQLFetch(stmt.get());
    if (rc == SQL_NO_DATA)
        throw std::runtime_error("Counting the rows of \"" + sql + "\" returned no answer.");
    stmt.check(rc, "Counting rows");
    SQLBIGINT count = 0;
    SQLLEN ind = 0;
    stmt.check(SQLGetData(stmt.get(), 1, SQL_C_SBIGINT, &count, sizeof count, &ind), "Counting rows");
    return ind == SQL_NULL_DATA ? 0 : static_cast<long long>(count);
}

std::unique_ptr<Cursor> OdbcSession::query(const std::string& sql)
{
    flushBatch(); // what the session has executed is on the server before it is read back
    long long count = countRows(sql);
    if (m_openReader && !m_reader)
        m_reader = m_openReader();
    return std::make_unique<OdbcCursor>(m_reader ? m_reader : m_link, sql, count, m_standIn);
}

std::unique_ptr<Cursor> OdbcSession::tablesSchema()
{
    flushBatch();
    Statement stmt(m_link->dbc());
    stmt.check(SQLTables(stmt.get(), nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0), "Listing the tables");
    std::vector<std::vector<Value>> rows;
    SQLRETURN rc;
    while ((rc = SQLFetch(stmt.get())) != SQL_NO_DATA) {
        stmt.check(rc, "Listing the tables");
        std::string name = columnText(stmt, 3);
        std::string type = columnText(stmt, 4);
        // The SQLite driver lists its own bookkeeping tables (sqlite_sequence, sqlite_stat1) as tables.
        if (m_standIn && toLowerAscii(name).rfind("sqlite_", 0) == 0)
            type = "SYSTEM TABLE";
        rows.push_back(tablesSchemaRow(name, type));
    }
    return std::make_unique<MemoryCursor>(tablesSchemaFields(), std::move(rows));
}

} // namespace db::odbc
