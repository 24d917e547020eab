// Creating and dropping tables in a container: the records Visual FoxPro writes, the index kept exact, and
// changes cut short at every write.
#include "DbcTestSupport.h"
#include "db/vfp/dbc/CdxReader.h"
#include "db/vfp/dbc/DbcContainer.h"
#include "db/vfp/dbc/DbcFile.h"
#include "db/vfp/dbc/DbcIndex.h"
#include "db/vfp/table/TableFiles.h"

#include <gtest/gtest.h>

using namespace db::vfp;

namespace {

// The columns of the one-table-per-type container's table, one of each Visual FoxPro kind.
std::vector<FieldDef> oneColumnPerType()
{
    auto f = [](const char* name, char type, int length, int decimals = 0, bool binary = false) {
        return db::vfp::makeField(name, type, {.length = length, .decimals = decimals, .binary = binary});
    };
    return {f("Blob", 'W', 4),
            f("Character", 'C', 10),
            f("CharacterBin", 'C', 10, 0, true),
            f("Currency", 'Y', 8, 4),
            f("Date", 'D', 8),
            f("DateTime", 'T', 8),
            f("Double", 'B', 8),
            f("Float", 'F', 10),
            f("General", 'G', 4),
            f("Integer", 'I', 4),
            f("IntegerAutoinc", 'I', 4),
            f("Logical", 'L', 1),
            f("Memo", 'M', 4),
            f("MemoBin", 'M', 4, 0, true),
            f("Numeric", 'N', 10),
            f("VarBin", 'Q', 10),
            f("VarChar", 'V', 10),
            f("VarCharBin", 'V', 10, 0, true)};
}

std::vector<std::string> tableNames(TableSource& source)
{
    std::vector<std::string> out;
    for (const TableEntry& e : source.listTables())
        if (e.type == "TABLE")
            out.push_back(e.name);
    return out;
}

// The index holds exactly the live records, keyed and laid out as a fresh rebuild lays them out.
void expectIndexMatchesRecords(const std::filesystem::path& dbc)
{
    DbcFile file(dbc, realFileOpener(), false);
    const auto onDisk = cdx::readCompoundIndex(companionFile(dbc, ".dcx"));
    const auto tags = containerIndexTags(file.records(), file.codePageMark());
    ASSERT_EQ(onDisk.tags.size(), tags.size());
    std::size_t live = 0;
    for (const DbcRecord& r : file.records())
        live += r.deleted ? 0 : 1;
    for (std::size_t t = 0; t < tags.size(); ++t) {
        EXPECT_EQ(onDisk.tags[t].keys.size(), live);
        auto expected = tags[t].keys;
        std::sort(expected.begin(), expected.end(), [](const cdx::KeyEntry& a, const cdx::KeyEntry& b) {
            return a.key != b.key ? a.key < b.key : a.recno < b.recno;
        });
        EXPECT_EQ(onDisk.tags[t].keys, expected);
    }
}

class DbcWrite : public ::testing::Test {
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_FIXTURES();
        dbctest::copyFixtureFiles(testsupport::vfpFixtures() / "vfpclient/blank-dbc", m_dir.path());
        m_dbc = m_dir.path() / "Blank.dbc";
    }
    testsupport::TempDir m_dir;
    std::filesystem::path m_dbc;
};

FieldDef column(const char* name, char type = 'C', int length = 10)
{
    return db::vfp::makeField(name, type, {.length = length});
}

} // namespace

TEST_F(DbcWrite, CreateWritesTheRecordsVisualFoxProWrites)
{
    DatabaseContainer(m_dbc).createTable("table1", oneColumnPerType());
    DbcFile ours(m_dbc, realFileOpener(), false);
    DbcFile vfp(testsupport::vfpFixtures() / "foxprodbextractor/data1.dbc", realFileOpener(), false);
    ASSERT_EQ(ours.records().size(), vfp.records().size());
    for (std::size_t i = 0; i < vfp.records().size(); ++i) {
        SCOPED_TRACE("record " + std::to_string(i + 1));
        const DbcRecord &a = ours.records()[i], &b = vfp.records()[i];
        EXPECT_EQ(a.deleted, b.deleted);
        EXPECT_EQ(a.objectType, b.objectType);
        EXPECT_EQ(a.objectName, b.objectName);
        // Object ids equal record numbers in both; parents point at the same record.
        EXPECT_EQ(a.objectId, static_cast<std::int32_t>(a.recno));
        EXPECT_EQ(a.parentId, b.parentId);
        if (i >= 5) { // the Database records of the blank container differ from data1's (other VFP version)
            EXPECT_EQ(ours.readMemo(a.propertyBlock), vfp.readMemo(b.propertyBlock));
        }
    }
    // The table's descriptors carry the unique short names Visual FoxPro gives, and the backlink.
    const TableInfo mine = readTableInfo(m_dir.path() / "table1.dbf");
    const TableInfo theirs = readTableInfo(testsupport::vfpFixtures() / "foxprodbextractor/table1.dbf");
    ASSERT_EQ(mine.fields.size(), theirs.fields.size());
    for (std::size_t i = 0; i < mine.fields.size(); ++i)
        EXPECT_EQ(mine.fields[i].name, theirs.fields[i].name);
    EXPECT_EQ(mine.backlink, "blank.dbc");
    expectIndexMatchesRecords(m_dbc);
}

TEST_F(DbcWrite, LongNamesAreKeptAndReadBack)
{
    const std::string longName(128, 'x');
    DatabaseContainer dbc(m_dbc);
    dbc.createTable("Customer Orders",
                    {column("customer_address_line"), column("customer_area"), column(longName.c_str())});
    EXPECT_EQ(tableNames(dbc), std::vector<std::string>{"Customer Orders"});
    EXPECT_EQ(dbc.tableFile("customer orders").filename().string(), "customer orders.dbf");
    EXPECT_EQ(dbc.longFieldNames("CUSTOMER ORDERS"),
              (std::vector<std::string>{"customer_address_line", "customer_area", longName}));
    const TableInfo info = readTableInfo(dbc.tableFile("Customer Orders"));
    EXPECT_EQ(info.fields[0].name, "CUSTOMER_A");
    EXPECT_NE(info.fields[1].name, "CUSTOMER_A");
    EXPECT_THROW(dbc.createTable("t2", {column(std::string(129, 'y').c_str())}), std::runtime_error);
    EXPECT_THROW(dbc.createTable("t3", {column("a"), column("A")}), std::runtime_error);
    EXPECT_EQ(tableNames(dbc), std::vector<std::string>{"Customer Orders"});
}

TEST_F(DbcWrite, AlreadyExistsByNameOrByFile)
{
    DatabaseContainer dbc(m_dbc);
    dbc.createTable("orders", {column("id", 'I', 4)});
    try {
        dbc.createTable("ORDERS", {column("id", 'I', 4)});
        ADD_FAILURE() << "a second table of the same name was created";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("already exists"), std::string::npos) << e.what();
    }
    testsupport::writeFile(m_dir.path() / "Stray.DBF", "x");
    EXPECT_THROW(dbc.createTable("stray", {column("id", 'I', 4)}), std::runtime_error);
    EXPECT_EQ(testsupport::readFile(m_dir.path() / "Stray.DBF"), "x");
    EXPECT_EQ(tableNames(dbc), std::vector<std::string>{"orders"});
}

TEST_F(DbcWrite, CreateInsertDropCreateAgainKeepsContainerAndIndexExact)
{
    DatabaseContainer dbc(m_dbc);
    dbc.createTable("first", {column("name"), column("amount", 'N', 8)});
    {
        TableAppender app(dbc.tableFile("first"));
        app.append({db::Value("a"), db::Value(1)});
        app.append({db::Value("b"), db::Value(2)});
    }
    dbc.createTable("second", {column("memo_text", 'M', 4)});
    dbc.dropTable("FIRST");
    EXPECT_FALSE(std::filesystem::exists(m_dir.path() / "first.dbf"));
    dbc.createTable("first", {column("other")});
    {
        TableAppender app(dbc.tableFile("first"));
        app.append({db::Value("c")});
    }
    DatabaseContainer reopened(m_dbc);
    EXPECT_EQ(tableNames(reopened), (std::vector<std::string>{"second", "first"}));
    EXPECT_EQ(reopened.longFieldNames("first"), std::vector<std::string>{"other"});
    EXPECT_EQ(openTableCursor(reopened.tableFile("first"))->recordCount(), 1);
    DbcFile file(m_dbc, realFileOpener(), false);
    std::size_t deleted = 0;
    for (const DbcRecord& r : file.records())
        deleted += r.deleted ? 1 : 0;
    EXPECT_EQ(deleted, 3u); // the first "first" and its two fields
    expectIndexMatchesRecords(m_dbc);
    reopened.dropTable("second");
    reopened.dropTable("first");
    EXPECT_TRUE(tableNames(reopened).empty());
    expectIndexMatchesRecords(m_dbc);
    EXPECT_THROW(reopened.dropTable("first"), std::runtime_error);
}

TEST(DbcWriteFixtures, DropRemovesChildrenAndRelationsOfARealContainer)
{
    SKIP_WITHOUT_FIXTURES();
    testsupport::TempDir dir;
    dbctest::copyFixtureFiles(testsupport::vfpFixtures() / "go-dbase/database", dir.path());
    DatabaseContainer dbc(dir.path() / "EXPENSES.DBC");
    dbc.dropTable("employees");
    EXPECT_EQ(tableNames(dbc), (std::vector<std::string>{"expense_categories", "expense_details", "expense_reports"}));
    EXPECT_FALSE(findFileIgnoreCase(dir.path(), "employees.dbf"));
    EXPECT_FALSE(findFileIgnoreCase(dir.path(), "employees.fpt"));
    EXPECT_FALSE(findFileIgnoreCase(dir.path(), "employees.cdx"));
    DbcFile file(dir.path() / "EXPENSES.DBC", realFileOpener(), false);
    for (const DbcRecord& r : file.records()) {
        if (r.deleted)
            continue;
        EXPECT_NE(r.parentId, 6) << r.objectName; // employees' fields and indexes
        EXPECT_NE(r.recno, 57u);                  // the relation whose parent table was employees
    }
    expectIndexMatchesRecords(dir.path() / "EXPENSES.DBC");
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "expense reports.dbf"));
}

TEST_F(DbcWrite, DropOfATableWhoseFileIsGoneStillClearsTheContainer)
{
    DatabaseContainer dbc(m_dbc);
    dbc.createTable("lost", {column("a"), column("m", 'M', 4)});
    dbc.createTable("kept", {column("a")});
    std::filesystem::remove(dbc.tableFile("lost"));
    dbc.dropTable("lost");
    EXPECT_EQ(tableNames(dbc), std::vector<std::string>{"kept"});
    EXPECT_FALSE(findFileIgnoreCase(m_dir.path(), "lost.fpt")) << "the orphaned memo is left behind";
    expectIndexMatchesRecords(m_dbc);
}

TEST_F(DbcWrite, CreateStoppedAfterAnyStepIsUndoneCompletely)
{
    DatabaseContainer(m_dbc).createTable("kept", {column("a")});
    const auto before = dbctest::folderContents(m_dir.path());
    for (const char* stopAt : {"table files", "property memo", "records", "index"}) {
        SCOPED_TRACE(stopAt);
        DatabaseContainer dbc(m_dbc, realFileOpener(), [&](const std::string& step) {
            if (step == stopAt)
                throw std::runtime_error("stopped");
        });
        EXPECT_THROW(dbc.createTable("added", {column("b"), column("c", 'M', 4)}), std::runtime_error);
        EXPECT_EQ(dbctest::firstDifference(dbctest::folderContents(m_dir.path()), before), "");
    }
}

TEST_F(DbcWrite, CreateCutAtEveryWriteLeavesAContainerThatOpens)
{
    DatabaseContainer(m_dbc).createTable("kept", {column("a")});
    bool succeeded = false;
    for (int allowed = 0; allowed < 40 && !succeeded; ++allowed) {
        SCOPED_TRACE("writes allowed: " + std::to_string(allowed));
        DatabaseContainer dbc(m_dbc, failingFileOpener(std::make_shared<WriteBudget>(allowed)));
        try {
            dbc.createTable("added", {column("b"), column("c", 'M', 4)});
            succeeded = true;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("simulated"), std::string::npos) << e.what();
        }
        DatabaseContainer reopened(m_dbc);
        const auto names = tableNames(reopened);
        ASSERT_FALSE(names.empty());
        EXPECT_EQ(names.front(), "kept");
        if (succeeded) {
            EXPECT_EQ(names, (std::vector<std::string>{"kept", "added"}));
            expectIndexMatchesRecords(m_dbc);
        }
        // A half-made table is never left listed without its file.
        for (const auto& n : names)
            EXPECT_TRUE(std::filesystem::exists(reopened.tableFile(n))) << n;
    }
    EXPECT_TRUE(succeeded);
}

TEST_F(DbcWrite, EveryIntermediateStateOfACreateOpens)
{
    DatabaseContainer(m_dbc).createTable("kept", {column("a")});
    testsupport::TempDir snapshots;
    int taken = 0;
    DatabaseContainer dbc(m_dbc, realFileOpener(), [&](const std::string&) {
        const auto at = snapshots.path() / std::to_string(taken++);
        std::filesystem::create_directory(at);
        dbctest::copyFixtureFiles(m_dir.path(), at);
    });
    dbc.createTable("added", {column("b")});
    ASSERT_EQ(taken, 4);
    for (int i = 0; i < taken; ++i) {
        SCOPED_TRACE("after step " + std::to_string(i + 1));
        DatabaseContainer state(snapshots.path() / std::to_string(i) / "Blank.dbc");
        const auto names = tableNames(state);
        ASSERT_FALSE(names.empty());
        EXPECT_EQ(names.front(), "kept");
        for (const auto& n : names)
            EXPECT_TRUE(std::filesystem::exists(state.tableFile(n))) << n;
    }
}

TEST_F(DbcWrite, DropStoppedBeforeItsFilesGoIsUndone)
{
    DatabaseContainer(m_dbc).createTable("kept", {column("a")});
    const auto before = dbctest::folderContents(m_dir.path());
    for (const char* stopAt : {"records", "index"}) {
        SCOPED_TRACE(stopAt);
        DatabaseContainer dbc(m_dbc, realFileOpener(), [&](const std::string& step) {
            if (step == stopAt)
                throw std::runtime_error("stopped");
        });
        EXPECT_THROW(dbc.dropTable("kept"), std::runtime_error);
        EXPECT_EQ(dbctest::firstDifference(dbctest::folderContents(m_dir.path()), before), "");
    }
}
