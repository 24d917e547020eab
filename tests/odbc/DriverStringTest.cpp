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

TEST(AseConnectionStringTest, InsertsFieldsUnchanged)
{
    ConnectionFields empty;
    EXPECT_EQ(aseConnectionString(empty), "Provider=ASEOLEDB;Data Source=:;User Id=;Password=;;Catalog=");
    ConnectionFields f;
    f.aseServer = " host ";
    f.asePassword = "p;w=x";
    f.aseDatabase = "db";
    EXPECT_EQ(aseConnectionString(f), "Provider=ASEOLEDB;Data Source= host :;User Id=;Password=p;w=x;;Catalog=db");
}

TEST(AseDriverStringTest, ExampleValuesReachFreeTdsAsDsnLessAttributes)
{
    EXPECT_EQ(driverTextFor("Provider=ASEOLEDB;Data Source=srv1:5000;User Id=sa;Password=;;Catalog=pubs2"),
              "DRIVER=FreeTDS;Server=srv1;Port=5000;UID=sa;PWD=;Database=pubs2;TDS_Version=5.0;ClientCharset=UTF-8");
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
              "DRIVER=FreeTDS;Server=srv;UID=u;PWD=p;TDS_Version=5.0;ClientCharset=UTF-8");
}

TEST(AseDriverStringTest, KnownExtrasPassOnAndUnknownOnesStayBehind)
{
    auto text = driverTextFor("Provider=ASEOLEDB;Data Source=srv:5000;User Id=sa;Password=;;Catalog=pubs2;"
                              "Language=us_english;Persist Security Info=False;TDS_Version=4.2;PacketSize=4096;"
                              "Connect Deadline=2");
    EXPECT_EQ(text, "DRIVER=FreeTDS;Server=srv;Port=5000;UID=sa;PWD=;Database=pubs2;TDS_Version=4.2;"
                    "ClientCharset=UTF-8;Language=us_english;PacketSize=4096");
}

TEST(AseDriverStringTest, ValuesWithSeparatorsAreBraced)
{
    EXPECT_EQ(driverTextFor("Data Source=srv:5000;User Id=sa;Password=\"a;b}c\";;Catalog=x"),
              "DRIVER=FreeTDS;Server=srv;Port=5000;UID=sa;PWD={a;b}}c};Database=x;TDS_Version=5.0;"
              "ClientCharset=UTF-8");
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
