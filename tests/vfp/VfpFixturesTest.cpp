#include "db/Connection.h"
#include "db/Recordset.h"
#include "db/vfp/VfpProvider.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> tableNames(db::Connection& c)
{
    std::vector<std::string> names;
    for (db::Recordset rs = c.OpenSchema(db::Schema::Tables); !rs.Eof(); rs.MoveNext())
        names.push_back(rs.fields("TABLE_NAME").value().toText());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

// Tables written by Visual FoxPro, read through the provider exactly as the sends read them. Read only: nothing
// is written into the reference folder.
TEST(VfpFixtures, FreeFolderTablesByNameInAnyLetterCase)
{
    SKIP_WITHOUT_FIXTURES();
    db::vfp::registerVfpProvider();
    db::Connection c;
    c.Open("Provider=vfpoledb.1;Data Source=" + (testsupport::vfpFixtures() / "vfpclient" / "free").string() +
           ";Collating Sequence=general;");
    EXPECT_EQ(tableNames(c), (std::vector<std::string>{"AllTypes", "Artist", "Candidates", "SingleColumnSingleRow",
                                                       "sample_c", "sample_c1"}));
    db::Recordset rs;
    rs.Open("SELECT * FROM \"artist\"", c, db::CursorType::Static, db::LockType::Optimistic);
    EXPECT_EQ(rs.RecordCount(), 5); // six records, one deleted
    EXPECT_EQ(rs.fields(0).Name(), "NAME");
    EXPECT_EQ(rs.fields(0).value().toText().rfind("Megadeth", 0), 0u);
}

TEST(VfpFixtures, ContainerFoundIgnoringCaseWithLongFieldNames)
{
    SKIP_WITHOUT_FIXTURES();
    db::vfp::registerVfpProvider();
    db::Connection c;
    fs::path dbc = testsupport::vfpFixtures() / "infused-dbf" / "foxprodb" / "foxpro-db-test.dbc";
    c.Open("Provider=vfpoledb.1;Data Source=" + dbc.string() + ";Collating Sequence=machine;");
    EXPECT_EQ(tableNames(c), (std::vector<std::string>{"calls", "contacts", "setup", "types"}));
    db::Recordset rs;
    rs.Open("SELECT * FROM \"CALLS\"", c);
    EXPECT_GT(rs.FieldCount(), 0);
    EXPECT_GT(rs.RecordCount(), 0);
}

// Appending to a table whose structural index this engine does not update would leave the index stale, so the
// insert is refused and the table stays as it was.
TEST(VfpFixtures, NoInsertIntoATableWithAStructuralIndex)
{
    SKIP_WITHOUT_FIXTURES();
    db::vfp::registerVfpProvider();
    testsupport::TempDir dir;
    for (const char* f : {"Candidates.DBF", "Candidates.CDX"})
        fs::copy_file(testsupport::vfpFixtures() / "vfpclient" / "free" / f, dir.path() / f);
    auto before = testsupport::readFile(dir.path() / "Candidates.DBF");
    db::Connection c;
    c.Open("Provider=vfpoledb;Data Source=" + dir.str());
    try {
        c.Execute("INSERT INTO \"candidates\" VALUES(1, 2)");
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("structural index"), std::string::npos) << e.what();
    }
    EXPECT_EQ(testsupport::readFile(dir.path() / "Candidates.DBF"), before);
    // Dropping it takes the index with it.
    c.Execute("DROP TABLE \"CANDIDATES\"");
    EXPECT_TRUE(fs::is_empty(dir.path()));
}
