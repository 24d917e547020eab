// Containers that arrive damaged or in use: a memo header that points at blocks in use or far past the end, table
// paths that name files the container does not own, and another program holding the container's lock. Each is a
// clear error, and nothing is overwritten or deleted.
#include "DbcTestSupport.h"
#include "db/vfp/dbc/DbcContainer.h"
#include "db/vfp/dbc/DbcFile.h"
#include "db/vfp/table/FileLocks.h"
#include "db/vfp/table/TableFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace db::vfp;
namespace fs = std::filesystem;

namespace {

FieldDef column(const char* name, char type = 'C', int length = 10)
{
    return db::vfp::makeField(name, type, {.length = length});
}

std::string failure(const std::function<void()>& change)
{
    try {
        change();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(succeeded)";
}

void patchFile(const fs::path& file, std::size_t at, const std::string& bytes)
{
    std::string all = testsupport::readFile(file);
    all.replace(at, bytes.size(), bytes);
    testsupport::writeFile(file, all);
}

// Rewrites a table's file property in place; the new path has the old one's length.
void setTablePath(const fs::path& dct, const std::string& from, const std::string& to)
{
    ASSERT_EQ(from.size(), to.size());
    const std::string all = testsupport::readFile(dct);
    const auto at = all.find(from + '\0');
    ASSERT_NE(at, std::string::npos);
    patchFile(dct, at, to);
}

std::string be32(std::uint32_t v)
{
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

// The container lives in db/ under the test's folder, so a path can leave it.
class DbcDamage : public ::testing::Test {
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_FIXTURES();
        fs::create_directory(m_folder);
        dbctest::copyFixtureFiles(testsupport::vfpFixtures() / "vfpclient/blank-dbc", m_folder);
        m_dbc = m_folder / "Blank.dbc";
        m_dct = m_folder / "Blank.dct";
    }
    testsupport::TempDir m_dir;
    fs::path m_folder = m_dir.path() / "db";
    fs::path m_dbc, m_dct;
};

TEST_F(DbcDamage, MemoHeaderPointingAtBlocksInUseNeverOverwritesThem)
{
    DatabaseContainer dbc(m_dbc);
    dbc.createTable("first", {column("a")});
    const std::string before = testsupport::readFile(m_dct);
    patchFile(m_dct, 0, be32(8)); // the first block after the header: the database's own properties
    const std::string result = failure([&] { dbc.createTable("second", {column("b"), column("c", 'M', 4)}); });
    const std::string after = testsupport::readFile(m_dct);
    ASSERT_GE(after.size(), before.size());
    EXPECT_TRUE(after.compare(4, before.size() - 4, before, 4) == 0) << "a block in use was overwritten";
    EXPECT_EQ(dbc.tableFile("first").filename(), "first.dbf");
    if (result == "(succeeded)")
        EXPECT_EQ(dbc.tableFile("second").filename(), "second.dbf");
    else
        EXPECT_NE(result.find("Blank.dct"), std::string::npos) << result;
}

TEST_F(DbcDamage, MemoHeaderPointingFarPastTheEndIsRefusedWithoutGrowingTheFile)
{
    DatabaseContainer dbc(m_dbc);
    patchFile(m_dct, 0, be32(0xFFFFFF00u));
    const auto before = dbctest::folderContents(m_folder);
    const std::string result = failure([&] { dbc.createTable("second", {column("b")}); });
    EXPECT_NE(result.find("Blank.dct"), std::string::npos) << result;
    EXPECT_NE(result.find("damaged"), std::string::npos) << result;
    EXPECT_EQ(dbctest::firstDifference(dbctest::folderContents(m_folder), before), "");
}

// A drop deletes a file only when it is a table that links back to this container.
TEST_F(DbcDamage, DropRefusesFilesTheContainerDoesNotOwn)
{
    DatabaseContainer dbc(m_dbc);
    createTableFiles(m_dir.path() / "p.dbf", {column("a")}, 0x03); // a free table in the parent folder
    testsupport::writeFile(m_folder / "notes.txt", "not a table\r\n");
    struct Case {
        const char* table; // its file name has the length of the path put in
        const char* path;
    };
    for (const Case& c : {Case{"abcde", "Blank.dbc"}, Case{"abcd", "../p.dbf"}, Case{"notes", "notes.txt"}}) {
        SCOPED_TRACE(c.path);
        dbc.createTable(c.table, {column("a")});
        setTablePath(m_dct, std::string(c.table) + ".dbf", c.path);
        const auto inside = dbctest::folderContents(m_folder);
        const auto outside = dbctest::folderContents(m_dir.path());
        const std::string result = failure([&] { dbc.dropTable(c.table); });
        EXPECT_NE(result.find(fs::path(c.path).filename().string()), std::string::npos) << result;
        EXPECT_NE(result.find("not deleted"), std::string::npos) << result;
        EXPECT_EQ(dbctest::firstDifference(dbctest::folderContents(m_folder), inside), "");
        EXPECT_EQ(dbctest::firstDifference(dbctest::folderContents(m_dir.path()), outside), "");
    }
    // A table of its own still goes, with its companions.
    dbc.createTable("mine", {column("a"), column("m", 'M', 4)});
    dbc.dropTable("mine");
    EXPECT_FALSE(findFileIgnoreCase(m_folder, "mine.dbf"));
    EXPECT_FALSE(findFileIgnoreCase(m_folder, "mine.fpt"));
}

TEST_F(DbcDamage, AContainerLockedByAnotherProgramIsLeftAsItIs)
{
    DatabaseContainer dbc(m_dbc);
    dbc.createTable("kept", {column("a")});
    const auto before = dbctest::folderContents(m_folder);
    const int fd = ::open(m_dbc.c_str(), O_RDWR | O_CLOEXEC);
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0x7FFFFFFE; // Visual FoxPro's header lock
    fl.l_len = 1;
    ASSERT_EQ(::fcntl(fd, F_OFD_SETLK, &fl), 0);
    setLockWait([](int) { return false; });
    for (const auto& change : std::vector<std::function<void()>>{[&] { dbc.createTable("added", {column("b")}); },
                                                                 [&] { dbc.dropTable("kept"); }}) {
        const std::string result = failure(change);
        EXPECT_NE(result.find("Blank.dbc is in use by another program"), std::string::npos) << result;
        EXPECT_EQ(dbctest::firstDifference(dbctest::folderContents(m_folder), before), "");
    }
    setLockWait({});
    ::close(fd);
    dbc.createTable("added", {column("b")});
}

} // namespace
