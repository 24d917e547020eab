#pragma once

#include <optional>
#include <sql.h>
#include <sqlext.h>
#include <string>
#include <vector>

namespace tdstest {

// A failed ODBC call: the driver's first diagnostic record.
struct OdbcFailure {
    std::string sqlState;
    long nativeError = 0;
    std::string message;
};

struct ColumnInfo {
    std::string name;
    SQLSMALLINT sqlType = 0;
};

using Cell = std::optional<std::string>; // nullopt is NULL
using Rows = std::vector<std::vector<Cell>>;

// Plain unixODBC calls through the FreeTDS driver, with just enough wrapping for the tests.
class OdbcClient {
public:
    OdbcClient();
    ~OdbcClient();
    OdbcClient(const OdbcClient&) = delete;
    OdbcClient& operator=(const OdbcClient&) = delete;

    // Connects; on failure returns the driver's diagnostic.
    std::optional<OdbcFailure> connect(const std::string& connectionString);
    // Runs a statement with SQLExecDirect; on failure returns the diagnostic.
    std::optional<OdbcFailure> exec(const std::string& sql);
    // Runs a query and reads every row with SQLGetData in 1000-byte pieces (binary columns as raw bytes).
    Rows query(const std::string& sql, std::vector<ColumnInfo>* columns = nullptr);
    // SQLTables with the given table-type filter (empty: all types); rows of name and type.
    Rows tables(const std::string& typeFilter);
    // Executes, fetches one row and closes the cursor, leaving the rest of the rows unread (a cancel).
    void openAndAbandon(const std::string& sql);
    SQLHDBC connection() const { return m_dbc; }

private:
    SQLHSTMT newStatement();
    Rows readAll(SQLHSTMT stmt, std::vector<ColumnInfo>* columns);

    SQLHENV m_env = SQL_NULL_HENV;
    SQLHDBC m_dbc = SQL_NULL_HDBC;
    bool m_connected = false;
};

OdbcFailure diagnostic(SQLSMALLINT handleType, SQLHANDLE handle);

} // namespace tdstest
