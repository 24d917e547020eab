#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

// The reference fixtures folder (…/shared/fixtures/vfp), or an empty path when it is absent.
std::filesystem::path vfpFixtures();

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

} // namespace testsupport

// Skips the current test when the reference fixtures are not beside the checkout.
#define SKIP_WITHOUT_FIXTURES()                                                                                        \
    do {                                                                                                               \
        if (testsupport::vfpFixtures().empty())                                                                        \
            GTEST_SKIP() << "reference fixtures not found beside the checkout";                                        \
    } while (0)
