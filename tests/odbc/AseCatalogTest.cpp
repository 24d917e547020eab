// The ASE table listing: tables only, and names that look like system tables left out.
#include "OdbcTestSupport.h"
#include "commands/AseConnection.h"
#include "db/Connection.h"
#include "db/Recordset.h"
#include "frame/TableList.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>

using namespace db;
using namespace commands;
using namespace frame;

namespace {

class VectorSink : public frame::TableList {
public:
    void clear() override
    {
        names.clear();
        ++clears;
    }
    void add(const std::string& name) override { names.push_back(name); }
    std::vector<std::string> names;
    int clears = 0;
};

} // namespace

TEST(AseCatalogTest, ListsTablesWithoutSysNamesViewsOrSqliteInternals)
{
    odbctest::registerProvider();
    testsupport::TempDir dir;
    auto fields = odbctest::standInFields((dir.path() / "cat.db").string());
    {
        Connection conn;
        conn.Open(aseConnectionString(fields));
        for (const char* name : {"sysusers", "SysLog", "MYSYSTEM", "crisys", "physics", "SY_S", "Kunden"})
            conn.Execute(std::string("CREATE TABLE [") + name + "]([a] TEXT)");
        conn.Execute("CREATE TABLE [Counter]([id] INTEGER PRIMARY KEY AUTOINCREMENT)"); // makes sqlite_sequence
        conn.Execute("INSERT INTO [Counter] VALUES(NULL)");
        conn.Execute("CREATE VIEW [KundenView] AS SELECT * FROM [Kunden]");

        Recordset schema = conn.OpenSchema(Schema::Tables);
        std::map<std::string, std::string> types;
        while (!schema.Eof()) {
            types[schema.fields("TABLE_NAME").value().toText()] = schema.fields("TABLE_TYPE").value().toText();
            schema.MoveNext();
        }
        EXPECT_EQ(types["sqlite_sequence"], "SYSTEM TABLE");
        EXPECT_EQ(types["KundenView"], "VIEW");
        EXPECT_EQ(types["SysLog"], "TABLE");
    }

    VectorSink list;
    list.names = {"left over"};
    int yields = 0;
    listAseTables(list, fields, [&] { ++yields; });
    std::sort(list.names.begin(), list.names.end());
    EXPECT_EQ(list.names, (std::vector<std::string>{"Counter", "Kunden", "SY_S", "physics"}));
    EXPECT_EQ(list.clears, 1);
    EXPECT_EQ(yields, 8); // before every table row, kept or not
}

TEST(AseCatalogTest, UnreachableServerLeavesTheListAlone)
{
    odbctest::registerProvider();
    VectorSink list;
    list.names = {"from before"};
    EXPECT_THROW(listAseTables(list, odbctest::loopbackFields(odbctest::refusedPort()), {}), std::runtime_error);
    EXPECT_EQ(list.clears, 0);
    EXPECT_EQ(list.names, (std::vector<std::string>{"from before"}));
}
