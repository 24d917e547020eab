#include "TdsServer.h"

#include "TdsSession.h"

#include <arpa/inet.h>
#include <filesystem>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sqlite3.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace tds {

namespace {

sqlite3* openFile(const std::string& path)
{
    sqlite3* db = nullptr;
    // Each connection is used by one thread at a time (a session's own, or the owner's under mutex()), so SQLite
    // need not lock every call.
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK) {
        const std::string why = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw std::runtime_error("Cannot open the test server's database " + path + ": " + why);
    }
    sqlite3_busy_timeout(db, 5000);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
    return db;
}

std::string temporaryPath()
{
    static std::atomic<int> counter{0};
    return (std::filesystem::temp_directory_path() /
            ("corvalen-tds-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".db"))
        .string();
}

} // namespace

Database::Database(const std::string& path)
    : m_path(path.empty() || path == ":memory:" ? temporaryPath() : path), m_temporary(m_path != path)
{
    if (m_temporary)
        std::filesystem::remove(m_path);
    m_db = openFile(m_path);
}

Database::~Database()
{
    sqlite3_close(m_db);
    if (m_temporary) {
        std::error_code ignored;
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            std::filesystem::remove(m_path + suffix, ignored);
    }
}

sqlite3* Database::openConnection() const
{
    return openFile(m_path);
}

void Database::logStatement(const std::string& sql)
{
    std::lock_guard lock(m_logMutex);
    m_log.push_back(sql);
}

std::vector<std::string> Database::statementLog() const
{
    std::lock_guard lock(m_logMutex);
    return m_log;
}

namespace {
constexpr int MaxSessions = 32; // test equipment: a few connections at a time are plenty
}

Server::Server(ServerConfig config) : m_config(std::move(config)), m_database(m_config.sqlitePath)
{
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0)
        throw std::runtime_error("The test server cannot create a socket.");
    const int yes = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK); // loopback only, never beyond
    addr.sin_port = htons(m_config.port);
    socklen_t len = sizeof addr;
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(m_listenFd, 16) != 0 ||
        ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(m_listenFd);
        throw std::runtime_error("The test server cannot listen on 127.0.0.1:" + std::to_string(m_config.port) + ".");
    }
    m_port = ntohs(addr.sin_port);
    m_acceptThread = std::thread([this] { acceptLoop(); });
}

Server::~Server()
{
    m_stop = true;
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    std::lock_guard lock(m_slotsMutex);
    for (auto& slot : m_slots)
        ::shutdown(slot->fd, SHUT_RDWR); // wakes a session blocked in send
    for (auto& slot : m_slots) {
        if (slot->thread.joinable())
            slot->thread.join();
        ::close(slot->fd);
    }
    ::close(m_listenFd);
}

std::string Server::odbcConnectionString(const std::string& user, const std::string& password,
                                         const std::string& database) const
{
    return "DRIVER=/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so;Server=127.0.0.1;Port=" + std::to_string(m_port) +
           ";UID=" + user + ";PWD=" + password + ";Database=" + database + ";TDS_Version=5.0;ClientCharset=UTF-8";
}

std::string Server::odbcConnectionString() const
{
    return odbcConnectionString(m_config.user, m_config.password, m_config.database);
}

void Server::reapFinished()
{
    for (auto it = m_slots.begin(); it != m_slots.end();) {
        if ((*it)->finished) {
            (*it)->thread.join();
            ::close((*it)->fd);
            it = m_slots.erase(it);
        } else {
            ++it;
        }
    }
}

void Server::acceptLoop()
{
    while (!m_stop) {
        pollfd p{m_listenFd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        const int yes = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        std::lock_guard lock(m_slotsMutex);
        reapFinished();
        if (static_cast<int>(m_slots.size()) >= MaxSessions) {
            ::close(fd);
            continue;
        }
        auto slot = std::make_unique<SessionSlot>();
        slot->fd = fd;
        const int spid = ++m_sessionsStarted + 10;
        SessionSlot* raw = slot.get();
        raw->thread = std::thread([this, raw, spid] {
            Session session(raw->fd, spid, m_config, m_database, m_stop);
            session.run();
            ::shutdown(raw->fd, SHUT_RDWR); // the client sees the end now; the reaper closes the descriptor
            raw->finished = true;
        });
        m_slots.push_back(std::move(slot));
    }
}

} // namespace tds
