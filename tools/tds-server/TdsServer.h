#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct sqlite3;

namespace tds {

// What the test server accepts and where it keeps its tables.
struct ServerConfig {
    std::string user = "u";
    std::string password = "p";
    std::string database = "db"; // the one database a client may `use`
    std::string sqlitePath = ":memory:";
    std::uint16_t port = 0; // 0: an ephemeral port, see Server::port()
    std::string serverName = "CORVALEN_TDS";
    // A server that accepts the login and answers the connection's set-up batches (set, use, select @@spid), then
    // never answers the first request after them, nor anything after that, as behind a lock held elsewhere, a dead
    // VPN or a firewall that dropped the flow. A logout before any such request is still answered.
    bool stallAfterLogin = false;
    // The character set announced at login, as ASE names it. With "iso_1" FreeTDS converts the client's text into
    // ISO 8859-1 (and cuts a statement at a character the set lacks, as with a real server); requests are read
    // back into UTF-8 for SQLite. Results travel as stored: use ASCII in what an iso_1 test reads back.
    std::string charset = "utf8";
    // Keep every statement the server runs, in order, for tests that check what reached it (Database::statementLog).
    bool keepStatementLog = false;
    // Faults for tests, off when empty: an INSERT holding `duplicateMarker` fails when it runs, as against a unique
    // index (2601, then 3621); a statement holding `syntaxMarker` does not compile (102), which stops its batch.
    std::string duplicateMarker;
    std::string syntaxMarker;
};

// The SQLite database file behind the server. Every session opens a connection of its own on it, so each has its
// own transaction, as each ASE connection does; ":memory:" stands for a temporary file removed with the server.
// handle() is the owner's connection (tests read and write through it, under mutex() among themselves).
class Database {
public:
    explicit Database(const std::string& path);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    sqlite3* handle() const { return m_db; }
    std::mutex& mutex() { return m_mutex; }
    // A new connection on the file, in WAL mode and waiting up to 5 s for another connection's lock; the caller
    // closes it.
    sqlite3* openConnection() const;

    void logStatement(const std::string& sql);
    std::vector<std::string> statementLog() const;

private:
    std::string m_path;
    bool m_temporary = false;
    sqlite3* m_db = nullptr;
    std::mutex m_mutex;
    mutable std::mutex m_logMutex;
    std::vector<std::string> m_log;
};

// A small TDS 5.0 server for tests: FreeTDS's ODBC driver logs in over loopback and runs SQL on SQLite. It listens
// on 127.0.0.1 only, serves each connection on its own thread and stops (closing every connection) when destroyed.
class Server {
public:
    explicit Server(ServerConfig config);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    std::uint16_t port() const { return m_port; }
    const ServerConfig& config() const { return m_config; }
    Database& database() { return m_database; }
    // Connection string for the FreeTDS ODBC driver by its Debian path, for `user` and `password` given.
    std::string odbcConnectionString(const std::string& user, const std::string& password,
                                     const std::string& database) const;
    std::string odbcConnectionString() const;
    int sessionsStarted() const { return m_sessionsStarted; }

private:
    struct SessionSlot {
        std::thread thread;
        int fd = -1;
        std::atomic<bool> finished{false};
    };
    void acceptLoop();
    void reapFinished();

    ServerConfig m_config;
    Database m_database;
    int m_listenFd = -1;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_sessionsStarted{0};
    std::mutex m_slotsMutex;
    std::list<std::unique_ptr<SessionSlot>> m_slots;
    std::thread m_acceptThread;
};

} // namespace tds
