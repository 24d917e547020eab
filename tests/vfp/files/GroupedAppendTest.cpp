// The appends of a send held in groups by the engine's connection: a kill at any write of a group's commit leaves
// tables every reader agrees on, with every committed row; another writer appends between two commits.
#include "TableTestSupport.h"
#include "db/vfp/FreeTableFolder.h"
#include "db/vfp/VfpConnection.h"
#include "db/vfp/table/FileLocks.h"
#include "db/vfp/table/TableFiles.h"
#include "support/ForeignLock.h"
#include "support/TestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using db::Value;
using filetest::field;

constexpr int kKilled = 77;
constexpr int kCompleted = 0;
constexpr int kGroups = 3;
constexpr int kGroupSize = 3;

std::string memoOf(int id)
{
    return "memo " + std::to_string(id) + " " + std::string(static_cast<std::size_t>(40 * id), 'm');
}

std::string insertOf(int id)
{
    return "INSERT INTO \"t\" VALUES(" + std::to_string(id) + ", '" + memoOf(id) + "')";
}

// The ids of the live rows, checking that each carries its own memo.
std::vector<int> idsIn(const fs::path& dbf)
{
    std::vector<int> ids;
    for (const auto& row : filetest::readRows(dbf)) {
        const int id = static_cast<int>(std::get<std::int64_t>(row[0].storage()));
        EXPECT_EQ(row[1], Value(memoOf(id))) << "row " << id;
        ids.push_back(id);
    }
    return ids;
}

std::vector<int> upTo(int last)
{
    std::vector<int> ids;
    for (int id = 1; id <= last; ++id)
        ids.push_back(id);
    return ids;
}

// Sends kGroups groups of rows through one connection, committing each, in a child that stops before change `n`
// to the files. Returns how it ended and how many groups it saw committed.
int sendStoppingAt(const fs::path& folder, int n, int& committed)
{
    std::string notes;
    const int status = testsupport::runInChild(
        [&](const std::function<void(char)>& note) {
            int changes = 0;
            db::vfp::setFileChangeHook([&](const fs::path&) {
                if (changes++ == n)
                    _exit(kKilled);
            });
            db::vfp::VfpConnection connection(std::make_unique<db::vfp::FreeTableFolder>(folder));
            connection.beginGroup({});
            for (int g = 0; g < kGroups; ++g) {
                for (int i = 1; i <= kGroupSize; ++i)
                    connection.execute(insertOf(g * kGroupSize + i));
                connection.commitGroup();
                note('G');
            }
            connection.endGroup();
            return kCompleted;
        },
        notes);
    committed = static_cast<int>(notes.size());
    return status;
}

// The ids python3-dbfread reads; nothing when it is not installed.
std::optional<std::vector<int>> idsByDbfread(const fs::path& dbf)
{
    testsupport::ProgramRun run = testsupport::runProgram(
        "/usr/bin/python3", {std::string(CORVALEN_SOURCE_DIR) + "/tests/vfp/files/dbfread_dump.py", dbf.string()},
        dbf.parent_path());
    if (run.exitCode != 0 && run.err.find("No module named 'dbfread'") != std::string::npos)
        return std::nullopt;
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::vector<int> ids;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);)
        ids.push_back(std::stoi(line.substr(0, line.find('\t'))));
    return ids;
}

TEST(GroupedAppend, aKillAtAnyWriteLosesAtMostTheGroupBeingWritten)
{
    testsupport::TempDir dir;
    const fs::path base = dir.path() / "base";
    fs::create_directory(base);
    filetest::writeTable(base / "t.dbf", {field("ID", 'I'), field("NOTE", 'M')}, {});
    for (int n = 0;; ++n) {
        ASSERT_LT(n, 40) << "a grouped commit should need only a handful of writes";
        SCOPED_TRACE("stopped before change " + std::to_string(n));
        const fs::path work = dir.path() / ("stop" + std::to_string(n));
        fs::copy(base, work);
        int committed = 0;
        const int status = sendStoppingAt(work, n, committed);
        ASSERT_TRUE(status == kKilled || status == kCompleted) << status;
        const auto ids = idsIn(work / "t.dbf");
        // Every committed group is there; the one being written is there whole or not at all.
        if (ids.size() != static_cast<std::size_t>(committed * kGroupSize))
            EXPECT_EQ(ids, upTo((committed + 1) * kGroupSize));
        else
            EXPECT_EQ(ids, upTo(committed * kGroupSize));
        if (auto theirs = idsByDbfread(work / "t.dbf")) {
            EXPECT_EQ(*theirs, ids) << "python3-dbfread sees other rows than we do";
        }
        // The table takes rows again.
        db::vfp::VfpConnection again(std::make_unique<db::vfp::FreeTableFolder>(work));
        again.execute(insertOf(100));
        EXPECT_EQ(idsIn(work / "t.dbf").back(), 100);
        if (status == kCompleted) {
            EXPECT_EQ(ids, upTo(kGroups * kGroupSize));
            break;
        }
    }
}

// Our connection holds no lock between commits: another writer appends then, and our next commit goes after its
// rows instead of over them.
TEST(GroupedAppend, anotherWriterAppendsBetweenTwoCommits)
{
    testsupport::TempDir dir;
    filetest::writeTable(dir.path() / "t.dbf", {field("ID", 'I'), field("NOTE", 'M')}, {});
    db::vfp::VfpConnection ours(std::make_unique<db::vfp::FreeTableFolder>(dir.path()));
    db::vfp::VfpConnection theirs(std::make_unique<db::vfp::FreeTableFolder>(dir.path()));
    ours.beginGroup({});
    ours.execute(insertOf(1));
    ours.execute(insertOf(2));
    ours.commitGroup();
    ours.execute(insertOf(3));
    ours.execute(insertOf(4));
    theirs.execute(insertOf(5)); // while ours holds rows 3 and 4
    theirs.execute(insertOf(6));
    ours.execute(insertOf(7));
    ours.endGroup();
    EXPECT_EQ(idsIn(dir.path() / "t.dbf"), (std::vector<int>{1, 2, 5, 6, 3, 4, 7}));
}

// A commit cut short at any of its writes: what it says arrived is what every later reader finds.
TEST(GroupedAppend, aCommitCutShortTellsWhichRowsArrived)
{
    testsupport::TempDir dir;
    const fs::path base = dir.path() / "base";
    fs::create_directory(base);
    filetest::writeTable(base / "t.dbf", {field("ID", 'I'), field("NOTE", 'M')}, {{std::int64_t{1}, Value(memoOf(1))}});
    bool completed = false;
    for (int writes = 0; !completed; ++writes) {
        SCOPED_TRACE("the write after " + std::to_string(writes) + " fails");
        ASSERT_LT(writes, 10) << "a commit should need only a handful of writes";
        const fs::path work = dir.path() / ("cut" + std::to_string(writes));
        fs::copy(base, work);
        std::vector<bool> arrived;
        {
            db::vfp::TableAppender appender(work / "t.dbf",
                                            db::vfp::failingFileOpener(std::make_shared<db::vfp::WriteBudget>(writes)));
            for (int id = 2; id <= 5; ++id)
                appender.stage({std::int64_t{id}, Value(memoOf(id))});
            try {
                appender.commit(arrived);
                completed = true;
            } catch (const std::runtime_error& e) {
                EXPECT_NE(std::string(e.what()).find("simulated"), std::string::npos) << e.what();
            }
        }
        std::vector<int> expected{1};
        for (std::size_t i = 0; i < arrived.size(); ++i)
            if (arrived[i])
                expected.push_back(static_cast<int>(i) + 2);
        EXPECT_EQ(idsIn(work / "t.dbf"), expected);
    }
}

// A group whose write fails (here the table stays locked by another program) runs again row by row: each row that
// fails then is reported with its own statement, the others arrive.
TEST(GroupedAppend, aGroupThatCannotBeWrittenRunsAgainRowByRow)
{
    testsupport::TempDir dir;
    const fs::path dbf = dir.path() / "t.dbf";
    filetest::writeTable(dbf, {field("ID", 'I'), field("NOTE", 'M')}, {});
    testsupport::ForeignLock held(dbf, testsupport::kFoxProHeaderLock);
    int waits = 0;
    db::vfp::setLockWait([&](int) {
        if (++waits == 3) { // the commit and the first row run again gave up; the second gets the table
            held.release();
            return true;
        }
        return false;
    });
    std::vector<std::pair<std::string, std::string>> failed;
    db::vfp::VfpConnection ours(std::make_unique<db::vfp::FreeTableFolder>(dir.path()));
    ours.beginGroup([&](const std::string& sql, const std::exception_ptr& error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            failed.emplace_back(sql, e.what());
        }
    });
    for (int id = 1; id <= 3; ++id)
        ours.execute(insertOf(id));
    ours.endGroup();
    db::vfp::setLockWait({});
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].first, insertOf(1));
    EXPECT_EQ(failed[0].second, db::vfp::tableInUseMessage("t.dbf"));
    EXPECT_EQ(idsIn(dbf), (std::vector<int>{2, 3}));
}

} // namespace
