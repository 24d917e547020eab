// corvalen-sql with an ASEOLEDB connection string to the stand-in, as with a FoxPro folder.
#include "OdbcTestSupport.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace {

std::string shellQuote(const std::string& s)
{
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

struct ToolRun {
    int exitCode = -1;
    std::string out, err;
};

ToolRun runTool(const testsupport::TempDir& work, const std::vector<std::string>& args)
{
    std::string cmd = shellQuote(CORVALEN_SQL_TOOL);
    for (const auto& a : args)
        cmd += " " + shellQuote(a);
    auto out = work.path() / "stdout.txt", err = work.path() / "stderr.txt";
    cmd += " </dev/null >" + shellQuote(out.string()) + " 2>" + shellQuote(err.string());
    int status = std::system(cmd.c_str());
    ToolRun r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = testsupport::readFile(out);
    r.err = testsupport::readFile(err);
    return r;
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
