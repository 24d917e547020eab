#pragma once

#include <sql.h>
#include <sqlext.h>
#include <string>

namespace db::odbc {

// The texts of all diagnostic records of a handle, one per line, without repeats.
std::string diagnostics(SQLSMALLINT handleType, SQLHANDLE handle);

bool succeeded(SQLRETURN rc);

// Throws std::runtime_error carrying the driver's messages when rc is a failure. `what` names the call for the
// rare failure that leaves no diagnostic record.
void check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* what);

// How long a connection's server may take to answer one statement or fetch (0: no limit), and its name for the
// message when it does not. `lost` is set once it did not: the driver has closed the connection then.
struct AnswerLimit {
    unsigned seconds = 0;
    std::string where;
    bool lost = false;
};

// A connection handle with the limit its statements keep to; it converts to the plain handle.
struct Dbc {
    SQLHDBC handle = SQL_NULL_HDBC;
    AnswerLimit* limit = nullptr; // owned by the connection, which outlives its statements; nullptr: no limit
    operator SQLHDBC() const { return handle; }
};

// "The server <where> did not answer within <n> seconds."
std::string noAnswerMessage(const AnswerLimit& limit);

// A statement handle freed on scope exit. Made from a Dbc with a limit, it sets SQL_ATTR_QUERY_TIMEOUT; a failure
// the driver reports as a timeout (SQLSTATE HYT00) is thrown as noAnswerMessage(), and so is every later
// statement on that connection, before anything is sent.
class Statement {
public:
    explicit Statement(SQLHDBC dbc);
    explicit Statement(Dbc dbc);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    SQLHSTMT get() const { return m_stmt; }
    void check(SQLRETURN rc, const char* what) const;

private:
    SQLHSTMT m_stmt = SQL_NULL_HSTMT;
    AnswerLimit* m_limit = nullptr;
};

} // namespace db::odbc
