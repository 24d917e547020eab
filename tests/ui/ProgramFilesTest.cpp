#include "frame/ProgramFiles.h"

#include "support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

QString q(const fs::path& path)
{
    return QString::fromStdString(path.string());
}

// <root>/bin holds the executable, <root>/share/corvalen what an installation puts beside it.
struct Installed : ::testing::Test {
    testsupport::TempDir root;
    fs::path bin = root.path() / "bin";
    fs::path shared = root.path() / "share" / "corvalen";
    fs::path user = root.path() / "home" / "corvalen";
    void SetUp() override
    {
        fs::create_directories(bin);
        fs::create_directories(shared / "Samples");
        testsupport::writeFile(shared / "HAND-M.CUR", "installed cursor");
        testsupport::writeFile(shared / "Samples" / "customers.dbf", "installed table");
    }
};

TEST_F(Installed, FilesAreFoundBesideTheProgramFirstThenInTheDataFolder)
{
    EXPECT_EQ(frame::programFile(q(bin), "HAND-M.CUR"), q(shared / "HAND-M.CUR"));
    EXPECT_EQ(frame::programFile(q(bin), "Samples"), q(shared / "Samples"));
    // Missing from both: the place beside the program, as the start-up's existence test expects.
    EXPECT_EQ(frame::programFile(q(bin), "x/o.cjs"), q(bin) + "/x/o.cjs");

    testsupport::writeFile(bin / "HAND-M.CUR", "build cursor");
    EXPECT_EQ(frame::programFile(q(bin), "HAND-M.CUR"), q(bin) + "/HAND-M.CUR");

    // The build folder: the files made at build time sit beside the program.
    EXPECT_EQ(frame::programFile(CORVALEN_PROGRAM_DIR, "HAND-M.CUR"), CORVALEN_PROGRAM_DIR "/HAND-M.CUR");
    EXPECT_EQ(frame::programFile(CORVALEN_PROGRAM_DIR, "Samples"), CORVALEN_PROGRAM_DIR "/Samples");
}

TEST_F(Installed, SamplesAreCopiedForTheUserOnceAndTheCopyIsKept)
{
    const QString samples = frame::sampleFolder(q(bin), q(user));
    EXPECT_EQ(samples, q(user / "Samples"));
    EXPECT_EQ(testsupport::readFile(user / "Samples" / "customers.dbf"), "installed table");
    EXPECT_FALSE(fs::exists(user / "Samples.partial"));

    // Read-only installed files give the user copies of their own to write.
    fs::remove_all(user / "Samples");
    fs::permissions(shared / "Samples" / "customers.dbf", fs::perms::owner_read | fs::perms::group_read);
    frame::sampleFolder(q(bin), q(user));
    const auto mode = fs::status(user / "Samples" / "customers.dbf").permissions();
    EXPECT_NE(mode & fs::perms::owner_write, fs::perms::none);

    // Later uses keep the user's tables as they are.
    testsupport::writeFile(user / "Samples" / "customers.dbf", "changed by a send");
    EXPECT_EQ(frame::sampleFolder(q(bin), q(user)), q(user / "Samples"));
    EXPECT_EQ(testsupport::readFile(user / "Samples" / "customers.dbf"), "changed by a send");
    EXPECT_EQ(testsupport::readFile(shared / "Samples" / "customers.dbf"), "installed table");
}

TEST_F(Installed, SamplesBesideTheProgramAreUsedWhereTheyAre)
{
    fs::create_directories(bin / "Samples");
    EXPECT_EQ(frame::sampleFolder(q(bin), q(user)), q(bin / "Samples"));
    EXPECT_FALSE(fs::exists(user));
}

// Each failure is reported, and no half copy is left to be taken for the user's samples later.
TEST_F(Installed, AFailedCopyIsReportedAndLeavesNoSamplesBehind)
{
    const auto expectCopyFails = [&] {
        try {
            frame::sampleFolder(q(bin), q(user));
            ADD_FAILURE() << "no error";
        } catch (const std::runtime_error& e) {
            const std::string expected = "The sample tables cannot be copied from " + (shared / "Samples").string();
            EXPECT_EQ(std::string(e.what()).rfind(expected, 0), 0u) << e.what();
        }
        EXPECT_FALSE(fs::exists(user / "Samples"));
        EXPECT_FALSE(fs::exists(user / "Samples.partial"));
    };

    // The data folder cannot be made.
    testsupport::writeFile(root.path() / "home", "a file where the data folder should be");
    expectCopyFails();
    fs::remove(root.path() / "home");

    // A file among the samples that cannot be copied, after others were.
    ASSERT_EQ(::mkfifo((shared / "Samples" / "zz-pipe").c_str(), 0600), 0);
    expectCopyFails();
}

} // namespace
