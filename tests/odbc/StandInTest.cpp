// Statements and rows through the embedded stand-in server, the way the sends use the ASE side.
#include "OdbcTestSupport.h"
#include "db/Connection.h"
#include "db/Recordset.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace db;

namespace {

class StandInTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        odbctest::registerProvider();
        conn.Open(odbctest::standInString((dir.path() / "ase.db").string()));
    }

    std::vector<std::vector<Value>> readAll(const std::string& sql, Recordset& rs)
    {
        rs.Open(sql, conn, db::CursorType::Static, db::LockType::Optimistic);
        std::vector<std::vector<Value>> rows;
        while (!rs.Eof()) {
            std::vector<Value> row;
            for (int i = 0; i < rs.FieldCount(); ++i)
                row.push_back(rs.fields(i).value());
            rows.push_back(row);
            rs.MoveNext();
        }
        return rows;
    }

    std::string failureOf(const std::string& sql) { return odbctest::failureOf(conn, sql); }

    testsupport::TempDir dir;
    Connection conn;
};

} // namespace

TEST_F(StandInTest, TextTableRoundTripKeepsEveryValueExactly)
{
    const std::string big(100 * 1024, 'x');
    std::string bigMixed;
    for (int i = 0; bigMixed.size() < 100 * 1024; ++i)
        bigMixed += "Zeile " + std::to_string(i) + " äöü 東京 'q' \n";
    const std::string unicode = "Grüße, 東京, Ελληνικά, 🎉";

    conn.Execute("CREATE TABLE [My Table]([name] TEXT,[note] TEXT,[memo] TEXT)");
    conn.Execute("INSERT INTO [My Table] VALUES('O''Brien', '', '" + big + "')");
    std::string quoted;
    for (char c : bigMixed)
        quoted += c == '\'' ? std::string("''") : std::string(1, c);
    conn.Execute("INSERT INTO [My Table] VALUES('" + unicode + "', 'it''s', '" + quoted + "')");

    Recordset rs;
    auto rows = readAll("SELECT * FROM [My Table]", rs);
    EXPECT_EQ(rs.RecordCount(), 2);
    ASSERT_EQ(rs.FieldCount(), 3);
    EXPECT_EQ(rs.fields(0).Name(), "name");
    EXPECT_EQ(rs.fields("memo").Type(), ado::LongVarChar);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], Value("O'Brien"));
    EXPECT_EQ(rows[0][1], Value("")); // empty stays empty, not Null
    EXPECT_EQ(rows[0][2], Value(big));
    EXPECT_EQ(rows[1][0], Value(unicode));
    EXPECT_EQ(rows[1][1], Value("it's"));
    EXPECT_EQ(rows[1][2], Value(bigMixed));
    rs.Close();

    conn.Execute("DROP TABLE [My Table]");
    EXPECT_NE(failureOf("SELECT * FROM [My Table]").find("no such table"), std::string::npos);
}

TEST_F(StandInTest, TypedColumnsReportAdoTypesAndNativeValues)
{
    conn.Execute("CREATE TABLE [Typed]([i] INTEGER,[big] BIGINT,[d] DOUBLE,[v] VARCHAR(10),[b] LONGVARBINARY,"
                 "[ts] DATETIME,[dt] DATE,[ok] BIT,[small] SMALLINT)");
    conn.Execute("INSERT INTO [Typed] VALUES(-42, 9007199254740993, 2.5, 'abc', X'00410042000043', "
                 "'2021-08-31 12:34:56.789', '1999-12-31', 1, 7)");
    conn.Execute("INSERT INTO [Typed] VALUES(NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)");

    Recordset rs;
    auto rows = readAll("SELECT * FROM [Typed]", rs);
    std::vector<int> types;
    for (int i = 0; i < rs.FieldCount(); ++i)
        types.push_back(rs.fields(i).Type());
    EXPECT_EQ(types, (std::vector<int>{ado::Integer, ado::BigInt, ado::Double, ado::VarChar, ado::LongVarBinary,
                                       ado::DBTimeStamp, ado::DateType, ado::Boolean, ado::SmallInt}));
    ASSERT_EQ(rows.size(), 2u);
    const auto& r = rows[0];
    EXPECT_EQ(r[0], Value(std::int64_t{-42}));
    EXPECT_EQ(r[1], Value(std::int64_t{9007199254740993}));
    EXPECT_EQ(r[2], Value(2.5));
    EXPECT_EQ(r[3], Value("abc"));
    EXPECT_EQ(r[4], Value(Bytes{0, 'A', 0, 'B', 0, 0, 'C'}));
    EXPECT_EQ(r[5], Value(DateTime{{2021, 8, 31}, 12, 34, 56, 789}));
    EXPECT_EQ(r[6], Value(Date{1999, 12, 31}));
    EXPECT_EQ(r[7], Value(true));
    EXPECT_EQ(r[8], Value(std::int64_t{7}));
    for (const auto& v : rows[1])
        EXPECT_TRUE(v.isNull()) << v.toText();
}

// SQLite keeps whatever it is given in a typed column. A text there that is no number, date or bit comes back as
// that text, never as Null: a send must not turn it into an empty value without a word.
TEST_F(StandInTest, TextInATypedColumnComesBackAsItsText)
{
    conn.Execute("CREATE TABLE [Loose]([i] INTEGER,[d] DOUBLE,[ts] DATETIME,[dt] DATE,[ok] BIT)");
    conn.Execute("INSERT INTO [Loose] VALUES('xyz', 'abc', 'not a time', 'someday', 'maybe')");
    conn.Execute("INSERT INTO [Loose] VALUES(NULL, NULL, NULL, NULL, NULL)");
    conn.Execute("INSERT INTO [Loose] VALUES(7, 1.5, '2021-08-31 12:34:56', '1999-12-31', 2)");

    Recordset rs;
    auto rows = readAll("SELECT * FROM [Loose]", rs);
    ASSERT_EQ(rows.size(), 3u);
    std::vector<std::string> texts;
    for (const auto& row : rows)
        for (const auto& v : row)
            texts.push_back(v.isNull() ? "(null)" : v.toText());
    EXPECT_EQ(texts,
              (std::vector<std::string>{"xyz", "abc", "not a time", "someday", "maybe", "(null)", "(null)", "(null)",
                                        "(null)", "(null)", "7", "1.5", "2021-08-31 12:34:56", "1999-12-31", "True"}));
}

// Bytes longer than the cursor's first piece come back whole, as do a short value and a null after them.
TEST_F(StandInTest, LongBinaryValuesComeBackWhole)
{
    Bytes big(300 * 1024 + 17);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<std::uint8_t>(i * 13 + i / 251);
    std::string hex = Value(big).toText(); // "0x..."
    conn.Execute("CREATE TABLE [Blobs]([id] INTEGER,[b] LONGVARBINARY)");
    conn.Execute("INSERT INTO [Blobs] VALUES(1, X'" + hex.substr(2) + "')");
    conn.Execute("INSERT INTO [Blobs] VALUES(2, X'00FF')");
    conn.Execute("INSERT INTO [Blobs] VALUES(3, NULL)");

    Recordset rs;
    auto rows = readAll("SELECT * FROM [Blobs] ORDER BY [id]", rs);
    ASSERT_EQ(rows.size(), 3u);
    ASSERT_TRUE(rows[0][1].is<Bytes>());
    EXPECT_EQ(rows[0][1].get<Bytes>().size(), big.size());
    EXPECT_TRUE(rows[0][1].get<Bytes>() == big) << "the long value read back differs";
    EXPECT_EQ(rows[1][1], Value(Bytes{0, 0xFF}));
    EXPECT_TRUE(rows[2][1].isNull());
}

TEST_F(StandInTest, FailingStatementsRaiseTheDriversMessage)
{
    EXPECT_NE(failureOf("SELEC 1").find("near \"SELEC\": syntax error"), std::string::npos) << failureOf("SELEC 1");
    conn.Execute("CREATE TABLE [L]([a] TEXT,[b] TEXT,[c] TEXT)");
    EXPECT_NE(failureOf("INSERT INTO [L] VALUES('1', '2')").find("table L has 3 columns but 2 values were supplied"),
              std::string::npos);
    EXPECT_NE(failureOf("CREATE TABLE [L]([a] TEXT)").find("already exists"), std::string::npos);
    Recordset rs;
    EXPECT_THROW(rs.Open("SELECT * FROM [Missing]", conn), std::runtime_error);
    EXPECT_FALSE(rs.isOpen());
}

TEST_F(StandInTest, RecordCountIsExactBeforeTheFirstRow)
{
    conn.Execute("CREATE TABLE [E]([a] TEXT)");
    Recordset rs;
    rs.Open("SELECT * FROM [E]", conn, db::CursorType::Static, db::LockType::Optimistic);
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_TRUE(rs.Eof());
    rs.Close();
    conn.Execute("INSERT INTO [E] VALUES('only')");
    rs.Open("SELECT * FROM [E]", conn);
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.fields("a").value(), Value("only"));
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    rs.Close();
    // A query that is not a plain table read is counted as a derived table.
    rs.Open("SELECT a, 'x' AS b FROM [E] WHERE a = 'none'", conn);
    EXPECT_EQ(rs.RecordCount(), 0);
}

TEST_F(StandInTest, ConnectionsSeeEachOthersCommittedStatements)
{
    conn.Execute("CREATE TABLE [Shared]([a] TEXT)");
    conn.Execute("INSERT INTO [Shared] VALUES('1')");
    Connection other;
    other.Open(odbctest::standInString((dir.path() / "ase.db").string()));
    Recordset rs;
    rs.Open("SELECT * FROM [Shared]", other);
    EXPECT_EQ(rs.RecordCount(), 1);
    // Statements of one connection may go on while another reads (WAL).
    conn.Execute("INSERT INTO [Shared] VALUES('2')");
    rs.Close();
    other.Close();
}

TEST(StandInOpenTest, MissingFolderIsAClearErrorAndAMissingFileIsCreated)
{
    odbctest::registerProvider();
    testsupport::TempDir dir;
    Connection conn;
    try {
        conn.Open(odbctest::standInString((dir.path() / "nowhere" / "ase.db").string()));
        FAIL() << "opened a database in a missing folder";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("folder of the stand-in database does not exist"), std::string::npos);
    }
    EXPECT_FALSE(conn.isOpen());
    conn.Open(odbctest::standInString((dir.path() / "new.db").string()));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "new.db"));
    EXPECT_THROW(Connection().Open(odbctest::standInString(dir.str())), std::runtime_error); // a folder
}
