// corvalen-memo-bench: the memory one large memo value costs to read and to insert, in our FoxPro engine and
// through the SQLite stand-in server. Each measure runs in a fresh child process, so peaks do not mix. One line
// per measure:
//   <measure> value_mib=<v> peak_delta_mib=<d> ratio=<d/v>
// peak_delta_mib is how far the peak resident size (ru_maxrss) rose above what the process held just before: for
// an insert the statement text the caller built is already held then, as a send holds it.
// Usage: corvalen-memo-bench [folder] [MiB]   (default: a temporary folder, 50 MiB)

#include "db/Provider.h"
#include "db/builtin/BuiltinProviders.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

double peakRssMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The resident size now, in MiB.
double rssMiB()
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// Restarts the peak at the present size, so that what was built and freed before a measure does not hide it.
double restartPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
    return rssMiB();
}

// Mostly ASCII with some Windows-1252 letters, as real notes are: the engine converts them.
std::string memoValue(std::size_t bytes)
{
    static const std::string piece = "Notes from the meeting with O'Brien in Zürich, about 12.50 € a line.\r\n";
    std::string s;
    s.reserve(bytes + piece.size());
    while (s.size() < bytes)
        s += piece;
    s.resize(bytes);
    while ((static_cast<unsigned char>(s.back()) & 0xC0) == 0x80 || static_cast<unsigned char>(s.back()) >= 0xC0)
        s.back() = '.'; // no character cut in half at the end
    return s;
}

std::string quoted(const std::string& value)
{
    std::string out = "'";
    out.reserve(value.size() + 64);
    for (char c : value) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out + "'";
}

// Runs `work` in a child process and prints its line; `work` restarts the peak when its setup is done.
void measure(const char* name, double valueMiB, const std::function<void(double& baseline)>& work)
{
    std::fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
        try {
            double baseline = restartPeak();
            work(baseline);
            double delta = peakRssMiB() - baseline;
            std::printf("%s value_mib=%.1f peak_delta_mib=%.1f ratio=%.2f\n", name, valueMiB, delta, delta / valueMiB);
            std::fflush(stdout);
            _exit(0);
        } catch (const std::exception& e) {
            std::cerr << name << ": " << e.what() << "\n";
            _exit(1);
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(std::string(name) + " failed");
}

void readBack(db::ProviderConnection& c, const std::string& table, std::size_t expected)
{
    auto cursor = c.query("SELECT * FROM " + table);
    std::vector<db::Value> row;
    std::size_t rows = 0;
    while (cursor->next(row)) {
        ++rows;
        const auto& note = row.at(1).get<std::string>();
        if (note.size() != expected)
            throw std::runtime_error("the value read back has " + std::to_string(note.size()) + " bytes, not " +
                                     std::to_string(expected));
    }
    if (rows != 1)
        throw std::runtime_error("read " + std::to_string(rows) + " rows, not 1");
}

} // namespace

int main(int argc, char** argv)
{
    try {
        fs::path folder = argc > 1 ? argv[1] : fs::temp_directory_path() / "corvalen-memo-bench";
        std::size_t mib = argc > 2 ? std::stoul(argv[2]) : 50;
        fs::remove_all(folder);
        fs::create_directories(folder / "foxpro");
        db::registerBuiltinProviders();
        const std::size_t bytes = mib << 20;
        const auto valueMiB = static_cast<double>(mib);
        const std::string fox = "Provider=vfpoledb.1;Data Source=" + (folder / "foxpro").string() + ";";
        const std::string ase = "Provider=ASEOLEDB;Data Source=sqlite:" + (folder / "server.db").string() + ":5000;";
        {
            auto c = db::openProvider(fox, {});
            c->execute("CREATE TABLE notes (id I, note M)");
            auto s = db::openProvider(ase, {});
            s->execute("CREATE TABLE notes (id int, note text)");
        }
        auto insert = [&](const std::string& connection) {
            return [&, connection](double& baseline) {
                auto c = db::openProvider(connection, {});
                std::string sql = "INSERT INTO notes VALUES(1, " + quoted(memoValue(bytes)) + ")";
                baseline = restartPeak();
                c->execute(sql);
            };
        };
        auto read = [&](const std::string& connection) {
            return [&, connection](double& baseline) {
                auto c = db::openProvider(connection, {});
                baseline = restartPeak();
                readBack(*c, "notes", bytes);
            };
        };
        measure("foxpro-insert", valueMiB, insert(fox));
        measure("foxpro-read", valueMiB, read(fox));
        measure("standin-insert", valueMiB, insert(ase));
        measure("standin-read", valueMiB, read(ase));
        return 0;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}
