#include "support/TestSupport.h"
#include "tools/corvalen-sql/JsonLines.h"

#include <gtest/gtest.h>

namespace {

using ToolRun = testsupport::ProgramRun;

ToolRun runTool(const testsupport::TempDir& work, const std::vector<std::string>& args, const std::string& input = {})
{
    return testsupport::runProgram(CORVALEN_SQL_TOOL, args, work.path(), input);
}

} // namespace

TEST(JsonLines, EscapesEveryTextIntoValidJson)
{
    EXPECT_EQ(tools::jsonString("a\"b\\c\n\r\t\x01\x1f\x7f"), "\"a\\\"b\\\\c\\n\\r\\t\\u0001\\u001f\x7f\"");
    EXPECT_EQ(tools::jsonString("ünï €"), "\"ünï €\"");
    // Bytes that are not UTF-8 (a lone continuation, a cut sequence, an overlong form) become U+FFFD.
    EXPECT_EQ(tools::jsonString("a\x80z\xc3"), "\"a\\ufffdz\\ufffd\"");
    EXPECT_EQ(tools::jsonString("\xc0\xaf"), "\"\\ufffd\\ufffd\"");
    EXPECT_EQ(tools::jsonString(std::string("x\0y", 3)), "\"x\\u0000y\"");
    EXPECT_EQ(tools::rowLine({db::Value("O'Brien"), db::Value(db::Null{}), db::Value(std::int64_t{7}),
                              db::Value(db::Bytes{0, 255})}),
              "[\"O'Brien\",null,\"7\",\"0x00ff\"]");
    EXPECT_EQ(tools::fieldsLine({{"A", 201}, {"b\"", 5}}),
              "[{\"name\":\"A\",\"type\":201},{\"name\":\"b\\\"\",\"type\":5}]");
}

TEST(CorvalenSql, RunsStatementsAndPrintsJsonLines)
{
    testsupport::TempDir data, work;
    std::string cs = "Provider=vfpoledb.1;Data Source=" + data.str() + ";Collating Sequence=general;";
    ToolRun r = runTool(work, {cs, "CREATE TABLE \"T\"(\"a\" M,\"b\" FLOAT,\"c\" M,\"d\" BLOB)",
                               "INSERT INTO \"T\" VALUES('O''Brien \"x\"', NULL, '7', '0x00ff')", "SELECT * FROM \"T\"",
                               "SCHEMA"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "[{\"name\":\"A\",\"type\":201},{\"name\":\"B\",\"type\":5},{\"name\":\"C\",\"type\":201},"
                     "{\"name\":\"D\",\"type\":205}]\n"
                     "[\"O'Brien \\\"x\\\"\",null,\"7\",\"0x00ff\"]\n"
                     "[{\"name\":\"TABLE_CATALOG\",\"type\":202},{\"name\":\"TABLE_SCHEMA\",\"type\":202},"
                     "{\"name\":\"TABLE_NAME\",\"type\":202},{\"name\":\"TABLE_TYPE\",\"type\":202},"
                     "{\"name\":\"TABLE_GUID\",\"type\":72},{\"name\":\"DESCRIPTION\",\"type\":202},"
                     "{\"name\":\"TABLE_PROPID\",\"type\":19},{\"name\":\"DATE_CREATED\",\"type\":7},"
                     "{\"name\":\"DATE_MODIFIED\",\"type\":7}]\n"
                     "[null,null,\"T\",\"TABLE\",null,null,null,null,null]\n");
}

TEST(CorvalenSql, ReadsStatementsFromInputAndStopsAtAFailure)
{
    testsupport::TempDir data, work;
    std::string cs = "Provider=vfpoledb;Data Source=" + data.str();
    ToolRun ok = runTool(work, {cs}, "create table t (n i)\r\n\ninsert into t values(-5)\nselect * from t\n");
    EXPECT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_EQ(ok.out, "[{\"name\":\"N\",\"type\":3}]\n[\"-5\"]\n");

    ToolRun bad = runTool(work, {cs, "INSERT INTO t VALUES(1)", "SELECT * FROMM t", "INSERT INTO t VALUES(2)"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err, "Syntax error at position 10 near 'FROMM'\n");
    EXPECT_EQ(runTool(work, {cs, "SELECT * FROM t"}).out, "[{\"name\":\"N\",\"type\":3}]\n[\"-5\"]\n[\"1\"]\n");

    ToolRun noSource = runTool(work, {"Provider=vfpoledb.1;Data Source=" + (data.path() / "gone").string()});
    EXPECT_EQ(noSource.exitCode, 1);
    EXPECT_NE(noSource.err.find("does not exist"), std::string::npos);
}
