#pragma once

#include "TdsBatch.h"
#include "TdsServer.h"
#include "TdsSql.h"
#include "TdsTypes.h"
#include "TdsWire.h"

#include <atomic>
#include <optional>
#include <string>
#include <vector>

struct sqlite3_stmt;

namespace tds {

// The reply to one request: tokens go out in packets as they fill; the last DONE carries the final flag.
class Response {
public:
    explicit Response(PacketChannel& channel) : m_channel(channel) {}
    TokenWriter& tokens();
    void done(std::uint8_t token, std::uint16_t status, std::uint32_t count = 0);
    // `line`: the line of the batch the failed statement starts on.
    void error(const AseError& e, const std::string& serverName, const std::string& procedure = {}, int line = 1);
    // What the DONE tokens from here on tell of the connection's transaction.
    void setInTransaction(bool inTransaction) { m_inTransaction = inTransaction; }
    // Sends whole packets when enough bytes wait; true when the client asked to cancel meanwhile.
    bool sendSomeAndCheckAttention();
    void cancelled();
    void finish();

private:
    struct PendingDone {
        std::uint8_t token;
        std::uint16_t status;
        std::uint32_t count;
    };
    void writeDone(const PendingDone& d, bool more);

    PacketChannel& m_channel;
    TokenWriter m_tokens;
    std::optional<PendingDone> m_pending;
    bool m_finished = false;
    bool m_inTransaction = false;
};

// One client connection: the login, then requests until logout, a closed socket or the server's stop.
class Session {
public:
    Session(int fd, int spid, const ServerConfig& config, Database& database, const std::atomic<bool>& stop);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    void run();

    // ASE's default text size: text and image values are cut to this many bytes on SELECT unless the client
    // sends `set textsize`.
    static constexpr std::size_t DefaultTextSize = 32768;

private:
    bool login(const Message& message);
    bool isSetupBatch(const Message& message) const;
    void handleRequest(const Message& message);
    void handleLanguage(const std::string& sql, Response& response);
    bool handleSessionCommands(const std::vector<std::vector<std::string>>& commands, Response& response);
    void handleRpc(TokenReader& reader, Response& response);
    void runProcedure(const std::string& name, const std::vector<ProcArgument>& arguments, Response& response);
    void spTables(const std::vector<std::optional<std::string>>& args, Response& response);
    void runBatch(const std::string& sql, Response& response);
    void runTransactionCommand(TransactionCommand command);
    void sqliteCommand(const char* sql);
    enum class Outcome { Completed, Failed, Cancelled };
    // Streams the rows of a prepared statement and ends its result with a DONE; `line` goes into an error.
    Outcome streamStatement(sqlite3_stmt* stmt, Response& response, std::uint8_t doneToken, int line = 1);
    void statementError(const AseError& e, Response& response, std::uint8_t doneToken, int line);

    PacketChannel m_channel;
    int m_spid;
    const ServerConfig& m_config;
    Database& m_database;
    sqlite3* m_db = nullptr; // this connection's own, so that its transaction is its own
    const std::atomic<bool>& m_stop;
    int m_tranCount = 0;    // ASE's @@trancount
    bool m_chained = false; // `set chained on`: a statement that changes data begins a transaction
    std::string m_currentDatabase = "master";
    std::size_t m_textSize = DefaultTextSize;
};

} // namespace tds
