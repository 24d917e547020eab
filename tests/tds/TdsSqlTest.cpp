// The server's own rewriting and encoding rules, where a slip would silently change data.
#include "TdsSql.h"

#include "TdsTypes.h"

#include <gtest/gtest.h>

namespace {

TEST(TdsSql, OnlyEmptyLiteralsOfInsertsBecomeOneBlank)
{
    EXPECT_EQ(tds::rewriteEmptyLiterals("INSERT INTO [T] VALUES('x', '', 'O''Brien', '''')"),
              "INSERT INTO [T] VALUES('x', ' ', 'O''Brien', '''')");
    EXPECT_EQ(tds::rewriteEmptyLiterals("  insert into [a''b] values('')"), "  insert into [a''b] values(' ')");
    EXPECT_EQ(tds::rewriteEmptyLiterals("SELECT * FROM [T] WHERE a = ''"), "SELECT * FROM [T] WHERE a = ''");
    EXPECT_EQ(tds::rewriteEmptyLiterals("INSERT INTO \"q''\" VALUES('') -- ''"),
              "INSERT INTO \"q''\" VALUES(' ') -- ''");
}

TEST(TdsSql, StringRulesOfAseAreAppliedInsideLiteralsOnly)
{
    // A backslash before LF or CR LF inside a literal vanishes with the line break.
    EXPECT_EQ(tds::applyStringRules("SELECT 'a\\\nb', 'c\\\r\nd', 'e\\ f\\'"), "SELECT 'ab', 'cd', 'e\\ f\\'");
    EXPECT_EQ(tds::applyStringRules("SELECT 'x\\\\\ny'"), "SELECT 'x\\y'");
    // Outside literals, names and comments nothing changes.
    EXPECT_EQ(tds::applyStringRules("SELECT [a\\\nb], \"c\\\nd\" -- e\\\nf"), "SELECT [a\\\nb], \"c\\\nd\" -- e\\\nf");
    // + joins two literals; other + stay.
    EXPECT_EQ(tds::applyStringRules("INSERT INTO [T] VALUES('a\\' + '\r\nb', 1 + 2, 'it''s' +'x')"),
              "INSERT INTO [T] VALUES('a\\' || '\r\nb', 1 + 2, 'it''s' ||'x')");
    EXPECT_EQ(tds::applyStringRules("SELECT 'a' + 1, 2 + 'b'"), "SELECT 'a' + 1, 2 + 'b'");
}

TEST(TdsSql, SqliteFailuresCarryAsesNumbers)
{
    EXPECT_EQ(tds::aseErrorFromSqlite(1, "near \"SELEC\": syntax error").number, 102);
    EXPECT_EQ(tds::aseErrorFromSqlite(1, "no such table: Missing").number, 208);
    const auto exists = tds::aseErrorFromSqlite(1, "table [T] already exists");
    EXPECT_EQ(exists.number, 2714);
    EXPECT_STREQ(exists.what(), "There is already an object named 'T' in the database.");
    EXPECT_EQ(tds::aseErrorFromSqlite(1, "table L has 3 columns but 2 values were supplied").number, 213);
    const auto other = tds::aseErrorFromSqlite(19, "NOT NULL constraint failed: T.a");
    EXPECT_EQ(other.number, 30019);
    EXPECT_STREQ(other.what(), "NOT NULL constraint failed: T.a");
}

TEST(TdsSql, ExecArgumentsPositionalNamedQuotedAndNull)
{
    const auto call = tds::parseExec("exec sp_tables @table_name = 'O''B%', NULL, @table_type=\"'TABLE'\"");
    ASSERT_TRUE(call);
    EXPECT_EQ(call->procedure, "sp_tables");
    ASSERT_EQ(call->arguments.size(), 3u);
    EXPECT_EQ(call->arguments[0].name, "@table_name");
    EXPECT_EQ(call->arguments[0].value, std::optional<std::string>("O'B%"));
    EXPECT_FALSE(call->arguments[1].value);
    EXPECT_FALSE(tds::parseExec("SELECT 1"));
    const auto bare = tds::parseExec("sp_tables 'T%'");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->procedure, "sp_tables");
    EXPECT_EQ(bare->arguments.at(0).value, std::optional<std::string>("T%"));
}

TEST(TdsSql, SessionBatchesAreRecognisedAndOthersAreNot)
{
    EXPECT_EQ(tds::sessionCommands("select @@spid use [db]").size(), 2u);
    EXPECT_EQ(tds::sessionCommands("set textsize 64512 use db").size(), 2u);
    EXPECT_TRUE(tds::sessionCommands("select * from [T]").empty());
    EXPECT_TRUE(tds::sessionCommands("use db select 1").empty());
    EXPECT_EQ(tds::likeToGlob("a_b%[*"), "a?b*[[][*]");
}

TEST(TdsTypes, DecimalsScaleAndRoundHalfAwayFromZero)
{
    EXPECT_EQ(tds::scaledDecimal("12.345", 2), 1235);
    EXPECT_EQ(tds::scaledDecimal("-12.345", 2), -1235);
    EXPECT_EQ(tds::scaledDecimal("1.5e3", 4), 15000000);
    EXPECT_EQ(tds::scaledDecimal("922337203685477.5807", 4), INT64_MAX);
    EXPECT_THROW(tds::scaledDecimal("abc", 2), tds::AseError);
    EXPECT_EQ(tds::numericBytes(18), 9);
    EXPECT_EQ(tds::numericBytes(38), 17);
}

TEST(TdsTypes, DateTimesCountDaysFrom1900AndThreeHundredthsOfSeconds)
{
    std::int32_t days = 0;
    std::uint32_t ticks = 0;
    ASSERT_TRUE(tds::parseDateTime("1900-01-02 00:00:01", days, ticks));
    EXPECT_EQ(days, 1);
    EXPECT_EQ(ticks, 300u);
    ASSERT_TRUE(tds::parseDateTime("1899-12-31", days, ticks));
    EXPECT_EQ(days, -1);
    ASSERT_TRUE(tds::parseDateTime("2000-03-01T12:00", days, ticks));
    EXPECT_EQ(days, 36584);
    EXPECT_FALSE(tds::parseDateTime("2000-13-01", days, ticks));
    EXPECT_FALSE(tds::parseDateTime("yesterday", days, ticks));
}

} // namespace
