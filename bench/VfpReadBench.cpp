// Reads a generated FoxPro table through the engine's cursor and reports rows a second and peak memory.
// Usage: corvalen-vfp-read-bench [folder] [rows]   (default: a temporary folder, 200000 rows)
#include "db/vfp/table/TableFiles.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <unistd.h>

namespace {

using db::Value;

// A line of /proc/self/status in MiB ("VmHWM", "VmRSS").
double statusMiB(const std::string& key)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key + ":", 0) == 0)
            return std::stod(line.substr(key.size() + 1)) / 1024.0;
    return 0;
}

db::vfp::FieldDef field(const std::string& name, char type, int length = 0, int decimals = 0)
{
    return db::vfp::makeField(name, type, {.length = length, .decimals = decimals});
}

void generate(const std::filesystem::path& dbf, long rows)
{
    std::filesystem::remove(dbf);
    std::filesystem::remove(std::filesystem::path(dbf).replace_extension(".fpt"));
    db::vfp::createTableFiles(dbf,
                              {field("ID", 'I'), field("NAME", 'C', 30), field("CITY", 'C', 20),
                               field("AMOUNT", 'N', 12, 2), field("RATE", 'B', 8, 2), field("QTY", 'I'),
                               field("BORN", 'D'), field("SEEN", 'T'), field("ACTIVE", 'L'), field("NOTE", 'M')},
                              0x03);
    db::vfp::TableAppender appender(dbf);
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> memoLength(0, 300), small(0, 99999);
    std::vector<Value> row(10);
    for (long i = 0; i < rows; ++i) {
        row[0] = static_cast<std::int64_t>(i + 1);
        row[1] = "Customer " + std::to_string(small(rng));
        row[2] = i % 3 ? "Zürich" : "Lyon";
        row[3] = db::Decimal{std::to_string(small(rng)) + "." + std::to_string(10 + i % 90)};
        row[4] = small(rng) / 7.0;
        row[5] = static_cast<std::int64_t>(small(rng));
        row[6] = db::Date{1950 + static_cast<int>(i % 70), 1 + static_cast<int>(i % 12), 1 + static_cast<int>(i % 28)};
        row[7] = db::DateTime{{2020, 1 + static_cast<int>(i % 12), 1 + static_cast<int>(i % 28)},
                              static_cast<int>(i % 24),
                              static_cast<int>(i % 60),
                              static_cast<int>(i % 60),
                              0};
        row[8] = i % 2 == 0;
        row[9] = std::string(static_cast<std::size_t>(memoLength(rng)), static_cast<char>('a' + i % 26));
        appender.append(row);
    }
}

} // namespace

int main(int argc, char** argv)
{
    try {
        std::filesystem::path folder = argc > 1 ? argv[1] : std::filesystem::temp_directory_path() / "corvalen-bench";
        long rows = argc > 2 ? std::stol(argv[2]) : 200000;
        std::filesystem::create_directories(folder);
        auto dbf = folder / "bench.dbf";
        generate(dbf, rows);
        std::ofstream("/proc/self/clear_refs") << "5"; // restart the peak so it shows reading alone
        double baseline = statusMiB("VmRSS");
        auto start = std::chrono::steady_clock::now();
        auto cursor = db::vfp::openTableCursor(dbf);
        long long count = cursor->recordCount();
        std::vector<Value> row;
        long long read = 0;
        while (cursor->next(row))
            ++read;
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (read != count) {
            std::cerr << "count before reading " << count << " differs from rows read " << read << "\n";
            return 1;
        }
        std::printf("table %s baseline_rss_mib=%.1f\n", dbf.c_str(), baseline);
        std::printf("read-foxpro rows=%lld seconds=%.3f rows_per_s=%.0f peak_rss_mib=%.1f\n", read, seconds,
                    static_cast<double>(read) / seconds, statusMiB("VmHWM"));
        return 0;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}
