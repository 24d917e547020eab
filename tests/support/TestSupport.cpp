#include "support/TestSupport.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

std::filesystem::path vfpFixturesLocation()
{
    return std::filesystem::path(CORVALEN_SHARED_DIR) / "fixtures" / "vfp";
}

std::filesystem::path vfpFixtures()
{
    std::filesystem::path dir = vfpFixturesLocation();
    std::error_code ec;
    return std::filesystem::is_directory(dir, ec) ? dir : std::filesystem::path();
}

bool fixturesRequired()
{
    const char* value = std::getenv("CORVALEN_REQUIRE_FIXTURES");
    return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}

TempDir::TempDir()
{
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("corvalen-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(candidate)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string readFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + file.string());
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

namespace {

std::string shellQuote(const std::string& s)
{
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::filesystem::path& work, const std::string& input)
{
    std::string cmd = shellQuote(program);
    for (const auto& a : args) {
        cmd += ' ';
        cmd += shellQuote(a);
    }
    const auto in = work / "stdin.txt", out = work / "stdout.txt", err = work / "stderr.txt";
    writeFile(in, input);
    cmd += " <" + shellQuote(in.string()) + " >" + shellQuote(out.string()) + " 2>" + shellQuote(err.string());
    const int status = std::system(cmd.c_str());
    ProgramRun r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readFile(out);
    r.err = readFile(err);
    return r;
}

int runShell(const std::string& command, std::string& out)
{
    out.clear();
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    std::array<char, 4096> buf{};
    std::size_t n = 0;
    while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0)
        out.append(buf.data(), n);
    return pclose(pipe);
}

int runInChild(const std::function<int(const std::function<void(char)>& note)>& child, std::string& notes)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        ::close(fds[0]);
        int code = 3;
        try {
            code = child([&](char c) {
                if (write(fds[1], &c, 1) != 1)
                    _exit(3);
            });
        } catch (...) { // NOLINT(bugprone-empty-catch): the child ends with 3, as a failed note would
        }
        _exit(code);
    }
    ::close(fds[1]);
    char c = 0;
    while (read(fds[0], &c, 1) == 1)
        notes.push_back(c);
    ::close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace testsupport
