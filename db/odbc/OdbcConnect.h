#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
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

// How a connect waits for its worker: until `done` answers true (true) or `deadline` has passed (false). The real
// one waits on the steady clock; tests put in one that decides without waiting, so no result depends on how busy
// the machine is.
using DeadlineWait = std::function<bool(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                                        std::chrono::milliseconds deadline, const std::function<bool()>& done)>;
// Sets the wait every later connect uses; an empty one puts back the real one. Returns the one it replaces.
DeadlineWait setDeadlineWait(DeadlineWait wait);

// Connects on the calling thread.
std::unique_ptr<OdbcLink> connectDirect(const std::string& driverString);

// Connects on a worker thread and gives up when the deadline passes: a server that accepts the connection and
// never answers would otherwise block the caller for ever (FreeTDS keeps retrying its logout). `where` names
// the server in the error text.
std::unique_ptr<OdbcLink> connectWithDeadline(const std::string& driverString, std::chrono::milliseconds deadline,
                                              const std::string& where);

} // namespace db::odbc
