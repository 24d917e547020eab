#include "OdbcTestClient.h"

#include <stdexcept>

namespace tdstest {

OdbcFailure diagnostic(SQLSMALLINT handleType, SQLHANDLE handle)
{
    // All records joined; the number and state of the first that carries a server message number.
    OdbcFailure f;
    for (SQLSMALLINT record = 1; record <= 20; ++record) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR text[2048] = {};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRec(handleType, handle, record, state, &native, text, sizeof text, &length)))
            break;
        if (f.nativeError == 0 && native != 0) {
            f.sqlState = reinterpret_cast<char*>(state);
            f.nativeError = native;
        }
        if (!f.message.empty())
            f.message += '\n';
        f.message += reinterpret_cast<char*>(text);
    }
    return f;
}

OdbcClient::OdbcClient()
{
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env);
    SQLSetEnvAttr(m_env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, m_env, &m_dbc);
    SQLSetConnectAttr(m_dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(5), 0);
}

OdbcClient::~OdbcClient()
{
    if (m_connected)
        SQLDisconnect(m_dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, m_env);
}

std::optional<OdbcFailure> OdbcClient::connect(const std::string& connectionString)
{
    SQLCHAR out[1024];
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc =
        SQLDriverConnect(m_dbc, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(connectionString.c_str())),
                         SQL_NTS, out, sizeof out, &outLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc))
        return diagnostic(SQL_HANDLE_DBC, m_dbc);
    m_connected = true;
    return std::nullopt;
}

SQLHSTMT OdbcClient::newStatement()
{
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &stmt)))
        throw std::runtime_error("no statement handle: " + diagnostic(SQL_HANDLE_DBC, m_dbc).message);
    return stmt;
}

std::optional<OdbcFailure> OdbcClient::exec(const std::string& sql)
{
    SQLHSTMT stmt = newStatement();
    const SQLRETURN rc = SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
    std::optional<OdbcFailure> failure;
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
        failure = diagnostic(SQL_HANDLE_STMT, stmt);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return failure;
}

Rows OdbcClient::readAll(SQLHSTMT stmt, std::vector<ColumnInfo>* columns)
{
    SQLSMALLINT count = 0;
    SQLNumResultCols(stmt, &count);
    std::vector<ColumnInfo> info(static_cast<std::size_t>(count));
    for (SQLUSMALLINT i = 1; i <= count; ++i) {
        SQLCHAR name[256] = {};
        SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        SQLDescribeCol(stmt, i, name, sizeof name, &nameLength, &type, &size, &digits, &nullable);
        info[i - 1] = {reinterpret_cast<char*>(name), type};
    }
    Rows rows;
    while (SQL_SUCCEEDED(SQLFetch(stmt))) {
        std::vector<Cell> row;
        for (SQLUSMALLINT i = 1; i <= count; ++i) {
            const SQLSMALLINT t = info[i - 1].sqlType;
            const bool binary = t == SQL_BINARY || t == SQL_VARBINARY || t == SQL_LONGVARBINARY;
            const SQLSMALLINT target = binary ? SQL_C_BINARY : SQL_C_CHAR;
            Cell cell;
            char piece[1000];
            for (int guard = 0; guard < 100000; ++guard) {
                SQLLEN indicator = 0;
                const SQLRETURN rc = SQLGetData(stmt, i, target, piece, sizeof piece, &indicator);
                if (rc == SQL_NO_DATA || !SQL_SUCCEEDED(rc))
                    break;
                if (indicator == SQL_NULL_DATA)
                    break;
                if (!cell)
                    cell.emplace();
                const std::size_t room = binary ? sizeof piece : sizeof piece - 1;
                const std::size_t got = indicator == SQL_NO_TOTAL || static_cast<std::size_t>(indicator) > room
                                            ? room
                                            : static_cast<std::size_t>(indicator);
                cell->append(piece, got);
                if (rc == SQL_SUCCESS)
                    break;
            }
            row.push_back(std::move(cell));
        }
        rows.push_back(std::move(row));
    }
    if (columns)
        *columns = std::move(info);
    return rows;
}

Rows OdbcClient::query(const std::string& sql, std::vector<ColumnInfo>* columns)
{
    SQLHSTMT stmt = newStatement();
    if (!SQL_SUCCEEDED(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS))) {
        const OdbcFailure f = diagnostic(SQL_HANDLE_STMT, stmt);
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        throw std::runtime_error("query failed: " + f.message);
    }
    Rows rows = readAll(stmt, columns);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return rows;
}

Rows OdbcClient::tables(const std::string& typeFilter)
{
    SQLHSTMT stmt = newStatement();
    SQLCHAR* types = typeFilter.empty() ? nullptr : reinterpret_cast<SQLCHAR*>(const_cast<char*>(typeFilter.c_str()));
    if (!SQL_SUCCEEDED(SQLTables(stmt, nullptr, 0, nullptr, 0, nullptr, 0, types, types ? SQL_NTS : 0))) {
        const OdbcFailure f = diagnostic(SQL_HANDLE_STMT, stmt);
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        throw std::runtime_error("SQLTables failed: " + f.message);
    }
    Rows all = readAll(stmt, nullptr);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    Rows nameAndType;
    for (auto& row : all)
        nameAndType.push_back({row.at(2), row.at(3)});
    return nameAndType;
}

void OdbcClient::openAndAbandon(const std::string& sql)
{
    SQLHSTMT stmt = newStatement();
    if (!SQL_SUCCEEDED(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS)))
        throw std::runtime_error("query failed: " + diagnostic(SQL_HANDLE_STMT, stmt).message);
    SQLFetch(stmt);
    SQLCloseCursor(stmt);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

} // namespace tdstest
