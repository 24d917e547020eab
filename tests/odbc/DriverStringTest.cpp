// The strings handed on: the ASE connection string the window builds, and the driver string FreeTDS or the
// SQLite driver receives for it.
#include "db/odbc/DriverString.h"

#include "commands/AseConnection.h"
#include "db/odbc/DriverLookup.h"
#include "db/odbc/OdbcSession.h"
#include "db/odbc/OdbcTypes.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace db;
using namespace commands;
using namespace frame;
using namespace db::odbc;

namespace {

std::string driverTextFor(const std::string& connectionString)
{
    auto cs = ConnectionString::parse(connectionString);
    return aseDriverString(cs, parseTarget(cs), "FreeTDS").text();
}

} // namespace

TEST(AseConnectionStringTest, BuildsTheExampleByteForByte)
{
    ConnectionFields f;
    f.aseServer = "srv1";
    f.asePort = "5000";
    f.aseUser = "sa";
    f.asePassword = "";
    f.aseDatabase = "pubs2";
    EXPECT_EQ(aseConnectionString(f), "Provider=ASEOLEDB;Data Source=srv1:5000;User Id=sa;Password=;;Catalog=pubs2");
}

TEST(AseConnectionStringTest, PlainFieldsGoInUnchanged)
{
    ConnectionFields empty;
    EXPECT_EQ(aseConnectionString(empty), "Provider=ASEOLEDB;Data Source=:;User Id=;Password=;;Catalog=");
    ConnectionFields f;
    f.aseServer = "db.example.org";
    f.asePort = "4100";
    f.aseUser = "sa_1=x";
    f.asePassword = "p@ss w0rd!=(x)";
    f.aseDatabase = "my db";
    EXPECT_EQ(aseConnectionString(f), "Provider=ASEOLEDB;Data Source=db.example.org:4100;User Id=sa_1=x;"
                                      "Password=p@ss w0rd!=(x);;Catalog=my db");
}

TEST(AseConnectionStringTest, AwkwardFieldsAreQuotedAndReadBackExactly)
{
    ConnectionFields f;
    f.aseServer = " host ";
    f.asePassword = "p;w=x";
    f.aseDatabase = "db";
    EXPECT_EQ(aseConnectionString(f),
              "Provider=ASEOLEDB;Data Source=\" host :\";User Id=;Password=\"p;w=x\";;Catalog=db");
    // Each awkward value in each field: the parser gives back exactly what the builder was given.
    const std::vector<std::string> awkward = {"p;w}\"x ", " lead", "trail\t", "'quoted'", "\"dq\"", "it's \"both\"",
                                              "{braced}", "a}b{c", "a;b;c",   ";",        "'",      "\"",
                                              "''",       "x\r\n", " ",       "\ty",      "=",      "a=b;c=d"};
    for (const auto& v : awkward) {
        for (int field = 0; field < 4; ++field) {
            ConnectionFields g;
            g.aseServer = "srv";
            g.asePort = "5000";
            g.aseUser = "sa";
            g.asePassword = "pw";
            g.aseDatabase = "pubs2";
            std::string* target[] = {&g.aseServer, &g.aseUser, &g.asePassword, &g.aseDatabase};
            *target[field] = v;
            const auto cs = ConnectionString::parse(aseConnectionString(g));
            EXPECT_EQ(cs.pairs().size(), 5u) << v;
            EXPECT_EQ(cs.get("Data Source"), g.aseServer + ":5000") << v;
            EXPECT_EQ(cs.get("User Id"), g.aseUser) << v;
            EXPECT_EQ(cs.get("Password"), g.asePassword) << v;
            EXPECT_EQ(cs.get("Catalog"), g.aseDatabase) << v;
        }
        EXPECT_EQ(ConnectionString::parse("k=" + connectionStringValue(v)).get("k"), v) << v;
    }
}

TEST(AseConnectionStringTest, APasswordCannotAddOrRedirectAnAttribute)
{
    ConnectionFields f;
    f.aseServer = "srv";
    f.asePort = "5000";
    f.aseUser = "sa";
    f.asePassword = "p;Server=x";
    f.aseDatabase = "pubs2;Connect Deadline=1";
    const auto cs = ConnectionString::parse(aseConnectionString(f));
    EXPECT_EQ(cs.get("Password"), "p;Server=x");
    EXPECT_EQ(cs.get("Catalog"), "pubs2;Connect Deadline=1");
    EXPECT_FALSE(cs.get("Server"));
    EXPECT_FALSE(cs.get("Connect Deadline"));
    EXPECT_EQ(driverTextFor(aseConnectionString(f)),
              "DRIVER=FreeTDS;Server=srv;Port=5000;UID=sa;PWD={p;Server=x};Database={pubs2;Connect Deadline=1};"
              "TDS_Version=5.0;ClientCharset=UTF-8;TextSize=2147483647;Timeout=60");
}

TEST(AseConnectionStringTest, TimeLimitsFromTheSettingsFollowAsAttributesOfTheirOwn)
{
    ConnectionFields f;
    f.aseServer = "srv1";
    f.asePort = "5000";
    f.aseUser = "sa";
    f.aseDatabase = "pubs2";
    f.connectDeadline = "2.5";
    EXPECT_EQ(aseConnectionString(f),
              "Provider=ASEOLEDB;Data Source=srv1:5000;User Id=sa;Password=;;Catalog=pubs2;Connect Deadline=2.5");
    f.queryTimeout = "90";
    const std::string text = aseConnectionString(f);
    EXPECT_EQ(text, "Provider=ASEOLEDB;Data Source=srv1:5000;User Id=sa;Password=;;Catalog=pubs2;Connect Deadline=2.5;"
                    "Query Timeout=90");
    const auto cs = ConnectionString::parse(text);
    EXPECT_EQ(connectDeadline(cs).count(), 2500);
    EXPECT_EQ(queryTimeoutSeconds(cs), 90u);
    EXPECT_EQ(driverTextFor(text), "DRIVER=FreeTDS;Server=srv1;Port=5000;UID=sa;PWD=;Database=pubs2;TDS_Version=5.0;"
                                   "ClientCharset=UTF-8;TextSize=2147483647;Timeout=90");
}

TEST(AseDriverStringTest, ExampleValuesReachFreeTdsAsDsnLessAttributes)
{
    EXPECT_EQ(driverTextFor("Provider=ASEOLEDB;Data Source=srv1:5000;User Id=sa;Password=;;Catalog=pubs2"),
              "DRIVER=FreeTDS;Server=srv1;Port=5000;UID=sa;PWD=;Database=pubs2;TDS_Version=5.0;ClientCharset=UTF-8;"
              "TextSize=2147483647;Timeout=60");
}

TEST(AseDriverStringTest, DataSourceSplitsAtTheLastColon)
{
    auto t = parseTarget(ConnectionString::parse("Data Source=db.example.org:4100"));
    EXPECT_EQ(t.server, "db.example.org");
    EXPECT_EQ(t.port, "4100");
    EXPECT_FALSE(t.standIn);
    t = parseTarget(ConnectionString::parse("Data Source=[::1]:5001"));
    EXPECT_EQ(t.server, "::1");
    EXPECT_EQ(t.port, "5001");
    t = parseTarget(ConnectionString::parse("Data Source=srv:"));
    EXPECT_EQ(t.server, "srv");
    EXPECT_EQ(t.port, "");
    // An empty port leaves the driver's own default.
    EXPECT_EQ(driverTextFor("Data Source=srv:;User Id=u;Password=p;;Catalog="),
              "DRIVER=FreeTDS;Server=srv;UID=u;PWD=p;TDS_Version=5.0;ClientCharset=UTF-8;TextSize=2147483647;"
              "Timeout=60");
}

TEST(AseDriverStringTest, KnownExtrasPassOnAndUnknownOnesStayBehind)
{
    auto text = driverTextFor("Provider=ASEOLEDB;Data Source=srv:5000;User Id=sa;Password=;;Catalog=pubs2;"
                              "Language=us_english;Persist Security Info=False;TDS_Version=4.2;PacketSize=4096;"
                              "Connect Deadline=2;Query Timeout=5;TextSize=65536");
    EXPECT_EQ(text, "DRIVER=FreeTDS;Server=srv;Port=5000;UID=sa;PWD=;Database=pubs2;TDS_Version=4.2;"
                    "ClientCharset=UTF-8;TextSize=65536;Timeout=5;Language=us_english;PacketSize=4096");
}

TEST(AseDriverStringTest, ValuesWithSeparatorsAreBracedByTheOdbcRule)
{
    EXPECT_EQ(driverTextFor("Data Source=srv:5000;User Id=sa;Password=\"a;b}c\";;Catalog=x"),
              "DRIVER=FreeTDS;Server=srv;Port=5000;UID=sa;PWD={a;b}}c};Database=x;TDS_Version=5.0;"
              "ClientCharset=UTF-8;TextSize=2147483647;Timeout=60");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"plain", "plain"},   {"a b", "a b"},         {"p@ss", "{p@ss}"},   {"x=y", "{x=y}"},
        {"(x)", "{(x)}"},     {"[x]", "{[x]}"},       {"a,b", "{a,b}"},     {"a?", "{a?}"},
        {"a*", "{a*}"},       {"a!", "{a!}"},         {"{x", "{{x}"},       {"x}", "{x}}}"},
        {" lead", "{ lead}"}, {"trail ", "{trail }"}, {"tab\t", "{tab\t}"}, {"p;w}\"x ", "{p;w}}\"x }"}};
    for (const auto& [value, written] : cases) {
        DriverString d;
        d.set("PWD", value);
        EXPECT_EQ(d.text(), "PWD=" + written) << value;
    }
}

TEST(AseDriverStringTest, FreeTdsUpToOneThreeGetsBracesVerbatimFollowedBySemicolon)
{
    DriverString d(DriverString::Quoting::BracesVerbatim);
    d.set("UID", "a}b");
    d.set("PWD", "p;w}\"x ");
    EXPECT_EQ(d.text(), "UID={a}b};PWD={p;w}\"x };"); // the last value in braces still ends at "};"
    d.set("Database", "db");
    EXPECT_EQ(d.text(), "UID={a}b};PWD={p;w}\"x };Database=db");
    d.set("PWD", "x};y");
    EXPECT_THROW(d.text(), std::runtime_error);
    EXPECT_TRUE(d.braceStyleMatters());
    DriverString plain;
    plain.set("PWD", "a;b");
    plain.set("UID", "ab");
    EXPECT_FALSE(plain.braceStyleMatters()); // no value in braces holds a '}'
}

TEST(AseDriverStringTest, QueryTimeoutIsWholeSecondsWithADefaultOfSixty)
{
    EXPECT_EQ(queryTimeoutSeconds(ConnectionString::parse("Data Source=a:1")), 60u);
    EXPECT_EQ(queryTimeoutSeconds(ConnectionString::parse("Data Source=a:1;Query Timeout=")), 60u);
    EXPECT_EQ(queryTimeoutSeconds(ConnectionString::parse("Query Timeout=1")), 1u);
    EXPECT_EQ(queryTimeoutSeconds(ConnectionString::parse("query timeout=86400")), 86400u);
    for (const char* bad : {"0", "-1", "1.5", "soon", "86401", "99999999999", " 5"})
        EXPECT_THROW(queryTimeoutSeconds(ConnectionString::parse(std::string("Query Timeout=\"") + bad + "\"")),
                     std::runtime_error)
            << bad;
}

TEST(StandInDriverStringTest, SqlitePrefixNamesTheFileAndIgnoresLogin)
{
    for (const char* source : {"sqlite:/tmp/x.db:5000", "sqlite:/tmp/x.db:", "sqlite:/tmp/x.db", "SQLite:/tmp/x.db"}) {
        auto t = parseTarget(ConnectionString::parse(std::string("Data Source=") + source));
        EXPECT_TRUE(t.standIn) << source;
        EXPECT_EQ(t.standInFile, "/tmp/x.db") << source;
    }
    auto cs = ConnectionString::parse("Provider=ASEOLEDB;Data Source=sqlite:/d/a.db:5000;User Id=sa;Password=x;;"
                                      "Catalog=pubs2;Timeout=500;Language=us_english");
    EXPECT_EQ(standInDriverString(cs, parseTarget(cs), "SQLite3").text(),
              "DRIVER=SQLite3;Database=/d/a.db;JournalMode=WAL;SyncPragma=NORMAL;Timeout=500");
}

TEST(StandInDriverStringTest, TheSqliteDriverGetsPathsAsTheyStandAndNeverOneWithASemicolon)
{
    // The SQLite driver reads a value up to the next ';' and knows no braces.
    ConnectionFields f;
    f.aseServer = "sqlite:/d/ a{b}.db ";
    f.asePort = "5000";
    auto cs = ConnectionString::parse(aseConnectionString(f));
    EXPECT_EQ(standInDriverString(cs, parseTarget(cs), "SQLite3").text(),
              "DRIVER=SQLite3;Database=/d/ a{b}.db ;JournalMode=WAL;SyncPragma=NORMAL");
    f.aseServer = "sqlite:/d/a;b.db";
    cs = ConnectionString::parse(aseConnectionString(f));
    EXPECT_EQ(parseTarget(cs).standInFile, "/d/a;b.db");
    EXPECT_THROW(standInDriverString(cs, parseTarget(cs), "SQLite3").text(), std::runtime_error);
}

TEST(ConnectDeadlineTest, DefaultKeyAndEnvironment)
{
    ::unsetenv(kDeadlineEnv);
    EXPECT_EQ(connectDeadline(ConnectionString::parse("Data Source=a:1")).count(), 15000);
    EXPECT_EQ(connectDeadline(ConnectionString::parse("Data Source=a:1;Connect Deadline=0.5")).count(), 500);
    ::setenv(kDeadlineEnv, "3", 1);
    EXPECT_EQ(connectDeadline(ConnectionString::parse("Data Source=a:1")).count(), 3000);
    EXPECT_EQ(connectDeadline(ConnectionString::parse("Data Source=a:1;connect deadline=2")).count(), 2000);
    ::unsetenv(kDeadlineEnv);
    EXPECT_THROW(connectDeadline(ConnectionString::parse("Connect Deadline=soon")), std::runtime_error);
    EXPECT_THROW(connectDeadline(ConnectionString::parse("Connect Deadline=-1")), std::runtime_error);
}

TEST(CountStatementTest, PlainSelectCountsTheTableOtherwiseADerivedTable)
{
    EXPECT_EQ(countStatement("SELECT * FROM [T]"), "SELECT COUNT(*) FROM [T]");
    EXPECT_EQ(countStatement("select *  from [My Table] ; "), "SELECT COUNT(*) FROM [My Table]");
    EXPECT_EQ(countStatement("SELECT * FROM dbo.authors"), "SELECT COUNT(*) FROM dbo.authors");
    EXPECT_EQ(countStatement("SELECT a FROM [T] WHERE a = 'x'"),
              "SELECT COUNT(*) FROM (SELECT a FROM [T] WHERE a = 'x') corvalen_rows");
    EXPECT_EQ(countStatement("SELECT * FROM [T] ORDER BY a;"),
              "SELECT COUNT(*) FROM (SELECT * FROM [T] ORDER BY a) corvalen_rows");
}

TEST(OdbcTypesTest, DecimalTextsBecomeExactDecimals)
{
    EXPECT_EQ(parseDecimal("123.4500")->digits, "123.4500");
    EXPECT_EQ(parseDecimal("-.5")->digits, "-0.5");
    EXPECT_EQ(parseDecimal("+007")->digits, "7");
    EXPECT_EQ(parseDecimal("0")->digits, "0");
    EXPECT_FALSE(parseDecimal("1e5"));
    EXPECT_FALSE(parseDecimal(""));
    EXPECT_FALSE(parseDecimal("-"));
    EXPECT_FALSE(parseDecimal("1.2.3"));
}

TEST(OdbcTypesTest, AseTypesMapToTheAdoNumbersOfTheOdbcProvider)
{
    // The codes FreeTDS reports for ASE columns (text, univarchar, money, tinyint, time, unsigned int).
    EXPECT_EQ(classifySqlType(-1, false).adoType, ado::LongVarChar);
    EXPECT_EQ(classifySqlType(-9, false).adoType, ado::VarWChar);
    EXPECT_EQ(classifySqlType(3, false).adoType, ado::Numeric);
    EXPECT_EQ(classifySqlType(-6, false).adoType, ado::SmallInt);
    EXPECT_EQ(classifySqlType(-154, false).kind, ValueKind::Time);
    EXPECT_EQ(classifySqlType(4, true).adoType, ado::UnsignedInt);
    EXPECT_EQ(classifySqlType(93, false).adoType, ado::DBTimeStamp);
    EXPECT_EQ(classifySqlType(0, false).kind, ValueKind::Text); // unitext: FreeTDS leaves the code unset
}

TEST(DriverLookupTest, FindsTheInstalledDrivers)
{
    EXPECT_FALSE(findDriver(kFreeTds).empty());
    EXPECT_FALSE(findDriver(kSqlite).empty());
    DriverChoice missing{"NoSuchDriver", "/nonexistent/libnosuch.so", "The test driver", "no-such-package"};
    try {
        findDriver(missing);
        FAIL() << "a missing driver was found";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("no-such-package"), std::string::npos) << e.what();
    }
}
