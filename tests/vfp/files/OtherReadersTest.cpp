// Independent readers open what we write and see the same values: python3-dbfread (values compared),
// python3-dbf (opens and reads without error) and pgdbf (converts it). Skipped where a tool is missing.
#include "TableTestSupport.h"
#include "support/TestSupport.h"

#include <array>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

using db::Value;
using filetest::field;

const std::string kPython = "/usr/bin/python3";

bool available(const std::string& probe)
{
    std::string out;
    return testsupport::runShell(probe, out) == 0;
}

std::string script(const char* name)
{
    std::string quoted = "'";
    quoted += (std::filesystem::path(CORVALEN_SOURCE_DIR) / "tests/vfp/files" / name).string();
    quoted += '\'';
    return quoted;
}

// A 0x30 table (no V/Q/W, which python3-dbf refuses) with every type the other readers know.
std::filesystem::path writeSample(const std::filesystem::path& folder, bool nullable)
{
    auto dbf = folder / "sample.dbf";
    filetest::writeTable(
        dbf,
        {field("NAME", 'C', 30, 0, nullable), field("AMOUNT", 'N', 10, 2), field("QTY", 'I'), field("RATE", 'B', 8, 2),
         field("PRICE", 'Y'), field("BORN", 'D'), field("SEEN", 'T'), field("OK", 'L'), field("NOTE", 'M')},
        {{"Müller \"Bob\" O'Neil", db::Decimal{"-12.5"}, 7, 2.25, db::Currency{123456}, db::Date{2024, 1, 31},
          db::DateTime{{2024, 1, 31}, 8, 15, 30, 0}, true, std::string(70000, 'x') + "\r\nend"},
         {"", db::Null{}, 0, 0.0, db::Currency{0}, db::Null{}, db::Null{}, false, ""},
         {"€ line", db::Decimal{"0.01"}, -5, -1e300, db::Currency{-1}, db::Date{1, 1, 1},
          db::DateTime{{9999, 12, 31}, 23, 59, 59, 0}, false, "tab\there"}});
    return dbf;
}

TEST(OtherReaders, dbfreadReadsOurValues)
{
    if (!available(kPython + " -c 'import dbfread'"))
        GTEST_SKIP() << "python3-dbfread is not installed";
    testsupport::TempDir dir;
    auto dbf = writeSample(dir.path(), false);
    std::string out;
    ASSERT_EQ(testsupport::runShell(kPython + " " + script("dbfread_dump.py") + " '" + dbf.string() + "'", out), 0)
        << out;
    std::string expected = "Müller \"Bob\" O'Neil\t-12.5\t7\t2.25\t12.3456\t2024-01-31\t2024-01-31T08:15:30\tTrue\t" +
                           std::string(70000, 'x') +
                           "\\r\\nend\n"
                           "\t<null>\t0\t0.0\t0\t<null>\t<null>\tFalse\t<null>\n"
                           "€ line\t0.01\t-5\t-1e+300\t-0.0001\t0001-01-01\t9999-12-31T23:59:59\tFalse\ttab\\there\n";
    EXPECT_EQ(out, expected);
}

TEST(OtherReaders, pythonDbfOpensOurTables)
{
    if (!available(kPython + " -c 'import dbf'"))
        GTEST_SKIP() << "python3-dbf is not installed";
    testsupport::TempDir dir;
    auto dbf = writeSample(dir.path(), false);
    std::string out;
    ASSERT_EQ(testsupport::runShell(kPython + " " + script("pydbf_dump.py") + " '" + dbf.string() + "'", out), 0)
        << out;
    EXPECT_NE(out.find("\n€ line\t0.01\t-5\t"), std::string::npos) << out.substr(0, 300);
    EXPECT_EQ(out.rfind("Müller \"Bob\" O'Neil\t-12.5\t7\t2.25\t12.3456\t2024-01-31\t2024-01-31 08:15:30\tTrue\t", 0),
              0u)
        << out.substr(0, 300);
}

TEST(OtherReaders, pgdbfConvertsOurTables)
{
    if (!available("command -v pgdbf"))
        GTEST_SKIP() << "pgdbf is not installed";
    testsupport::TempDir dir;
    auto dbf = writeSample(dir.path(), true); // with _NullFlags
    std::string out;
    ASSERT_EQ(
        testsupport::runShell("pgdbf -m '" + (dir.path() / "sample.fpt").string() + "' '" + dbf.string() + "'", out), 0)
        << out;
    EXPECT_NE(out.find("-12.50\t7\t2.25\t12.3456\t2024-01-31"), std::string::npos) << out.substr(0, 500);
    EXPECT_NE(out.find("tab\\there"), std::string::npos);
}

} // namespace
