// The program's ASE side end to end: ASEOLEDB connection strings, the catalogue, both sends and the deletion,
// through our ODBC provider and the real FreeTDS driver against the test server.
#include "TdsServer.h"
#include "TransferFixture.h"
#include "commands/AseConnection.h"
#include "commands/Commands.h"
#include "frame/TableList.h"

#include <algorithm>

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
    tds::Server m_server{tds::ServerConfig{}};
};

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

} // namespace
} // namespace transfertest
