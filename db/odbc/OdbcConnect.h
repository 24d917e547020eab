#pragma once

#include <chrono>
#include <memory>
#include <sql.h>
#include <sqlext.h>
#include <string>

namespace db::odbc {

// An open driver connection with its own environment; disconnected and freed when destroyed.
class OdbcLink {
public:
    OdbcLink(SQLHENV env, SQLHDBC dbc) : m_env(env), m_dbc(dbc) {}
    ~OdbcLink();
    OdbcLink(const OdbcLink&) = delete;
    OdbcLink& operator=(const OdbcLink&) = delete;
    SQLHDBC dbc() const { return m_dbc; }

private:
    SQLHENV m_env;
    SQLHDBC m_dbc;
};

// Connects on the calling thread.
std::unique_ptr<OdbcLink> connectDirect(const std::string& driverString);

// Connects on a worker thread and gives up when the deadline passes: a server that accepts the connection and
// never answers would otherwise block the caller for ever (FreeTDS keeps retrying its logout). `where` names
// the server in the error text.
std::unique_ptr<OdbcLink> connectWithDeadline(const std::string& driverString, std::chrono::milliseconds deadline,
                                              const std::string& where);

} // namespace db::odbc
