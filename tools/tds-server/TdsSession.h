#pragma once

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
    void error(const AseError& e, const std::string& serverName, const std::string& procedure = {});
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
};

// One client connection: the login, then requests until logout, a closed socket or the server's stop.
class Session {
public:
    Session(int fd, int spid, const ServerConfig& config, Database& database, const std::atomic<bool>& stop);
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
    void runSql(const std::string& sql, Response& response);
    // Streams the rows of a prepared statement; false when the client cancelled.
    bool streamStatement(sqlite3_stmt* stmt, Response& response, std::uint8_t doneToken);

    PacketChannel m_channel;
    int m_spid;
    const ServerConfig& m_config;
    Database& m_database;
    const std::atomic<bool>& m_stop;
    std::string m_currentDatabase = "master";
    std::size_t m_textSize = DefaultTextSize;
};

} // namespace tds
