// corvalen-sql with an ASEOLEDB connection string to the stand-in, as with a FoxPro folder.
#include "OdbcTestSupport.h"

#include <gtest/gtest.h>

namespace {

using ToolRun = testsupport::ProgramRun;

ToolRun runTool(const testsupport::TempDir& work, const std::vector<std::string>& args)
{
    return testsupport::runProgram(CORVALEN_SQL_TOOL, args, work.path());
}

} // namespace

TEST(CorvalenSqlAse, RunsStatementsAgainstTheStandIn)
{
    testsupport::TempDir work;
    const std::string cs = odbctest::standInString((work.path() / "ase.db").string());
    ToolRun r = runTool(work, {cs, "CREATE TABLE [T]([a] TEXT,[b] TEXT)", "INSERT INTO [T] VALUES('O''Brien', '')",
                               "SELECT * FROM [T]"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "[{\"name\":\"a\",\"type\":201},{\"name\":\"b\",\"type\":201}]\n[\"O'Brien\",\"\"]\n");

    r = runTool(work, {cs, "SCHEMA"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("[null,null,\"T\",\"TABLE\",null,null,null,null,null]"), std::string::npos) << r.out;

    r = runTool(work, {cs, "DROP TABLE [T]", "SELECT * FROM [T]"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("no such table: T"), std::string::npos) << r.err;
}
