#include "db/odbc/OdbcError.h"

#include <stdexcept>
#include <vector>

namespace db::odbc {

std::string diagnostics(SQLSMALLINT handleType, SQLHANDLE handle)
{
    std::string out;
    std::vector<std::string> seen;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        std::vector<SQLCHAR> text(1024);
        SQLSMALLINT len = 0;
        SQLRETURN rc = SQLGetDiagRec(handleType, handle, i, state, &native, text.data(),
                                     static_cast<SQLSMALLINT>(text.size()), &len);
        if (rc == SQL_SUCCESS_WITH_INFO && len >= static_cast<SQLSMALLINT>(text.size())) {
            text.resize(static_cast<size_t>(len) + 1);
            rc = SQLGetDiagRec(handleType, handle, i, state, &native, text.data(),
                               static_cast<SQLSMALLINT>(text.size()), &len);
        }
        if (!succeeded(rc))
            break;
        std::string message(reinterpret_cast<const char*>(text.data()));
        bool repeat = false;
        for (const auto& s : seen)
            repeat = repeat || s == message;
        if (repeat || message.empty())
            continue;
        seen.push_back(message);
        if (!out.empty())
            out += '\n';
        out += message;
    }
    return out;
}

bool succeeded(SQLRETURN rc)
{
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

void check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* what)
{
    if (succeeded(rc))
        return;
    std::string text = handle ? diagnostics(handleType, handle) : std::string();
    if (text.empty())
        text = std::string(what) + " failed (ODBC return code " + std::to_string(rc) + ").";
    throw std::runtime_error(text);
}

namespace {

// Whether any diagnostic record of the handle carries this SQLSTATE.
bool hasState(SQLSMALLINT handleType, SQLHANDLE handle, const char* wanted)
{
    for (SQLSMALLINT i = 1;; ++i) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR text[8];
        SQLSMALLINT len = 0;
        SQLRETURN rc = SQLGetDiagRec(handleType, handle, i, state, &native, text, sizeof text, &len);
        if (!succeeded(rc))
            return false;
        if (std::string(reinterpret_cast<const char*>(state)) == wanted)
            return true;
    }
}

} // namespace

std::string noAnswerMessage(const AnswerLimit& limit)
{
    return "The server " + limit.where + " did not answer within " + std::to_string(limit.seconds) +
           (limit.seconds == 1 ? " second." : " seconds.");
}

Statement::Statement(SQLHDBC dbc)
{
    odbc::check(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &m_stmt), SQL_HANDLE_DBC, dbc, "Allocating a statement");
}

Statement::Statement(Dbc dbc)
{
    if (dbc.limit && dbc.limit->lost)
        throw std::runtime_error(noAnswerMessage(*dbc.limit));
    odbc::check(SQLAllocHandle(SQL_HANDLE_STMT, dbc.handle, &m_stmt), SQL_HANDLE_DBC, dbc.handle,
                "Allocating a statement");
    if (!dbc.limit || dbc.limit->seconds == 0)
        return;
    m_limit = dbc.limit;
    // NOLINTNEXTLINE(performance-no-int-to-ptr): ODBC passes integer attribute values in the pointer argument
    check(SQLSetStmtAttr(m_stmt, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(m_limit->seconds)), 0),
          "Setting the query timeout");
}

void Statement::check(SQLRETURN rc, const char* what) const
{
    if (succeeded(rc))
        return;
    if (m_limit && hasState(SQL_HANDLE_STMT, m_stmt, "HYT00")) {
        m_limit->lost = true;
        throw std::runtime_error(noAnswerMessage(*m_limit));
    }
    odbc::check(rc, SQL_HANDLE_STMT, m_stmt, what);
}

Statement::~Statement()
{
    if (m_stmt)
        SQLFreeHandle(SQL_HANDLE_STMT, m_stmt);
}

} // namespace db::odbc
