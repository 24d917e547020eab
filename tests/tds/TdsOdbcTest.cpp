// The test server end to end: Debian's FreeTDS ODBC driver over a loopback socket, SQLite behind the server.
#include "OdbcTestClient.h"
#include "TdsServer.h"

#include <arpa/inet.h>
#include <chrono>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using tdstest::Cell;
using tdstest::OdbcClient;

namespace {

std::string hex(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

class TdsOdbc : public ::testing::Test {
protected:
    tds::Server server{tds::ServerConfig{}};

    void connect(OdbcClient& client)
    {
        const auto failure = client.connect(server.odbcConnectionString());
        ASSERT_FALSE(failure) << failure->message;
    }
};

TEST_F(TdsOdbc, LoginAcceptsTheConfiguredUserAndRefusesOthers)
{
    OdbcClient good, second;
    connect(good);
    connect(second); // two sessions at once
    EXPECT_EQ(good.query("SELECT 1 + 1")[0][0], Cell("2"));
    EXPECT_EQ(second.query("SELECT 'x'")[0][0], Cell("x"));

    OdbcClient wrongPassword;
    const auto refused = wrongPassword.connect(server.odbcConnectionString("u", "wrong", "db"));
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->message.find("Login failed."), std::string::npos) << refused->message;
    EXPECT_EQ(refused->nativeError, 4002);

    OdbcClient wrongUser;
    ASSERT_TRUE(wrongUser.connect(server.odbcConnectionString("sa", "p", "db")));
}

TEST_F(TdsOdbc, UnknownDatabaseFailsTheConnectWithAsesMessage)
{
    OdbcClient client;
    const auto refused = client.connect(server.odbcConnectionString("u", "p", "nodb"));
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->nativeError, 911);
    EXPECT_NE(refused->message.find("Attempt to locate entry in sysdatabases for database 'nodb' by name failed - no "
                                    "entry found under that name. Make sure that the name is entered properly."),
              std::string::npos)
        << refused->message;
}

TEST_F(TdsOdbc, EveryWireTypeComesBackWithItsTypeValueAndNull)
{
    OdbcClient client;
    connect(client);
    ASSERT_FALSE(client.exec("CREATE TABLE [W]([vc] VARCHAR(20), [ch] CHAR(5), [tx] TEXT, [i] INT, [si] SMALLINT, "
                             "[ti] TINYINT, [fl] FLOAT, [re] REAL, [nu] NUMERIC(12,3), [mo] MONEY, [dt] DATETIME, "
                             "[bi] BIT, [bn] BINARY(4), [vb] VARBINARY(8), [im] IMAGE)"));
    ASSERT_FALSE(client.exec("INSERT INTO [W] VALUES('abc', 'xy', 'long text', 2147483647, -32768, 255, 1.25, 0.5, "
                             "-12345.678, 12345.6789, '1999-12-31 23:59:59.997', 1, X'DEADBEEF', X'0001', "
                             "X'00FF00')"));
    ASSERT_FALSE(client.exec("INSERT INTO [W] VALUES(NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
                             "NULL, NULL, NULL, NULL)"));
    std::vector<tdstest::ColumnInfo> columns;
    const auto rows = client.query("SELECT * FROM [W]", &columns);
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(columns.size(), 15u);

    const std::vector<SQLSMALLINT> types = {SQL_VARCHAR,  SQL_CHAR,      SQL_LONGVARCHAR,    SQL_INTEGER,
                                            SQL_SMALLINT, SQL_TINYINT,   SQL_DOUBLE,         SQL_REAL,
                                            SQL_NUMERIC,  SQL_DECIMAL,   SQL_TYPE_TIMESTAMP, SQL_BIT,
                                            SQL_BINARY,   SQL_VARBINARY, SQL_LONGVARBINARY};
    const std::vector<Cell> values = {"abc",
                                      "xy   ",
                                      "long text",
                                      "2147483647",
                                      "-32768",
                                      "255",
                                      "1.25",
                                      "0.5",
                                      "-12345.678",
                                      "12345.6789",
                                      "1999-12-31 23:59:59.997",
                                      "1",
                                      std::string("\xDE\xAD\xBE\xEF"),
                                      std::string("\x00\x01", 2),
                                      std::string("\x00\xFF\x00", 3)};
    for (std::size_t i = 0; i < columns.size(); ++i) {
        SCOPED_TRACE(columns[i].name);
        EXPECT_EQ(columns[i].sqlType, types[i]);
        EXPECT_EQ(rows[0][i], values[i]);
        // ASE's bit cannot hold NULL: it reads as 0; every other type carries NULL.
        EXPECT_EQ(rows[1][i], columns[i].name == "bi" ? Cell("0") : Cell());
    }
}

TEST_F(TdsOdbc, NegativeAndWideNumbersKeepTheirValue)
{
    OdbcClient client;
    connect(client);
    ASSERT_FALSE(client.exec("CREATE TABLE [N]([m] MONEY, [sm] SMALLMONEY, [b] BIGINT, [w] NUMERIC(38,10), "
                             "[d] DATETIME)"));
    ASSERT_FALSE(client.exec("INSERT INTO [N] VALUES(-12.5, 3.25, 9007199254740993, "
                             "-1234567890123456789, '1753-01-01 00:00:00')"));
    // SQLite keeps the integer exactly; scaled by 10^10 it needs more than 64 bits on the wire.
    const auto rows = client.query("SELECT * FROM [N]");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], Cell("-12.5000"));
    EXPECT_EQ(rows[0][1], Cell("3.2500"));
    EXPECT_EQ(rows[0][2], Cell("9007199254740993"));
    EXPECT_EQ(rows[0][3], Cell("-1234567890123456789.0000000000"));
    EXPECT_EQ(rows[0][4], Cell("1753-01-01 00:00:00.000"));
}

TEST_F(TdsOdbc, EmptyStringsAreStoredAsOneBlankLikeAse)
{
    OdbcClient client;
    connect(client);
    ASSERT_FALSE(client.exec("CREATE TABLE [E]([a] TEXT, [b] VARCHAR(10), [c] TEXT)"));
    ASSERT_FALSE(client.exec("INSERT INTO [E] VALUES('', '', 'O''Brien')"));
    const auto rows = client.query("SELECT * FROM [E]");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], Cell(" "));
    EXPECT_EQ(rows[0][1], Cell(" "));
    EXPECT_EQ(rows[0][2], Cell("O'Brien"));
}

TEST_F(TdsOdbc, TextAndImageAreCutAtAsesDefaultTextSizeUnlessTheClientSetsOne)
{
    std::string text, image;
    for (int i = 0; i < 100000; ++i) {
        text += static_cast<char>('a' + i % 26);
        image += static_cast<char>(i % 7 == 0 ? 0 : i % 251);
    }
    OdbcClient plain;
    connect(plain);
    ASSERT_FALSE(plain.exec("CREATE TABLE [L]([t] TEXT, [i] IMAGE)"));
    ASSERT_FALSE(plain.exec("INSERT INTO [L] VALUES('" + text + "', X'" + hex(image) + "')"));
    // As ASE: without `set textsize`, a SELECT gives the first 32 KiB of each value, silently.
    auto rows = plain.query("SELECT [t], [i] FROM [L]");
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_TRUE(rows[0][0] && rows[0][1]);
    EXPECT_TRUE(*rows[0][0] == text.substr(0, 32768));
    EXPECT_TRUE(*rows[0][1] == image.substr(0, 32768));
    // FreeTDS's TextSize attribute makes it send `set textsize` at connect.
    OdbcClient sized;
    ASSERT_FALSE(sized.connect(server.odbcConnectionString() + ";TextSize=2147483647"));
    rows = sized.query("SELECT [t], [i] FROM [L]");
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_TRUE(rows[0][0] && rows[0][1]);
    EXPECT_EQ(rows[0][0]->size(), text.size());
    EXPECT_TRUE(*rows[0][0] == text);
    EXPECT_EQ(rows[0][1]->size(), image.size());
    EXPECT_TRUE(*rows[0][1] == image);
    // And back to the default with a size of 0.
    ASSERT_FALSE(sized.exec("set textsize 0"));
    EXPECT_EQ(sized.query("SELECT [t] FROM [L]")[0][0]->size(), 32768u);
}

TEST_F(TdsOdbc, ABackslashBeforeALineBreakInALiteralIsALineContinuation)
{
    OdbcClient client;
    connect(client);
    ASSERT_FALSE(client.exec("CREATE TABLE [C]([t] TEXT)"));
    ASSERT_FALSE(client.exec("INSERT INTO [C] VALUES('a\\\r\nb\\\nc\\ d')"));
    ASSERT_FALSE(client.exec("INSERT INTO [C] VALUES('C:\\temp\\' + '\r\nnext')"));
    const auto rows = client.query("SELECT [t] FROM [C]");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], Cell("abc\\ d"));
    EXPECT_EQ(rows[1][0], Cell("C:\\temp\\\r\nnext"));
}

TEST(TdsStallingServer, AnswersTheLoginThenNothingUntilTheClientsTimeoutEndsTheStatement)
{
    tds::ServerConfig config;
    config.stallAfterLogin = true;
    tds::Server server(config);
    OdbcClient client;
    ASSERT_FALSE(client.connect(server.odbcConnectionString() + ";Timeout=1"));
    const auto failure = client.exec("SELECT 1");
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->message.find("Timeout expired"), std::string::npos) << failure->message;
}

TEST_F(TdsOdbc, RefusedStatementsBringBackAsesNumberAndText)
{
    OdbcClient client;
    connect(client);
    const auto syntax = client.exec("SELEC 1");
    ASSERT_TRUE(syntax);
    EXPECT_EQ(syntax->nativeError, 102);
    EXPECT_NE(syntax->message.find("Incorrect syntax near 'SELEC'."), std::string::npos) << syntax->message;

    const auto missing = client.exec("SELECT * FROM [Missing]");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->nativeError, 208);
    EXPECT_NE(missing->message.find("Missing not found."), std::string::npos) << missing->message;

    ASSERT_FALSE(client.exec("CREATE TABLE [T]([a] TEXT)"));
    const auto twice = client.exec("CREATE TABLE [T]([a] TEXT)");
    ASSERT_TRUE(twice);
    EXPECT_EQ(twice->nativeError, 2714);
    EXPECT_NE(twice->message.find("There is already an object named 'T' in the database."), std::string::npos);

    EXPECT_EQ(client.query("SELECT COUNT(*) FROM [T]")[0][0], Cell("0")); // the session goes on
}

TEST_F(TdsOdbc, SqlTablesReportsTablesViewsAndSystemTables)
{
    OdbcClient client;
    connect(client);
    ASSERT_FALSE(client.exec("CREATE TABLE [Orders]([a] TEXT)"));
    ASSERT_FALSE(client.exec("CREATE TABLE [Seq]([id] INTEGER PRIMARY KEY AUTOINCREMENT)")); // makes sqlite_sequence
    ASSERT_FALSE(client.exec("CREATE VIEW [OrderView] AS SELECT * FROM [Orders]"));
    const auto type = [](const tdstest::Rows& rows, const std::string& name) -> Cell {
        for (const auto& row : rows)
            if (row[0] == Cell(name))
                return row[1];
        return std::nullopt;
    };
    const auto all = client.tables("");
    EXPECT_EQ(type(all, "Orders"), Cell("TABLE"));
    EXPECT_EQ(type(all, "Seq"), Cell("TABLE"));
    EXPECT_EQ(type(all, "OrderView"), Cell("VIEW"));
    EXPECT_EQ(type(all, "sqlite_sequence"), Cell("SYSTEM TABLE"));
    EXPECT_EQ(type(all, "sysobjects"), Cell("SYSTEM TABLE"));

    const auto onlyTables = client.tables("'TABLE'");
    EXPECT_EQ(onlyTables.size(), 2u);
    for (const auto& row : onlyTables)
        EXPECT_EQ(row[1], Cell("TABLE"));
    const auto systemTables = client.tables("'SYSTEM TABLE'");
    EXPECT_EQ(type(systemTables, "sysusers"), Cell("SYSTEM TABLE"));
    EXPECT_FALSE(type(systemTables, "Orders"));
}

TEST_F(TdsOdbc, AbandonedResultIsCancelledAndTheSessionGoesOn)
{
    OdbcClient client;
    connect(client);
    ASSERT_FALSE(client.exec("CREATE TABLE [Big]([n] INT, [s] VARCHAR(40))"));
    ASSERT_FALSE(client.exec("WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 20000) "
                             "INSERT INTO [Big] SELECT n, 'row ' || n FROM c"));
    client.openAndAbandon("SELECT * FROM [Big]");
    EXPECT_EQ(client.query("SELECT COUNT(*) FROM [Big]")[0][0], Cell("20000"));
}

// Sends raw bytes on a fresh connection and waits until the server hangs up (or 2 s pass).
void sendRaw(std::uint16_t port, const std::string& bytes)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    timeval timeout{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    char sink[512];
    while (::recv(fd, sink, sizeof sink, 0) > 0) {
    }
    ::close(fd);
}

TEST_F(TdsOdbc, MalformedPacketsEndOnlyTheirOwnSession)
{
    sendRaw(server.port(), std::string("\x02\x01\x00\x04\x00\x00\x00\x00", 8)); // length below the header
    sendRaw(server.port(), std::string("\x02\x01\x00\x0c\x00\x00\x00\x00"
                                       "abcd",
                                       12)); // a login record cut short
    std::string login(600, '\0');
    login[0] = 'h';
    login[568] = '\xE2'; // a capability token claiming more than there is
    login[569] = '\x00';
    login[570] = '\x00';
    const std::string header = {
        '\x02', '\x01', static_cast<char>((login.size() + 8) >> 8), static_cast<char>((login.size() + 8) & 0xFF), 0, 0,
        0,      0};
    sendRaw(server.port(), header + login);
    OdbcClient client;
    connect(client);
    EXPECT_EQ(client.query("SELECT 'still serving'")[0][0], Cell("still serving"));
}

TEST(TdsServerLifetime, StoppingTheServerEndsOpenSessionsPromptly)
{
    auto server = std::make_unique<tds::Server>(tds::ServerConfig{});
    ASSERT_NE(server->port(), 0);
    OdbcClient client;
    ASSERT_FALSE(client.connect(server->odbcConnectionString()));
    server.reset(); // returns although a session is still open: it is ended, not waited for
    EXPECT_TRUE(client.exec("SELECT 1"));
}

} // namespace
