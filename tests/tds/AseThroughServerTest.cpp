// The program's ASE side end to end: ASEOLEDB connection strings, the catalogue, both sends and the deletion,
// through our ODBC provider and the real FreeTDS driver against the test server.
#include "TdsServer.h"
#include "TransferFixture.h"
#include "commands/AseConnection.h"
#include "commands/Commands.h"
#include "db/vfp/table/TableFiles.h"
#include "frame/TableList.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <sqlite3.h>

namespace transfertest {
namespace {

class ListSink : public frame::TableList {
public:
    void clear() override { names.clear(); }
    void add(const std::string& name) override { names.push_back(name); }
    std::vector<std::string> names;
};

class AseServerTest : public TransferTest {
protected:
    AseServerTest()
    {
        m_fields.aseServer = "127.0.0.1";
        m_fields.asePort = std::to_string(m_server.port());
        m_fields.aseUser = "u";
        m_fields.asePassword = "p";
        m_fields.aseDatabase = "db";
    }
    // Points the fields at another server of the test's own.
    void useServer(const tds::Server& server)
    {
        m_fields.asePort = std::to_string(server.port());
        m_fields.aseUser = server.config().user;
        m_fields.asePassword = server.config().password;
        m_fields.aseDatabase = server.config().database;
    }
    // A value as the server's SQLite database holds it, read there directly.
    std::string serverValue(const std::string& sql)
    {
        std::lock_guard lock(m_server.database().mutex());
        sqlite3_stmt* stmt = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(m_server.database().handle(), sql.c_str(), -1, &stmt, nullptr), SQLITE_OK);
        std::string out;
        if (sqlite3_step(stmt) == SQLITE_ROW)
            out.assign(static_cast<const char*>(sqlite3_column_blob(stmt, 0)),
                       static_cast<std::size_t>(sqlite3_column_bytes(stmt, 0)));
        sqlite3_finalize(stmt);
        return out;
    }
    // A free FoxPro table written directly by the engine.
    void foxTable(const std::string& name, const std::vector<db::vfp::FieldDef>& fields,
                  const std::vector<std::vector<db::Value>>& rows)
    {
        const auto dbf = m_foxFolder / (name + ".dbf");
        db::vfp::createTableFiles(dbf, fields, 0x03);
        db::vfp::TableAppender appender(dbf);
        for (const auto& row : rows)
            appender.append(row);
    }
    tds::Server m_server{tds::ServerConfig{}};
};

// Text of `bytes` length: numbered lines ending in CR LF, so that a cut anywhere shows.
std::string longText(std::size_t bytes)
{
    std::string out;
    for (int line = 0; out.size() < bytes; ++line)
        out += "line " + std::to_string(line) + " of a long memo\r\n";
    out.resize(bytes);
    return out;
}

TEST_F(AseServerTest, TestConnectionSucceedsOnlyWithTheRightLoginAndDatabase)
{
    EXPECT_EQ(commands::aseConnectionString(m_fields),
              "Provider=ASEOLEDB;Data Source=127.0.0.1:" + m_fields.asePort + ";User Id=u;Password=p;;Catalog=db");
    EXPECT_TRUE(commands::canConnectAse(m_fields));
    commands::testAseConnection(m_fields, [](frame::PointerState) {});
    m_fields.asePassword = "wrong";
    EXPECT_FALSE(commands::canConnectAse(m_fields));
    commands::testAseConnection(m_fields, [](frame::PointerState) {});
    m_fields.asePassword = "p";
    m_fields.aseDatabase = "nodb";
    EXPECT_FALSE(commands::canConnectAse(m_fields));
    commands::testAseConnection(m_fields, [](frame::PointerState) {});
    EXPECT_EQ(m_dialogs.messages(),
              (std::vector<std::string>{"Connection successful.", "Could not connect.", "Could not connect."}));
}

TEST_F(AseServerTest, ListingKeepsTablesAndLeavesOutViewsSystemTablesAndSysNames)
{
    for (const char* name : {"Orders", "physics", "MySysLog", "crisys", "SY_S"})
        ase(std::string("CREATE TABLE [") + name + "]([a] TEXT)");
    ase("CREATE TABLE [Seq]([id] INTEGER PRIMARY KEY AUTOINCREMENT)"); // brings sqlite_sequence, a system table
    ase("CREATE VIEW [OrderView] AS SELECT * FROM [Orders]");
    ListSink list;
    commands::listAseTables(list, m_fields, [] {});
    std::sort(list.names.begin(), list.names.end());
    EXPECT_EQ(list.names, (std::vector<std::string>{"Orders", "SY_S", "Seq", "physics"}));
}

TEST_F(AseServerTest, SendToAseCreatesTextColumnsAndAseKeepsEmptyTextAsOneBlank)
{
    fox("CREATE TABLE \"people\" (name C(10), city V(20), n N(5,0))");
    fox("INSERT INTO \"people\" VALUES ('O''Brien', 'Dublin', 7)");
    fox("INSERT INTO \"people\" VALUES ('', NULL, NULL)");
    fill(m_list1, {"people"}, {"people"}, "people");
    commands::sendToAse(m_window);
    EXPECT_TRUE(errorReports().empty()) << errorReports().front();
    const Rows rows = aseRows("people");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(text(rows[0][0]).substr(0, 7), "O'Brien");
    EXPECT_EQ(text(rows[0][1]), "Dublin");
    EXPECT_EQ(text(rows[0][2]), "7");
    for (const auto& v : rows[1])
        EXPECT_EQ(text(v), " "); // Null goes as '', which ASE stores as a single blank
    EXPECT_EQ(entries(m_list2), std::vector<std::string>{"people"});
}

TEST_F(AseServerTest, SendToFoxProReadsAseWireTypes)
{
    ase("CREATE TABLE [Mixed]([v] VARCHAR(20), [i] INT, [m] MONEY, [d] DATETIME, [t] TEXT, [g] IMAGE, [f] FLOAT)");
    ase("INSERT INTO [Mixed] VALUES('O''Brien', 12, 12.5, '2021-08-31 12:34:56', 'a long text', X'00FF41', 2.5)");
    ase("INSERT INTO [Mixed] VALUES(NULL, NULL, NULL, NULL, NULL, NULL, NULL)");
    fill(m_list2, {"Mixed"}, {"Mixed"}, "Mixed");
    commands::sendToFoxPro(m_window);
    EXPECT_TRUE(errorReports().empty()) << errorReports().front();
    const auto fields = foxFields("Mixed");
    ASSERT_EQ(fields.size(), 7u);
    EXPECT_EQ(fields[5].type, db::ado::LongVarBinary); // image -> BLOB
    EXPECT_EQ(fields[6].type, db::ado::Double);        // float -> FLOAT
    const Rows rows = foxRows("Mixed");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(text(rows[0][0]), "O'Brien");
    EXPECT_EQ(text(rows[0][1]), "12");
    EXPECT_EQ(text(rows[0][4]), "a long text");
    EXPECT_EQ(rows[0][5], db::Value(db::Bytes{0x00, 0xFF, 0x41}));
    EXPECT_EQ(rows[0][6], db::Value(2.5));
    for (const auto& v : rows[1])
        EXPECT_TRUE(v.isNull()) << v.toText();
}

TEST_F(AseServerTest, DeletionDropsTheTablesOnTheServer)
{
    for (const char* n : {"a", "b"})
        ase(std::string("CREATE TABLE [") + n + "]([n] TEXT)");
    fill(m_list2, {"a", "b"}, {"b"}, "b");
    commands::deleteAseTables(m_window);
    EXPECT_TRUE(errorReports().empty()) << errorReports().front();
    EXPECT_TRUE(aseHas("a"));
    EXPECT_FALSE(aseHas("b"));
    EXPECT_EQ(entries(m_list2), std::vector<std::string>{"a"});
    EXPECT_GE(m_server.sessionsStarted(), 4); // every step went over the wire, none to a stand-in
}

TEST_F(AseServerTest, APasswordWithSeparatorsQuotesAndATrailingBlankLogsIn)
{
    tds::ServerConfig config;
    config.password = "p;w}\"x ";
    tds::Server server(config);
    useServer(server);
    EXPECT_TRUE(commands::canConnectAse(m_fields));
    ListSink list;
    commands::listAseTables(list, m_fields, [] {});
    m_fields.asePassword = "p;w}\"x"; // without the blank: another password
    EXPECT_FALSE(commands::canConnectAse(m_fields));
    m_fields.asePassword = "p";
    EXPECT_FALSE(commands::canConnectAse(m_fields));
    EXPECT_GE(server.sessionsStarted(), 4);
}

TEST_F(AseServerTest, APasswordCannotRedirectTheLogin)
{
    // Were the password's "Server=x" taken as an attribute, the login would go to a host x and fail; it is the
    // password of this server instead.
    tds::ServerConfig config;
    config.password = "p;Server=x";
    tds::Server server(config);
    useServer(server);
    EXPECT_TRUE(commands::canConnectAse(m_fields));
    EXPECT_EQ(server.sessionsStarted(), 1);
    useServer(m_server);
    m_fields.asePassword = "p;Server=x";
    EXPECT_FALSE(commands::canConnectAse(m_fields));
}

class StallingServerTest : public AseServerTest {
protected:
    StallingServerTest()
    {
        tds::ServerConfig config;
        config.stallAfterLogin = true;
        m_stalling = std::make_unique<tds::Server>(config);
        useServer(*m_stalling);
        m_fields.queryTimeout = "1";
    }
    std::string noAnswer() const
    {
        return "The server 127.0.0.1:" + std::to_string(m_stalling->port()) + " did not answer within 1 second.";
    }
    std::unique_ptr<tds::Server> m_stalling;
};

TEST_F(StallingServerTest, AListingEndsWithTheReport)
{
    ListSink list;
    list.names = {"kept"};
    try {
        commands::listAseTables(list, m_fields, [] {});
        ADD_FAILURE() << "a listing from a server that never answers ended normally";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), noAnswer());
    }
    EXPECT_EQ(list.names, std::vector<std::string>{"kept"}); // emptied only once the rowset is there
}

TEST_F(StallingServerTest, ASendEndsWithTheReport)
{
    fox("CREATE TABLE \"people\" (name C(10))");
    fox("INSERT INTO \"people\" VALUES ('Ann')");
    fill(m_list1, {"people"}, {"people"}, "people");
    commands::sendToAse(m_window);
    const auto reports = errorReports();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports[0].rfind(noAnswer() + "\r\n", 0), 0u) << reports[0];
    EXPECT_NE(reports[0].find("CREATE TABLE [people]"), std::string::npos) << reports[0];
    // Whatever else is tried on that connection says why it cannot be (one report per INSERT until the send
    // stops its rows after a failed CREATE TABLE).
    for (std::size_t i = 1; i < reports.size(); ++i)
        EXPECT_NE(reports[i].find("did not answer within 1 second"), std::string::npos) << reports[i];
    EXPECT_EQ(m_pointers.back(), static_cast<int>(frame::PointerState::Default)); // the send ran to its end
}

TEST_F(AseServerTest, TextAndImageValuesOverAseDefaultTextSizeArriveWhole)
{
    // 100 KiB: the server, as ASE, cuts text and image values to 32 KiB unless the client sets a text size.
    const std::string memo = longText(100 * 1024);
    db::Bytes blob(100 * 1024);
    for (std::size_t i = 0; i < blob.size(); ++i)
        blob[i] = static_cast<std::uint8_t>((i * 7 + i / 256) & 0xFF);

    // FoxPro -> ASE -> FoxPro for the memo.
    foxTable("memos", {{"ID", 'I', 4}, {"NOTE", 'M', 4}}, {{db::Value(1), db::Value(memo)}});
    fill(m_list1, {"memos"}, {"memos"}, "memos");
    commands::sendToAse(m_window);
    EXPECT_TRUE(errorReports().empty()) << errorReports().front();
    EXPECT_EQ(serverValue("SELECT [NOTE] FROM [memos]"), memo);
    db::vfp::removeTableFiles(m_foxFolder / "memos.dbf");
    fill(m_list1, {}, {}, "");
    fill(m_list2, {"memos"}, {"memos"}, "memos");
    commands::sendToFoxPro(m_window);
    EXPECT_TRUE(errorReports().empty()) << errorReports().front();
    Rows rows = foxRows("memos");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(text(rows[0][1]).size(), memo.size());
    EXPECT_TRUE(text(rows[0][1]) == memo);

    // ASE text and image columns -> FoxPro memo and BLOB.
    ase("CREATE TABLE [Big]([t] TEXT, [g] IMAGE)");
    {
        std::lock_guard lock(m_server.database().mutex());
        sqlite3_stmt* stmt = nullptr;
        ASSERT_EQ(
            sqlite3_prepare_v2(m_server.database().handle(), "INSERT INTO [Big] VALUES(?1, ?2)", -1, &stmt, nullptr),
            SQLITE_OK);
        sqlite3_bind_text(stmt, 1, memo.data(), static_cast<int>(memo.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(stmt, 2, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
        EXPECT_EQ(sqlite3_step(stmt), SQLITE_DONE);
        sqlite3_finalize(stmt);
    }
    fill(m_list2, {"Big", "memos"}, {"Big"}, "Big");
    commands::sendToFoxPro(m_window);
    EXPECT_TRUE(errorReports().empty()) << errorReports().front();
    rows = foxRows("Big");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(text(rows[0][0]).size(), memo.size());
    EXPECT_TRUE(text(rows[0][0]) == memo);
    ASSERT_TRUE(rows[0][1].is<db::Bytes>());
    EXPECT_EQ(rows[0][1].get<db::Bytes>().size(), blob.size());
    EXPECT_TRUE(rows[0][1] == db::Value(blob));
}

TEST_F(AseServerTest, ABackslashAtALineEndSurvivesAsesLineContinuation)
{
    const std::string memo = "Copy to C:\\temp\\\r\nthen run it\\\nand \\ here\r\nend\\";
    foxTable("paths", {{"NOTE", 'M', 4}, {"NAME", 'C', 20}}, {{db::Value(memo), db::Value("C:\\temp\\")}});
    fill(m_list1, {"paths"}, {"paths"}, "paths");
    commands::sendToAse(m_window);
    EXPECT_TRUE(errorReports().empty()) << errorReports().front();
    EXPECT_EQ(serverValue("SELECT [NOTE] FROM [paths]"), memo);
    EXPECT_EQ(serverValue("SELECT [NAME] FROM [paths]"), "C:\\temp\\");
    const Rows rows = aseRows("paths");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(text(rows[0][0]), memo);
}

// A server whose character set is iso_1: FreeTDS converts on the client and would cut a statement just before a
// character the set lacks. Such a row is refused whole with a report naming the column and the character.
TEST_F(AseServerTest, ARowWithACharacterTheServersSetLacksIsRefusedWholeAndTheOthersArrive)
{
    tds::ServerConfig config;
    config.charset = "iso_1";
    tds::Server latin1(config);
    useServer(latin1);
    foxTable("prices", {{"ITEM", 'C', 12}, {"NOTE", 'M', 4}},
             {{db::Value("tea"), db::Value("plain")},
              {db::Value("coffee"), db::Value("costs 3 \xE2\x82\xAC")},
              {db::Value("caf\xC3\xA9"), db::Value("na\xC3\xAFve")}});
    fill(m_list1, {"prices"}, {"prices"}, "prices");
    commands::sendToAse(m_window);

    ASSERT_EQ(errorReports().size(), 1u);
    EXPECT_NE(errorReports()[0].find("iso_1 cannot store the character \"\xE2\x82\xAC\" of column NOTE"),
              std::string::npos)
        << errorReports()[0];
    EXPECT_NE(errorReports()[0].find("at line 226"), std::string::npos) << errorReports()[0];
    std::lock_guard lock(latin1.database().mutex());
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(latin1.database().handle(), "SELECT [ITEM], [NOTE] FROM [prices] ORDER BY rowid", -1,
                                 &stmt, nullptr),
              SQLITE_OK);
    std::vector<std::string> stored;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        stored.push_back(std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))) + "|" +
                         reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)));
    sqlite3_finalize(stmt);
    EXPECT_EQ(stored, (std::vector<std::string>{"tea|plain", "caf\xC3\xA9|na\xC3\xAFve"}));
}

// The statements the server ran that hold `text`.
std::vector<std::string> logged(const tds::Server& server, const std::string& text)
{
    std::vector<std::string> out;
    for (const auto& sql : const_cast<tds::Server&>(server).database().statementLog())
        if (sql.find(text) != std::string::npos)
            out.push_back(sql);
    return out;
}

// Rows r001 … rNNN; those numbered in `marked` carry `marker` in their second column. With `memo`, a third value
// of several lines.
std::vector<std::vector<db::Value>> numberedRows(int count, const std::vector<int>& marked, const std::string& marker,
                                                 bool memo = false)
{
    std::vector<std::vector<db::Value>> rows;
    for (int i = 1; i <= count; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "r%03d", i);
        const bool mark = std::find(marked.begin(), marked.end(), i) != marked.end();
        rows.push_back({db::Value(std::string(name)), db::Value(mark ? marker : std::string("fine"))});
        if (memo)
            rows.back().emplace_back(std::string(static_cast<std::size_t>(i % 4), '\n') + "end");
    }
    return rows;
}

// A group's rows reach the server many to a request. Two rows that fail there are reported each with its own
// statement, the others all arrive, and no row runs twice.
TEST_F(AseServerTest, RowsThatFailInsideARequestAreReportedWithTheirOwnStatementsAndNoRowRunsTwice)
{
    tds::ServerConfig config;
    config.keepStatementLog = true;
    config.duplicateMarker = "TAKEN";
    tds::Server server(config);
    useServer(server);
    // Values of several lines move each statement's first line in the request.
    foxTable("many", {{"N", 'C', 4}, {"V", 'C', 8}, {"M", 'M', 4}}, numberedRows(100, {3, 57}, "TAKEN", true));
    fill(m_list1, {"many"}, {"many"}, "many");
    commands::sendToAse(m_window);

    const auto reports = errorReports();
    ASSERT_EQ(reports.size(), 2u);
    for (const auto& [report, row] : {std::pair(reports[0], "r003"), std::pair(reports[1], "r057")}) {
        const auto statements = logged(server, row);
        ASSERT_EQ(statements.size(), 1u) << row;
        EXPECT_TRUE(report.ends_with("sql: " + statements[0])) << report;
        EXPECT_NE(report.find("Attempt to insert duplicate key row"), std::string::npos) << report;
        EXPECT_NE(report.find("at line 238"), std::string::npos) << report;
    }
    const auto inserts = logged(server, "INSERT INTO [many]");
    EXPECT_EQ(inserts.size(), 100u);
    EXPECT_EQ(std::set<std::string>(inserts.begin(), inserts.end()).size(), 100u);
    useServer(m_server);
    std::lock_guard lock(server.database().mutex());
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(server.database().handle(), "SELECT COUNT(*), MIN([N]), MAX([N]) FROM [many]", -1,
                                 &stmt, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(stmt, 0), 98);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)), "r001");
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2)), "r100");
    sqlite3_finalize(stmt);
}

// A request the server refuses as a whole ran nothing: its rows go again one at a time, with the reports a row
// sent alone gets, and every row runs once.
TEST_F(AseServerTest, ARequestRefusedWholeIsSentAgainRowByRow)
{
    tds::ServerConfig config;
    config.keepStatementLog = true;
    config.syntaxMarker = "GARBLED";
    tds::Server server(config);
    useServer(server);
    foxTable("few", {{"N", 'C', 4}, {"V", 'C', 8}}, numberedRows(10, {4}, "GARBLED"));
    fill(m_list1, {"few"}, {"few"}, "few");
    commands::sendToAse(m_window);

    const auto reports = errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].ends_with("sql: INSERT INTO [few] VALUES('r004', 'GARBLED')")) << reports[0];
    EXPECT_NE(reports[0].find("Incorrect syntax near 'GARBLED'."), std::string::npos) << reports[0];
    EXPECT_NE(reports[0].find("at line 238"), std::string::npos) << reports[0];
    const auto inserts = logged(server, "INSERT INTO [few]");
    EXPECT_EQ(inserts.size(), 9u); // each alone, and the refused one not at all; the refused request ran nothing
    EXPECT_EQ(std::set<std::string>(inserts.begin(), inserts.end()).size(), 9u);
    std::lock_guard lock(server.database().mutex());
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(
        sqlite3_prepare_v2(server.database().handle(), "SELECT [N] FROM [few] ORDER BY rowid", -1, &stmt, nullptr),
        SQLITE_OK);
    std::vector<std::string> names;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    EXPECT_EQ(names,
              (std::vector<std::string>{"r001", "r002", "r003", "r005", "r006", "r007", "r008", "r009", "r010"}));
}

} // namespace
} // namespace transfertest
