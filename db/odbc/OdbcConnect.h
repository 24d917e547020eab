#pragma once

#include "db/odbc/OdbcError.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <sql.h>
#include <sqlext.h>
#include <string>
#include <utility>

namespace db::odbc {

// An open driver connection with its own environment; disconnected and freed when destroyed. Statements made
// from dbc() keep to the connection's answer limit (see Statement).
class OdbcLink {
public:
    OdbcLink(SQLHENV env, SQLHDBC dbc) : m_env(env), m_dbc(dbc) {}
    ~OdbcLink();
    OdbcLink(const OdbcLink&) = delete;
    OdbcLink& operator=(const OdbcLink&) = delete;
    Dbc dbc() { return {m_dbc, &m_limit}; }
    void setAnswerLimit(AnswerLimit limit) { m_limit = std::move(limit); }

private:
    SQLHENV m_env;
    SQLHDBC m_dbc;
    AnswerLimit m_limit;
};

// How a connect waits for its worker: until `done` answers true (true) or `deadline` has passed (false). The real
// one waits on the steady clock; tests put in one that decides without waiting, so no result depends on how busy
// the machine is.
using DeadlineWait = std::function<bool(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                                        std::chrono::milliseconds deadline, const std::function<bool()>& done)>;
// Sets the wait every later connect uses; an empty one puts back the real one. Returns the one it replaces.
DeadlineWait setDeadlineWait(DeadlineWait wait);

// Whether the driver reads a '}' inside a braced connection-string value as the ODBC rule has it ("}}" for one
// '}'; FreeTDS from 1.4) or takes the braces' content as it stands up to the first "};" (FreeTDS up to 1.3).
// Found once per driver by a connection attempt that fails at once (a refused loopback port, or the syntax).
bool driverDoublesClosingBraces(const std::string& driver);

// Connects on the calling thread.
std::unique_ptr<OdbcLink> connectDirect(const std::string& driverString);

// Connects on a worker thread and gives up when the deadline passes: a server that accepts the connection and
// never answers would otherwise block the caller for ever (FreeTDS keeps retrying its logout). `where` names
// the server in the error text.
std::unique_ptr<OdbcLink> connectWithDeadline(const std::string& driverString, std::chrono::milliseconds deadline,
                                              const std::string& where);

} // namespace db::odbc
