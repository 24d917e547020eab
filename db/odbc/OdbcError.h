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

// A statement handle freed on scope exit.
class Statement {
public:
    explicit Statement(SQLHDBC dbc);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    SQLHSTMT get() const { return m_stmt; }
    void check(SQLRETURN rc, const char* what) const { odbc::check(rc, SQL_HANDLE_STMT, m_stmt, what); }

private:
    SQLHSTMT m_stmt = SQL_NULL_HSTMT;
};

} // namespace db::odbc
