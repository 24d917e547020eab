#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// The reference fixtures folder (…/shared/fixtures/vfp), or an empty path when it is absent.
std::filesystem::path vfpFixtures();

// Where the reference fixtures are looked for, present or not.
std::filesystem::path vfpFixturesLocation();

// True when CORVALEN_REQUIRE_FIXTURES is set to anything but empty or 0 (as CI does): a test that needs the
// fixtures then fails when they are absent instead of skipping.
bool fixturesRequired();

// A fresh empty folder, removed again when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::string str() const { return m_path.string(); }

private:
    std::filesystem::path m_path;
};

std::string readFile(const std::filesystem::path& file);

// A program run to its end: its exit code and what it printed.
struct ProgramRun {
    int exitCode = -1;
    std::string out, err;
};

// Runs `program` with `args` (no shell interpretation of their text), feeding `input` on standard input; the
// captured output goes through files in `work`.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::filesystem::path& work, const std::string& input = {});
void writeFile(const std::filesystem::path& file, const std::string& bytes);

// Runs `child` in a forked child process, which ends with the code it returns (or sooner through _exit, as a kill
// stands in for a crash). What the child passes to `note` reaches `notes` here, as it happened, whatever the end.
// Returns the child's exit code, or -1 when it did not exit.
int runInChild(const std::function<int(const std::function<void(char)>& note)>& child, std::string& notes);

// Runs a command line through the shell, standard error joined to standard output; returns its wait status
// (0: it ended well) and what it printed in `out`.
int runShell(const std::string& command, std::string& out);

} // namespace testsupport

// Skips the current test when the reference fixtures are not beside the checkout, or fails it when they are
// required. Every test that needs the fixtures starts with this (in its body or its fixture's SetUp).
#define SKIP_WITHOUT_FIXTURES()                                                                                        \
    do {                                                                                                               \
        if (testsupport::vfpFixtures().empty()) {                                                                      \
            if (testsupport::fixturesRequired())                                                                       \
                FAIL() << "reference fixtures not found at " << testsupport::vfpFixturesLocation()                     \
                       << " and CORVALEN_REQUIRE_FIXTURES is set";                                                     \
            GTEST_SKIP() << "reference fixtures not found beside the checkout";                                        \
        }                                                                                                              \
    } while (0)
