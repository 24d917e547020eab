// The container through the provider, as the commands use it: list, read, create, insert, drop.
#include "DbcTestSupport.h"
#include "db/Connection.h"
#include "db/Recordset.h"
#include "db/vfp/VfpProvider.h"
#include "db/vfp/dbc/CdxReader.h"
#include "db/vfp/dbc/DbcFile.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> listedTables(db::Connection& connection)
{
    db::Recordset rs = connection.OpenSchema(db::Schema::Tables);
    std::vector<std::string> out;
    while (!rs.Eof()) {
        if (rs.fields("TABLE_TYPE").value().toText() == "TABLE")
            out.push_back(rs.fields("TABLE_NAME").value().toText());
        rs.MoveNext();
    }
    return out;
}

} // namespace

TEST(DbcProvider, ListsReadsCreatesInsertsAndDropsThroughAConnection)
{
    SKIP_WITHOUT_FIXTURES();
    testsupport::TempDir dir;
    dbctest::copyFixtureFiles(testsupport::vfpFixtures() / "go-dbase/database", dir.path());
    db::vfp::registerVfpProvider();
    db::Connection connection;
    connection.CursorLocation = db::CursorLocation::Server;
    connection.Open("Provider=vfpoledb.1;Data Source=" + (dir.path() / "expenses.dbc").string() +
                    ";Collating Sequence=machine;");
    EXPECT_EQ(listedTables(connection),
              (std::vector<std::string>{"employees", "expense_categories", "expense_details", "expense_reports"}));

    db::Recordset rs;
    rs.Open("SELECT * FROM \"expense_categories\"", connection);
    EXPECT_EQ(rs.RecordCount(), 5);
    ASSERT_EQ(rs.FieldCount(), 3);
    EXPECT_EQ(rs.fields(2).Name(), "expensecategoryaccount");
    EXPECT_EQ(rs.fields("expensecategory").value().toText(), "Meals");
    rs.Close();

    connection.Execute("CREATE TABLE \"Sent Rows\" (\"customer_address_line\" M, \"amount_in_dollars\" FLOAT)");
    connection.Execute("INSERT INTO \"Sent Rows\" VALUES('12 High St', '3.5')");
    connection.Execute("INSERT INTO \"Sent Rows\" VALUES('Mill Lane', NULL)");
    EXPECT_THROW(connection.Execute("CREATE TABLE \"sent rows\" (\"a\" M)"), std::runtime_error);
    rs.Open("SELECT * FROM \"sent rows\"", connection);
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.fields(0).Name(), "customer_address_line");
    EXPECT_EQ(rs.fields(0).value().toText(), "12 High St");
    rs.Close();

    connection.Execute("DROP TABLE \"expense_details\"");
    connection.Close();

    db::Connection again;
    again.Open("Provider=vfpoledb.1;Data Source=" + (dir.path() / "EXPENSES.DBC").string() +
               ";Collating Sequence=machine;");
    EXPECT_EQ(listedTables(again),
              (std::vector<std::string>{"employees", "expense_categories", "expense_reports", "Sent Rows"}));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "expense details.dbf"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "sent rows.dbf"));
    // Both tags hold exactly the live records.
    db::vfp::DbcFile file(dir.path() / "EXPENSES.DBC", db::vfp::realFileOpener(), false);
    std::size_t live = 0;
    for (const auto& r : file.records())
        live += r.deleted ? 0 : 1;
    const auto index = db::vfp::cdx::readCompoundIndex(dir.path() / "EXPENSES.DCX");
    for (const auto& tag : index.tags)
        EXPECT_EQ(tag.keys.size(), live) << tag.name;
}
