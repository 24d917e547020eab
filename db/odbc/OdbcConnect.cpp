#include "db/odbc/OdbcConnect.h"

#include "db/Replaceable.h"
#include "db/odbc/DriverString.h"
#include "db/odbc/OdbcError.h"

#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace db::odbc {

namespace {

struct Attempt {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    std::string error; // empty when connected
};

void freeHandles(Attempt& a, bool connected)
{
    if (a.dbc) {
        if (connected)
            SQLDisconnect(a.dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, a.dbc);
    }
    if (a.env)
        SQLFreeHandle(SQL_HANDLE_ENV, a.env);
    a.dbc = SQL_NULL_HDBC;
    a.env = SQL_NULL_HENV;
}

// Allocates the handles and connects; on failure the handles are freed again and `error` holds the reason.
void attemptConnect(Attempt& a, const std::string& driverString, SQLUINTEGER loginTimeoutSeconds)
{
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &a.env))) {
        a.error = "The ODBC driver manager could not be initialised.";
        return;
    }
    SQLSetEnvAttr(a.env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_DBC, a.env, &a.dbc))) {
        a.error = diagnostics(SQL_HANDLE_ENV, a.env);
        if (a.error.empty())
            a.error = "The ODBC driver manager could not allocate a connection.";
        freeHandles(a, false);
        return;
    }
    if (loginTimeoutSeconds > 0) {
        // NOLINTNEXTLINE(performance-no-int-to-ptr): ODBC passes integer attribute values in the pointer argument
        auto* const timeout = reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(loginTimeoutSeconds));
        SQLSetConnectAttr(a.dbc, SQL_ATTR_LOGIN_TIMEOUT, timeout, 0);
    }
    std::string text = driverString;
    SQLRETURN rc = SQLDriverConnect(a.dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS, nullptr, 0,
                                    nullptr, SQL_DRIVER_NOPROMPT);
    if (succeeded(rc))
        return;
    a.error = diagnostics(SQL_HANDLE_DBC, a.dbc);
    if (a.error.empty())
        a.error = "The connection could not be opened.";
    freeHandles(a, false);
}

} // namespace

OdbcLink::~OdbcLink()
{
    SQLDisconnect(m_dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, m_env);
}

bool driverDoublesClosingBraces(const std::string& driver)
{
    static std::mutex mutex;
    static std::map<std::string, bool> known;
    std::lock_guard lock(mutex);
    if (auto it = known.find(driver); it != known.end())
        return it->second;
    // "{a}b}" is a syntax error by the ODBC rule, and the value "a}b" to a driver that reads braces verbatim;
    // port 1 on the loopback refuses at once, so the attempt never gets further than that.
    DriverString probe;
    probe.set("DRIVER", driver);
    std::string text = probe.text() + ";Server=127.0.0.1;Port=1;UID=probe;PWD={a}b};TDS_Version=5.0";
    Attempt a;
    attemptConnect(a, text, 1);
    if (a.error.empty())
        freeHandles(a, true);
    const bool doubles = a.error.find("Syntax error") != std::string::npos;
    known[driver] = doubles;
    return doubles;
}

std::unique_ptr<OdbcLink> connectDirect(const std::string& driverString)
{
    Attempt a;
    attemptConnect(a, driverString, 0);
    if (!a.error.empty())
        throw std::runtime_error(a.error);
    return std::make_unique<OdbcLink>(a.env, a.dbc);
}

namespace {

bool realDeadlineWait(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                      std::chrono::milliseconds deadline, const std::function<bool()>& done)
{
    return cv.wait_for(lock, deadline, done);
}

db::Replaceable<DeadlineWait>& deadlineWait()
{
    static db::Replaceable<DeadlineWait> wait{DeadlineWait(realDeadlineWait)};
    return wait;
}

} // namespace

DeadlineWait setDeadlineWait(DeadlineWait wait)
{
    return deadlineWait().replace(std::move(wait));
}

std::unique_ptr<OdbcLink> connectWithDeadline(const std::string& driverString, std::chrono::milliseconds deadline,
                                              const std::string& where)
{
    struct Shared {
        std::mutex m;
        std::condition_variable cv;
        bool done = false;
        bool abandoned = false;
        Attempt attempt;
    };
    auto shared = std::make_shared<Shared>();
    auto loginTimeout = static_cast<SQLUINTEGER>((deadline.count() + 999) / 1000);
    std::thread([shared, driverString, loginTimeout] {
        Attempt a;
        attemptConnect(a, driverString, loginTimeout);
        std::unique_lock lock(shared->m);
        if (shared->abandoned) {
            // The caller gave up on us; the connection, if it came after all, is ours to close.
            lock.unlock();
            freeHandles(a, a.error.empty());
            return;
        }
        shared->attempt = a;
        shared->done = true;
        shared->cv.notify_one();
    }).detach();

    const DeadlineWait wait = deadlineWait().get();
    std::unique_lock lock(shared->m);
    if (!wait(lock, shared->cv, deadline, [&] { return shared->done; })) {
        // The worker is stuck inside the driver. Its handles stay with it, deliberately leaked while it is stuck:
        // freeing them under a thread that is still using them would crash. Should the driver return after
        // all, the worker frees them itself (see above).
        shared->abandoned = true;
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", static_cast<double>(deadline.count()) / 1000.0);
        throw std::runtime_error("Unable to connect: the server " + where + " did not answer within " + seconds +
                                 " seconds.");
    }
    if (!shared->attempt.error.empty())
        throw std::runtime_error(shared->attempt.error);
    return std::make_unique<OdbcLink>(shared->attempt.env, shared->attempt.dbc);
}

} // namespace db::odbc
