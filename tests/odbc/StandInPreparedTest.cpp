// The stand-in runs the send's plain INSERTs with bound values: what arrives, and what a failing row reports,
// must be what the text statement gives.
#include "OdbcTestSupport.h"
#include "commands/SqlText.h"
#include "db/Connection.h"
#include "db/Recordset.h"

#include <gtest/gtest.h>

using namespace db;

namespace {

class StandInPreparedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        odbctest::registerProvider();
        conn.Open(odbctest::standInString((dir.path() / "ase.db").string()));
    }

    std::vector<std::vector<std::string>> texts(const std::string& sql)
    {
        Recordset rs;
        rs.Open(sql, conn);
        std::vector<std::vector<std::string>> rows;
        for (; !rs.Eof(); rs.MoveNext()) {
            rows.emplace_back();
            for (int i = 0; i < rs.FieldCount(); ++i)
                rows.back().push_back(rs.fields(i).value().isNull() ? "(null)" : rs.fields(i).value().toText());
        }
        return rows;
    }

    std::string failureOf(const std::string& sql) { return odbctest::failureOf(conn, sql); }

    static std::string quoted(const std::string& text)
    {
        std::string out;
        for (char c : text)
            out += c == '\'' ? std::string("''") : std::string(1, c);
        return out;
    }

    testsupport::TempDir dir;
    Connection conn;
};

} // namespace

TEST_F(StandInPreparedTest, ValuesArriveExactlyAsTheTextStatementStoresThem)
{
    std::string memo;
    for (int i = 0; memo.size() < 1200 * 1024; ++i) // longer than the runner keeps between rows
        memo += "Zeile " + std::to_string(i) + " 'zitiert' äöü 東京 🎉\r\n";
    const std::vector<std::string> values = {"O'Brien",
                                             "",
                                             "'",
                                             "''",
                                             "Grüße, 東京, Ελληνικά, 🎉",
                                             memo,
                                             "?",
                                             "{fn NOW()}",
                                             "{d '2020-01-01'}",
                                             "-- no comment",
                                             "/* x */",
                                             "a\\b",
                                             "  spaced  ",
                                             "\r\n",
                                             "123",
                                             "1e5",
                                             "0x10",
                                             "NULL",
                                             "\xff\xfe"};
    conn.Execute("CREATE TABLE [A]([k] TEXT,[v] TEXT,[w] TEXT)");
    conn.Execute("CREATE TABLE [B]([k] TEXT,[v] TEXT,[w] TEXT)");
    conn.beginGroup([](const std::string&, const std::exception_ptr&) { FAIL() << "no row should fail"; });
    for (size_t i = 0; i < values.size(); ++i) {
        const std::string k = std::to_string(i), v = quoted(values[i]);
        conn.Execute("INSERT INTO [A] VALUES('" + k + "', '" + v + "', '" + v + "x')"); // bound values
        conn.Execute("INSERT INTO [B] SELECT '" + k + "', '" + v + "', '" + v + "x'");  // the text, as ever
    }
    conn.endGroup();

    const std::string columns = "SELECT [k], typeof([v]), hex([v]), typeof([w]), hex([w]) FROM ";
    const auto prepared = texts(columns + "[A] ORDER BY rowid");
    ASSERT_EQ(prepared.size(), values.size());
    EXPECT_TRUE(prepared == texts(columns + "[B] ORDER BY rowid")) << "a value differs from the text statement's";
    const auto stored = texts("SELECT [v] FROM [A] ORDER BY rowid");
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_TRUE(stored[i][0] == values[i]) << "value " << i << " differs";
}

TEST_F(StandInPreparedTest, AFailingRowReportsWhatItsTextStatementReportsAndTheOthersArrive)
{
    conn.Execute("CREATE TABLE [U]([a] TEXT UNIQUE,[b] TEXT)");
    const std::string textReport = [&] {
        conn.Execute("INSERT INTO [U] SELECT 'x', '0'");
        std::string report = failureOf("INSERT INTO [U] SELECT 'x', '0'");
        conn.Execute("DELETE FROM [U]");
        return report;
    }();
    ASSERT_NE(textReport.find("UNIQUE constraint failed"), std::string::npos) << textReport;

    conn.beginGroup([](const std::string&, const std::exception_ptr&) {});
    conn.Execute("INSERT INTO [U] VALUES('x', '1')");
    EXPECT_EQ(failureOf("INSERT INTO [U] VALUES('x', '2')"), textReport);
    conn.Execute("INSERT INTO [U] VALUES('y', '3')");
    // A table that cannot take the row is reported as its text statement is, before anything runs.
    EXPECT_NE(failureOf("INSERT INTO [U] VALUES('z')").find("table U has 2 columns but 1 values were supplied"),
              std::string::npos);
    EXPECT_NE(failureOf("INSERT INTO [Missing] VALUES('z')").find("no such table: Missing"), std::string::npos);
    conn.endGroup();
    EXPECT_EQ(texts("SELECT [a], [b] FROM [U] ORDER BY rowid"),
              (std::vector<std::vector<std::string>>{{"x", "1"}, {"y", "3"}}));

    // A table made again under the same name takes the rows in its new columns.
    conn.Execute("DROP TABLE [U]");
    conn.Execute("CREATE TABLE [U]([b] TEXT,[a] TEXT NOT NULL)");
    conn.Execute("INSERT INTO [U] VALUES('p', 'q')");
    EXPECT_EQ(texts("SELECT [a] FROM [U]"), (std::vector<std::vector<std::string>>{{"q"}}));
}

// The send splits a quoted text after a backslash that ends a line ('C:\' + '<CR><LF>next'), because ASE would
// otherwise take the pair as a line continuation and drop both. ASE joins the pieces again; SQLite's + is
// arithmetic and stored 0 in their place.
TEST_F(StandInPreparedTest, TextSplitAfterABackslashAtALineEndArrivesWhole)
{
    const std::vector<std::string> values = {"C:\\temp\\\r\nnext", "a\\\nb\\\rc", "it's\\\n", "\\\\\n", "\\"};
    conn.Execute("CREATE TABLE [P]([k] TEXT,[v] TEXT)");
    for (size_t i = 0; i < values.size(); ++i)
        conn.Execute("INSERT INTO [P] VALUES('" + std::to_string(i) + "', '" + commands::aseQuotes(values[i]) + "')");
    const auto stored = texts("SELECT [v] FROM [P] ORDER BY rowid");
    ASSERT_EQ(stored.size(), values.size());
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(stored[i][0], values[i]);
}
