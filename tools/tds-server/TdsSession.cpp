#include "TdsSession.h"

#include "TdsSql.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sqlite3.h>
#include <utility>

namespace tds {
namespace {

enum : std::uint8_t {
    TokenLanguage = 0x21,
    TokenReturnStatus = 0x79,
    TokenLogout = 0x71,
    TokenLoginAck = 0xAD,
    TokenRow = 0xD1,
    TokenParams = 0xD7,
    TokenCapability = 0xE2,
    TokenEnvChange = 0xE3,
    TokenEed = 0xE5,
    TokenDbRpc = 0xE6,
    TokenParamFormat = 0xEC,
    TokenDone = 0xFD,
    TokenDoneProc = 0xFE,
    TokenDoneInProc = 0xFF,
};
enum : std::uint16_t { DoneMore = 0x01, DoneError = 0x02, DoneCount = 0x10, DoneAttention = 0x20 };

// Fixed places in the TDS 5.0 login record: a 30-byte field is followed by its length byte.
constexpr std::size_t UserAt = 31, PasswordAt = 62, PacketSizeAt = 557, CapabilitySearchFrom = 564;

std::string loginField(const std::string& record, std::size_t at, std::size_t width)
{
    if (record.size() < at + width + 1)
        return {};
    const std::size_t len = std::min<std::size_t>(static_cast<std::uint8_t>(record[at + width]), width);
    return record.substr(at, len);
}

// ISO 8859-1 bytes as UTF-8: each byte is the code point of the same number.
std::string latin1ToUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

std::string lowerWord(std::string s)
{
    for (auto& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool hasMarker(const std::string& statement, const std::string& marker)
{
    return !marker.empty() && statement.find(marker) != std::string::npos;
}

// The statement's first word, lower-cased.
std::string firstWord(const std::string& statement)
{
    std::size_t at = 0;
    while (at < statement.size() && std::isspace(static_cast<unsigned char>(statement[at])))
        ++at;
    std::size_t end = at;
    while (end < statement.size() && std::isalpha(static_cast<unsigned char>(statement[end])))
        ++end;
    return lowerWord(statement.substr(at, end - at));
}

std::string unquoteName(const std::string& name)
{
    if (name.size() >= 2 && (name.front() == '[' || name.front() == '"'))
        return name.substr(1, name.size() - 2);
    return name;
}

void envChange(TokenWriter& out, std::uint8_t type, const std::string& newValue, const std::string& oldValue)
{
    out.u8(TokenEnvChange);
    const std::size_t at = out.size();
    out.u16(0);
    out.u8(type);
    out.shortString(newValue);
    out.shortString(oldValue);
    out.patchLength16(at);
}

// The client's capability token with the requests we do not serve switched off, so that FreeTDS sends plain
// language requests: no cursors (request bit 6) and no dynamic statements (bit 7).
std::string replyCapabilities(const std::string& record)
{
    for (std::size_t i = CapabilitySearchFrom; i + 5 < record.size(); ++i) {
        if (static_cast<std::uint8_t>(record[i]) != TokenCapability || record[i + 3] != 1)
            continue;
        const std::size_t len =
            static_cast<std::uint8_t>(record[i + 1]) | (static_cast<std::uint8_t>(record[i + 2]) << 8);
        std::string caps = record.substr(i + 3, len);
        if (caps.size() < 2)
            break;
        const std::size_t requestBytes = static_cast<std::uint8_t>(caps[1]);
        for (const int bit : {6, 7})
            if (requestBytes > static_cast<std::size_t>(bit / 8) && caps.size() >= 2 + requestBytes)
                caps[2 + requestBytes - 1 - static_cast<std::size_t>(bit / 8)] &= static_cast<char>(~(1 << (bit % 8)));
        return caps;
    }
    // Language, RPC and the common data types; no responses switched off.
    return std::string("\x01\x0e\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01\x00\x06"
                       "\x02\x0e\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00",
                       32);
}

} // namespace

TokenWriter& Response::tokens()
{
    if (m_pending) {
        writeDone(*m_pending, true);
        m_pending.reset();
    }
    return m_tokens;
}

void Response::writeDone(const PendingDone& d, bool more)
{
    m_tokens.u8(d.token);
    m_tokens.u16(static_cast<std::uint32_t>(d.status | (more ? DoneMore : 0)));
    m_tokens.u16(m_inTransaction ? 1 : 0); // transaction state: 1 in progress, 0 none
    m_tokens.u32(d.count);
}

void Response::done(std::uint8_t token, std::uint16_t status, std::uint32_t count)
{
    tokens();
    m_pending = PendingDone{token, status, count};
}

void Response::error(const AseError& e, const std::string& serverName, const std::string& procedure, int line)
{
    TokenWriter& out = tokens();
    out.u8(TokenEed);
    const std::size_t at = out.size();
    out.u16(0);
    out.i32(e.number);
    out.u8(static_cast<std::uint8_t>(e.state));
    out.u8(static_cast<std::uint8_t>(e.severity));
    out.shortString(e.sqlState);
    out.u8(0); // no extended parameters follow
    out.u16(0);
    const std::string text = std::string(e.what()).substr(0, 1024);
    out.u16(static_cast<std::uint32_t>(text.size()));
    out.bytes(text);
    out.shortString(serverName);
    out.shortString(procedure);
    out.u16(static_cast<std::uint32_t>(std::clamp(line, 1, 65535)));
    out.patchLength16(at);
}

bool Response::sendSomeAndCheckAttention()
{
    if (m_tokens.size() >= 8192)
        m_channel.send(m_tokens, false);
    return m_channel.attentionPending();
}

void Response::cancelled()
{
    // The tokens already buffered stay: a packet that went out may have ended inside one of them. FreeTDS reads
    // and drops everything up to the DONE that acknowledges its attention.
    tokens();
    m_pending = PendingDone{TokenDone, DoneAttention, 0};
    finish();
}

void Response::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    writeDone(m_pending.value_or(PendingDone{TokenDone, 0, 0}), false);
    m_pending.reset();
    m_channel.send(m_tokens, true);
}

Session::Session(int fd, int spid, const ServerConfig& config, Database& database, const std::atomic<bool>& stop)
    : m_channel(fd), m_spid(spid), m_config(config), m_database(database), m_db(database.openConnection()), m_stop(stop)
{
}

Session::~Session()
{
    // What a connection leaves uncommitted is rolled back, as ASE does when a client goes away.
    sqlite3_close_v2(m_db);
}

void Session::run()
{
    try {
        Message message;
        if (!m_channel.receive(message, m_stop) || message.type != PacketLogin || !login(message))
            return;
        bool stalled = false;
        for (int requests = 0; requests < 10'000'000 && m_channel.receive(message, m_stop); ++requests) {
            const bool logout = message.type == PacketNormal && !message.payload.empty() &&
                                static_cast<std::uint8_t>(message.payload[0]) == TokenLogout;
            if (logout && !stalled) {
                Response bye(m_channel);
                bye.finish();
                return;
            }
            // A stalling server answers the first request after the set-up with nothing, and from then on answers
            // nothing at all (not even a cancel); it reads on, so the client's sends never block, until the client
            // closes the connection. A connection that only logs in and out (a connection check) sees no stall.
            stalled = stalled || (m_config.stallAfterLogin && !isSetupBatch(message));
            if (stalled)
                continue;
            handleRequest(message);
        }
    } catch (const WireError&) {
        // the client broke off or sent something we cannot read: end this session only
    }
}

bool Session::login(const Message& message)
{
    const std::string& record = message.payload;
    const std::string packetSize = loginField(record, PacketSizeAt, 6);
    m_channel.setPacketSize(static_cast<std::size_t>(std::clamp(std::atoi(packetSize.c_str()), 512, 65535)));
    Response response(m_channel);
    TokenWriter& out = response.tokens();
    const bool accepted =
        loginField(record, UserAt, 30) == m_config.user && loginField(record, PasswordAt, 30) == m_config.password;
    if (!accepted) {
        AseError failed(4002, 14, "Login failed.");
        failed.sqlState = "28000";
        response.error(failed, m_config.serverName);
    }
    out.u8(TokenLoginAck);
    const std::string product = "Adaptive Server Enterprise";
    out.u16(static_cast<std::uint32_t>(10 + product.size()));
    out.u8(accepted ? 5 : 6);                           // 5 succeeded, 6 failed
    out.bytes(std::string_view("\x05\x00\x00\x00", 4)); // TDS 5.0
    out.shortString(product);
    out.bytes(std::string_view("\x0f\x07\x00\x00", 4)); // 15.7
    if (accepted) {
        envChange(out, 1, m_currentDatabase, "");
        envChange(out, 2, "us_english", "");
        envChange(out, 3, m_config.charset, ""); // with utf8, FreeTDS passes our UTF-8 text through unchanged
        envChange(out, 4, std::to_string(std::clamp(std::atoi(packetSize.c_str()), 512, 65535)), packetSize);
        const std::string caps = replyCapabilities(record);
        out.u8(TokenCapability);
        out.u16(static_cast<std::uint32_t>(caps.size()));
        out.bytes(caps);
    }
    // The login's DONE carries the server process id as its count.
    response.done(TokenDone, static_cast<std::uint16_t>(DoneCount | (accepted ? 0 : DoneError)),
                  static_cast<std::uint32_t>(m_spid));
    response.finish();
    return accepted;
}

bool Session::isSetupBatch(const Message& message) const
{
    if (message.type == PacketLanguageOld)
        return !sessionCommands(message.payload).empty();
    if (message.type != PacketNormal)
        return false;
    try {
        TokenReader reader(message.payload);
        if (reader.atEnd() || reader.u8() != TokenLanguage)
            return false;
        const std::uint32_t length = reader.u32();
        if (length == 0)
            return false;
        reader.u8(); // status
        return !sessionCommands(reader.take(length - 1)).empty();
    } catch (const WireError&) {
        return false;
    }
}

void Session::handleRequest(const Message& message)
{
    Response response(m_channel);
    try {
        if (message.type == PacketAttention) {
            response.cancelled();
            return;
        }
        if (message.type == PacketLanguageOld) {
            handleLanguage(message.payload, response);
            response.finish();
            return;
        }
        TokenReader reader(message.payload);
        const std::uint8_t token = message.type == PacketNormal && !reader.atEnd() ? reader.u8() : 0;
        if (token == TokenLanguage) {
            const std::uint32_t length = reader.u32();
            const std::uint8_t status = length > 0 ? reader.u8() : 0;
            if (status & 0x01)
                throw AseError(7200, 16, "This test server does not take parameters with language requests.");
            handleLanguage(std::string(reader.take(length > 0 ? length - 1 : 0)), response);
        } else if (token == TokenDbRpc) {
            handleRpc(reader, response);
        } else if (token == 0xE7) {
            // SQLPrepare makes FreeTDS send TDS_DYNAMIC whatever the capabilities say; SQLExecDirect does not.
            throw AseError(7201, 16, "This test server takes no prepared statements; run them with SQLExecDirect.");
        } else {
            throw AseError(7201, 16, "This test server does not know the request token " + std::to_string(token) + ".");
        }
    } catch (const AseError& e) {
        response.error(e, m_config.serverName);
        response.done(TokenDone, DoneError);
    }
    response.finish();
}

void Session::handleLanguage(const std::string& request, Response& response)
{
    const std::string sql = m_config.charset == "iso_1" ? latin1ToUtf8(request) : request;
    const std::string first = firstWord(sql);
    const auto commands = first == "set" || first == "use" || first == "select"
                              ? sessionCommands(sql)
                              : std::vector<std::vector<std::string>>{};
    if (!commands.empty()) {
        handleSessionCommands(commands, response);
        return;
    }
    if (const auto call = parseExec(sql)) {
        runProcedure(call->procedure, call->arguments, response);
        return;
    }
    runBatch(sql, response);
}

bool Session::handleSessionCommands(const std::vector<std::vector<std::string>>& commands, Response& response)
{
    for (const auto& command : commands) {
        if (command[0] == "select" && lowerWord(command[1]) == "@@client_csname") {
            TokenWriter& out = response.tokens();
            writeRowFormat(out, {ColumnFormat{"", WireType::VarChar, 30, 0, 0}});
            out.u8(TokenRow);
            out.u8(static_cast<std::uint8_t>(m_config.charset.size()));
            out.bytes(m_config.charset);
            response.done(TokenDone, DoneCount, 1);
        } else if (command[0] == "select") {
            TokenWriter& out = response.tokens();
            writeRowFormat(out, {ColumnFormat{"", WireType::Int, 4, 0, 0}});
            out.u8(TokenRow);
            out.u8(4);
            out.i32(m_spid);
            response.done(TokenDone, DoneCount, 1);
        } else if (command[0] == "use") {
            const std::string name = unquoteName(command[1]);
            if (name != m_config.database && name != "master") {
                // ASE's answer to an unknown database; the batch stops here.
                response.error(AseError(911, 11,
                                        "Attempt to locate entry in sysdatabases for database '" + name +
                                            "' by name failed - no entry found under that name. Make sure that the "
                                            "name is entered properly.",
                                        2),
                               m_config.serverName);
                response.done(TokenDone, DoneError);
                return false;
            }
            envChange(response.tokens(), 1, name, m_currentDatabase);
            m_currentDatabase = name;
            response.done(TokenDone, 0);
        } else if (command.size() >= 3 && lowerWord(command[1]) == "chained") {
            if (m_tranCount > 0) {
                response.error(AseError(226, 16, "SET CHAINED command not allowed within multi-statement transaction."),
                               m_config.serverName);
                response.done(TokenDone, DoneError);
                continue;
            }
            m_chained = lowerWord(command[2]) == "on";
            response.done(TokenDone, 0);
        } else if (command.size() >= 3 && lowerWord(command[1]) == "textsize") {
            // ASE: a size of 0 (or none that reads as a number) puts back the default.
            const long long size = std::atoll(command[2].c_str());
            m_textSize = size > 0 ? static_cast<std::size_t>(size) : DefaultTextSize;
            response.done(TokenDone, 0);
        } else {
            response.done(TokenDone, 0); // other `set` options are accepted and have no effect here
        }
    }
    return true;
}

void Session::handleRpc(TokenReader& reader, Response& response)
{
    reader.u16(); // token length
    const std::string name(reader.take(reader.u8()));
    reader.u16(); // options: 0x02 announces parameters, which the PARAMFMT token then describes
    std::vector<ProcArgument> arguments;
    std::vector<std::string> names;
    if (!reader.atEnd() && reader.u8() == TokenParamFormat) {
        reader.u16();
        const std::uint16_t count = reader.u16();
        std::vector<std::uint8_t> types;
        for (std::uint16_t i = 0; i < count; ++i) {
            names.emplace_back(reader.take(reader.u8()));
            reader.u8();  // status
            reader.u32(); // user type
            const std::uint8_t type = reader.u8();
            types.push_back(type);
            if (type == 0xAF || type == 0xE1)
                reader.u32();
            else if (type == 0x6C || type == 0x6A)
                reader.take(3);
            else if (type == 0x26 || type == 0x27 || type == 0x2F || type == 0x25 || type == 0x2D || type == 0x6D ||
                     type == 0x6E || type == 0x6F || type == 0x68)
                reader.u8();
            else
                throw AseError(7202, 16,
                               "This test server does not take RPC parameters of type " + std::to_string(type) + ".");
            reader.take(reader.u8()); // locale
        }
        if (reader.atEnd() || reader.u8() != TokenParams)
            throw AseError(7203, 16, "RPC parameter values are missing.");
        for (std::size_t i = 0; i < types.size(); ++i) {
            const std::uint8_t type = types[i];
            const std::size_t len = (type == 0xAF || type == 0xE1) ? reader.u32() : reader.u8();
            const std::string bytes(reader.take(len));
            const bool text = type == 0x27 || type == 0x2F || type == 0xAF;
            arguments.push_back({names[i], len == 0 ? std::nullopt : std::optional<std::string>(text ? bytes : "?")});
        }
    }
    runProcedure(name, arguments, response);
}

void Session::runProcedure(const std::string& name, const std::vector<ProcArgument>& arguments, Response& response)
{
    if (name != "sp_tables" && name != "dbo.sp_tables" && name != "sybsystemprocs..sp_tables") {
        response.error(AseError(2812, 16,
                                "Stored procedure '" + name +
                                    "' not found. Specify owner.objectname or use sp_help to check whether the object "
                                    "exists (sp_help may produce lots of output)."),
                       m_config.serverName);
        response.done(TokenDone, DoneError);
        return;
    }
    // Arguments by position or by name, in sp_tables' order.
    static const char* const names[] = {"@table_name", "@table_owner", "@table_qualifier", "@table_type"};
    std::vector<std::optional<std::string>> positional(4);
    std::size_t next = 0;
    for (const auto& arg : arguments) {
        std::size_t slot = next++;
        for (std::size_t i = 0; i < 4; ++i)
            if (arg.name == names[i])
                slot = i;
        if (slot < positional.size())
            positional[slot] = arg.value;
    }
    spTables(positional, response);
}

void Session::spTables(const std::vector<std::optional<std::string>>& args, Response& response)
{
    // ASE's catalogue procedure over SQLite's catalogue: sqlite_* tables and a few fixed ASE system tables are
    // 'SYSTEM TABLE', views 'VIEW', the rest 'TABLE'; the owner is always dbo.
    const auto arg = [&](std::size_t i) -> std::string {
        return i < args.size() && args[i] && !args[i]->empty() ? *args[i] : "%";
    };
    std::string types;
    if (args.size() > 3 && args[3] && !args[3]->empty()) {
        types = ",";
        for (char c : *args[3])
            if (c != '\'' && c != '"')
                types += c == ',' ? ',' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        types += ",";
        // Compared without blanks on both sides: 'SYSTEM TABLE' matches SYSTEMTABLE.
        types.erase(std::remove_if(types.begin(), types.end(), [](char c) { return c == ' '; }), types.end());
    }
    const char* sql =
        "SELECT ?1 || '' AS TABLE_QUALIFIER, 'dbo' || '' AS TABLE_OWNER, name || '' AS TABLE_NAME, kind AS TABLE_TYPE,"
        " CAST(NULL AS TEXT) AS REMARKS FROM ("
        "  SELECT name, CASE WHEN type = 'view' THEN 'VIEW' WHEN name LIKE 'sqlite\\_%' ESCAPE '\\'"
        "   THEN 'SYSTEM TABLE' ELSE 'TABLE' END AS kind FROM sqlite_master WHERE type IN ('table', 'view')"
        "  UNION ALL SELECT column1, 'SYSTEM TABLE' FROM (VALUES ('sysobjects'), ('syscolumns'), ('sysindexes'),"
        "   ('systypes'), ('sysusers')))"
        " WHERE name GLOB ?2 AND 'dbo' GLOB ?3 AND ?1 GLOB ?4"
        "  AND (?5 IS NULL OR instr(?5, ',' || replace(kind, ' ', '') || ',') > 0)"
        " ORDER BY TABLE_TYPE, TABLE_NAME";
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr);
    const std::string name = likeToGlob(arg(0)), owner = likeToGlob(arg(1)), qualifier = likeToGlob(arg(2));
    sqlite3_bind_text(stmt, 1, m_currentDatabase.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt, 2, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt, 3, owner.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt, 4, qualifier.c_str(), -1, SQLITE_TRANSIENT);
    if (!types.empty())
        sqlite3_bind_text(stmt, 5, types.c_str(), -1, SQLITE_TRANSIENT);
    const Outcome outcome = streamStatement(stmt, response, TokenDoneInProc);
    sqlite3_finalize(stmt);
    if (outcome != Outcome::Completed)
        return;
    response.tokens().u8(TokenReturnStatus);
    response.tokens().i32(0);
    response.done(TokenDoneProc, 0);
}

void Session::runBatch(const std::string& sql, Response& response)
{
    struct Planned {
        BatchStatement statement;
        std::vector<std::vector<std::string>> session;
        std::optional<TransactionCommand> transaction;
        std::optional<ConditionalEnd> conditional;
        std::string text; // as SQLite takes it
        sqlite3_stmt* stmt = nullptr;
    };
    std::vector<BatchStatement> statements = splitBatch(sql);
    std::vector<Planned> plan;
    plan.reserve(statements.size());
    const auto finalizeAll = [&] {
        for (auto& p : plan)
            sqlite3_finalize(std::exchange(p.stmt, nullptr));
    };
    // ASE compiles the whole batch before it runs any of it: a syntax error anywhere means that nothing runs. A
    // statement that does not compile for another reason (a table the batch creates first) is compiled again when
    // its turn comes.
    for (auto& statement : statements) {
        Planned p{std::move(statement), {}, {}, {}, {}, nullptr};
        const std::string first = firstWord(p.statement.text);
        if (first == "set" || first == "use" || first == "select")
            p.session = sessionCommands(p.statement.text);
        if (first == "begin" || first == "commit" || first == "rollback")
            p.transaction = transactionCommand(p.statement.text);
        if (first == "if")
            p.conditional = conditionalEnd(p.statement.text);
        if (p.session.empty() && !p.transaction && !p.conditional) {
            p.text = rewriteEmptyLiterals(applyStringRules(p.statement.text));
            if (hasMarker(p.text, m_config.syntaxMarker)) {
                response.error(AseError(102, 15, "Incorrect syntax near '" + m_config.syntaxMarker + "'.", 181),
                               m_config.serverName, {}, p.statement.line);
                response.done(TokenDone, DoneError);
                finalizeAll();
                return;
            }
            if (sqlite3_prepare_v2(m_db, p.text.c_str(), static_cast<int>(p.text.size() + 1), &p.stmt, nullptr) !=
                    SQLITE_OK &&
                isParseError(sqlite3_errmsg(m_db))) {
                response.error(aseErrorFromSqlite(sqlite3_extended_errcode(m_db), sqlite3_errmsg(m_db)),
                               m_config.serverName, {}, p.statement.line);
                response.done(TokenDone, DoneError);
                finalizeAll();
                return;
            }
        }
        plan.push_back(std::move(p));
    }
    // Statements that change rows outside a transaction, one after another, share one SQLite transaction that is
    // committed when anything else comes or the batch ends: each is still atomic on its own (SQLite undoes a failed
    // statement alone) and the batch costs one commit rather than one a row. Should a failure or the commit lose
    // that transaction (a full disk), the statements that had succeeded in it run again on their own.
    std::vector<sqlite3_stmt*> grouped;
    bool groupOpen = false;
    const auto runAgain = [&] {
        for (sqlite3_stmt* stmt : std::exchange(grouped, {})) {
            sqlite3_reset(stmt);
            while (sqlite3_step(stmt) == SQLITE_ROW) {
            }
        }
    };
    const auto endGroup = [&] {
        if (!std::exchange(groupOpen, false))
            return;
        if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            runAgain();
        }
        grouped.clear();
    };
    for (auto& p : plan) {
        const int line = p.statement.line;
        if (m_config.keepStatementLog)
            m_database.logStatement(p.statement.text);
        const bool groupable = p.session.empty() && !p.transaction && !p.conditional && m_tranCount == 0 &&
                               !m_chained && changesRows(p.text);
        if (!groupable)
            endGroup();
        response.setInTransaction(m_tranCount > 0);
        if (!p.session.empty()) {
            if (!handleSessionCommands(p.session, response))
                break;
            continue;
        }
        try {
            if (p.transaction) {
                runTransactionCommand(*p.transaction);
                response.setInTransaction(m_tranCount > 0);
                response.done(TokenDone, 0);
                continue;
            }
            if (p.conditional) {
                if (m_tranCount > 0)
                    runTransactionCommand(p.conditional->end);
                if (p.conditional->beginAfter)
                    runTransactionCommand(TransactionCommand::Begin);
                response.setInTransaction(m_tranCount > 0);
                response.done(TokenDone, 0);
                continue;
            }
            if (!p.stmt && sqlite3_prepare_v2(m_db, p.text.c_str(), static_cast<int>(p.text.size() + 1), &p.stmt,
                                              nullptr) != SQLITE_OK)
                throw aseErrorForStatement(p.text, sqlite3_extended_errcode(m_db), sqlite3_errmsg(m_db));
            if (!p.stmt)
                continue; // only a comment
            if (m_tranCount > 0 && isDefinition(p.text))
                throw definitionInTransaction(p.text, m_currentDatabase);
            if (changesRows(p.text) && hasMarker(p.text, m_config.duplicateMarker))
                throw aseErrorFromSqlite(SQLITE_CONSTRAINT_UNIQUE, "UNIQUE constraint failed: marked.row");
            if (m_chained && m_tranCount == 0 && startsTransactionWhenChained(p.text)) {
                sqliteCommand("BEGIN");
                m_tranCount = 1;
                response.setInTransaction(true);
            }
        } catch (const AseError& e) {
            statementError(e, response, TokenDone, line);
            continue;
        }
        if (groupable && !groupOpen)
            groupOpen = sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
        const Outcome outcome = streamStatement(p.stmt, response, TokenDone, line);
        if (outcome == Outcome::Completed && groupOpen)
            grouped.push_back(p.stmt);
        if (groupOpen && sqlite3_get_autocommit(m_db)) {
            groupOpen = false;
            runAgain();
        }
        if (outcome == Outcome::Cancelled)
            break;
    }
    endGroup();
    response.setInTransaction(m_tranCount > 0);
    finalizeAll();
}

void Session::sqliteCommand(const char* sql)
{
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw aseErrorFromSqlite(sqlite3_extended_errcode(m_db), sqlite3_errmsg(m_db));
}

// @@trancount as ASE keeps it: begin counts up, commit counts down and commits at zero, rollback ends everything.
// A commit or rollback without a transaction is accepted and does nothing.
void Session::runTransactionCommand(TransactionCommand command)
{
    switch (command) {
    case TransactionCommand::Begin:
        if (m_tranCount == 0)
            sqliteCommand("BEGIN");
        ++m_tranCount;
        break;
    case TransactionCommand::Commit:
        if (m_tranCount == 1)
            sqliteCommand("COMMIT");
        m_tranCount = std::max(0, m_tranCount - 1);
        break;
    case TransactionCommand::Rollback:
        if (m_tranCount > 0)
            sqliteCommand("ROLLBACK");
        m_tranCount = 0;
        break;
    }
}
Session::Outcome Session::streamStatement(sqlite3_stmt* stmt, Response& response, std::uint8_t doneToken, int line)
{
    sqlite3* db = sqlite3_db_handle(stmt);
    const int columns = sqlite3_column_count(stmt);
    const sqlite3_int64 changesBefore = sqlite3_total_changes64(db);
    int rc = sqlite3_step(stmt);
    std::uint32_t rows = 0;
    try {
        if (columns > 0 && (rc == SQLITE_ROW || rc == SQLITE_DONE)) {
            std::vector<ColumnFormat> formats;
            for (int i = 0; i < columns; ++i) {
                const bool row = rc == SQLITE_ROW;
                formats.push_back(chooseFormat(sqlite3_column_name(stmt, i), sqlite3_column_decltype(stmt, i),
                                               row ? sqlite3_column_type(stmt, i) : SQLITE_NULL,
                                               row ? static_cast<std::size_t>(sqlite3_column_bytes(stmt, i)) : 0));
            }
            writeRowFormat(response.tokens(), formats);
            TokenWriter row; // a value that fails to convert must not leave half a row on the wire
            for (; rc == SQLITE_ROW; rc = sqlite3_step(stmt)) {
                row.clear();
                row.u8(TokenRow);
                for (int i = 0; i < columns; ++i)
                    writeValue(row, formats[static_cast<std::size_t>(i)], stmt, i, m_textSize);
                response.tokens().append(row);
                if (++rows % 32 == 0 && response.sendSomeAndCheckAttention()) {
                    response.cancelled();
                    return Outcome::Cancelled;
                }
            }
        }
    } catch (const AseError& e) {
        statementError(e, response, doneToken, line);
        return Outcome::Failed;
    }
    if (rc != SQLITE_DONE) {
        statementError(aseErrorFromSqlite(sqlite3_extended_errcode(db), sqlite3_errmsg(db)), response, doneToken, line);
        return Outcome::Failed;
    }
    if (columns > 0)
        response.done(doneToken, DoneCount, rows);
    else if (sqlite3_total_changes64(db) != changesBefore)
        response.done(doneToken, DoneCount, static_cast<std::uint32_t>(sqlite3_changes(db)));
    else
        response.done(doneToken, 0);
    return Outcome::Completed;
}

void Session::statementError(const AseError& e, Response& response, std::uint8_t doneToken, int line)
{
    // A failed statement may have ended the transaction it ran in (SQLite rolls back on some failures).
    if (m_tranCount > 0 && sqlite3_get_autocommit(m_db))
        m_tranCount = 0;
    response.setInTransaction(m_tranCount > 0);
    response.error(e, m_config.serverName, {}, line);
    if (followedByCommandAborted(e.number))
        response.error(commandAborted(), m_config.serverName, {}, line);
    response.done(doneToken, DoneError);
}

} // namespace tds
