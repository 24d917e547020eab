// Two writers on one table: copies of the program appending at once, and a Visual FoxPro application holding its
// locks. Appends never interleave, and a writer that cannot get the table fails without writing.
#include "TableTestSupport.h"
#include "db/vfp/table/FileLocks.h"
#include "db/vfp/table/TableFiles.h"
#include "support/ForeignLock.h"
#include "support/TestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using db::Value;
using filetest::field;

pid_t spawnAppender(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    const std::string program = CORVALEN_APPEND_ROWS;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ), 0);
    return pid;
}

int exitCodeOf(pid_t pid)
{
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

std::string expectedMemo(int id)
{
    return "memo of " + std::to_string(id) + " " + std::string(static_cast<std::size_t>(id % 300), 'x');
}

// Every id once, each with its own memo; empty when so, else the first fault in words.
std::string checkRows(const std::map<int, std::string>& seen, std::size_t rows, int firstA, int firstB, int count)
{
    if (rows != 2u * static_cast<std::size_t>(count))
        return std::to_string(rows) + " rows";
    if (seen.size() != rows)
        return "ids repeat: " + std::to_string(seen.size()) + " distinct";
    for (int first : {firstA, firstB})
        for (int id = first; id < first + count; ++id) {
            auto it = seen.find(id);
            if (it == seen.end())
                return "id " + std::to_string(id) + " is missing";
            if (it->second != expectedMemo(id))
                return "id " + std::to_string(id) + " carries the memo '" + it->second.substr(0, 20) + "'";
        }
    return "";
}

TEST(ConcurrentWriters, twoCopiesAppendingAtOnceKeepEveryRowAndItsOwnMemo)
{
    testsupport::TempDir dir;
    const int count = 2000;
    filetest::writeTable(dir.path() / "shared.dbf", {field("ID", 'I'), field("NOTE", 'M')}, {});
    pid_t a = spawnAppender({dir.str(), "shared", "100000", std::to_string(count)});
    pid_t b = spawnAppender({dir.str(), "shared", "200000", std::to_string(count)});
    ASSERT_EQ(exitCodeOf(a), 0);
    ASSERT_EQ(exitCodeOf(b), 0);

    std::map<int, std::string> ours;
    auto rows = filetest::readRows(dir.path() / "shared.dbf");
    for (const auto& row : rows)
        ours[static_cast<int>(std::get<std::int64_t>(row[0].storage()))] = row[1].toText();
    EXPECT_EQ(checkRows(ours, rows.size(), 100000, 200000, count), "") << "read by the engine";

    testsupport::ProgramRun run = testsupport::runProgram(
        "/usr/bin/python3",
        {std::string(CORVALEN_SOURCE_DIR) + "/tests/vfp/files/dbfread_dump.py", (dir.path() / "shared.dbf").string()},
        dir.path());
    if (run.exitCode != 0 && run.err.find("No module named 'dbfread'") != std::string::npos)
        GTEST_SKIP() << "python3-dbfread is not installed";
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::map<int, std::string> theirs;
    std::istringstream lines(run.out);
    std::size_t n = 0;
    for (std::string line; std::getline(lines, line); ++n) {
        auto tab = line.find('\t');
        theirs[std::stoi(line.substr(0, tab))] = line.substr(tab + 1);
    }
    EXPECT_EQ(checkRows(theirs, n, 100000, 200000, count), "") << "read by python3-dbfread";
}

// Puts a lock wait in for one test and the default back after it.
class LockWaitScope {
public:
    explicit LockWaitScope(db::vfp::LockWait wait) { db::vfp::setLockWait(std::move(wait)); }
    ~LockWaitScope() { db::vfp::setLockWait({}); }
    LockWaitScope(const LockWaitScope&) = delete;
    LockWaitScope& operator=(const LockWaitScope&) = delete;
};

TEST(ConcurrentWriters, aFoxProLockMakesTheAppendWaitThenFailWritingNothing)
{
    testsupport::TempDir dir;
    const auto dbf = dir.path() / "orders.dbf";
    const auto fpt = dir.path() / "orders.fpt";
    filetest::writeTable(dbf, {field("ID", 'I'), field("NOTE", 'M')}, {{std::int64_t{1}, "first"}});
    const std::vector<Value> row{std::int64_t{2}, "second"};
    // Visual FoxPro's header byte, the older scheme's header byte (the sources disagree), the memo file's lock.
    const std::vector<std::pair<std::filesystem::path, off_t>> locks{{dbf, 0x7FFFFFFE}, {dbf, 0x40000000}, {fpt, 0}};
    for (const auto& [file, offset] : locks) {
        SCOPED_TRACE(file.filename().string() + " byte " + std::to_string(offset));
        const std::string dbfBefore = filetest::bytesOf(dbf), fptBefore = filetest::bytesOf(fpt);
        testsupport::ForeignLock held(file, offset);
        int waits = 0;
        LockWaitScope giveUpAfterThree([&](int failedTries) {
            waits = failedTries + 1;
            return failedTries < 3;
        });
        db::vfp::TableAppender appender(dbf);
        try {
            appender.append(row);
            ADD_FAILURE() << "the append went through a held lock";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("orders.dbf is in use by another program"), std::string::npos)
                << e.what();
        }
        EXPECT_EQ(waits, 4) << "tried again three times, then gave up";
        EXPECT_EQ(filetest::bytesOf(dbf), dbfBefore);
        EXPECT_EQ(filetest::bytesOf(fpt), fptBefore);
        EXPECT_EQ(filetest::readRows(dbf).size(), 1u) << "readers are not held up by a writer's lock";
    }

    // Freed while we wait: the append goes through.
    testsupport::ForeignLock held(dbf, 0x7FFFFFFE);
    LockWaitScope freeOnSecondTry([&](int failedTries) {
        if (failedTries == 1)
            held.release();
        return true;
    });
    db::vfp::TableAppender(dbf).append(row);
    auto rows = filetest::readRows(dbf);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][1], Value("second"));
}

} // namespace
