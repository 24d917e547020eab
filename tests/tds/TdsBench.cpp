// Throughput of the test server through the FreeTDS ODBC driver: 10,000 rows sent as one INSERT each (as the send
// command does) and read back with SQLFetch and SQLGetData. Usage: corvalen-tds-bench [rows]
#include "OdbcTestClient.h"
#include "TdsServer.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    const auto file =
        std::filesystem::temp_directory_path() / ("corvalen-tds-bench-" + std::to_string(::getpid()) + ".db");
    int status = 0;
    {
        tds::ServerConfig config;
        config.sqlitePath = file.string();
        tds::Server server(config);
        tdstest::OdbcClient client;
        if (const auto failure = client.connect(server.odbcConnectionString())) {
            std::fprintf(stderr, "connect failed: %s\n", failure->message.c_str());
            return 1;
        }
        client.exec(
            "CREATE TABLE [Bench]([a] TEXT, [b] TEXT, [c] TEXT, [d] TEXT, [e] TEXT, [f] TEXT, [g] TEXT, [h] TEXT)");
        using Clock = std::chrono::steady_clock;
        auto start = Clock::now();
        for (int i = 0; i < rows; ++i) {
            const std::string n = std::to_string(i);
            if (client.exec("INSERT INTO [Bench] VALUES('" + n + "', 'O''Brien " + n +
                            "', 'Dublin', '', 'some longer text for the row number " + n +
                            "', '2021-08-31', '12.5', 'end')")) {
                std::fprintf(stderr, "insert %d failed\n", i);
                status = 1;
                break;
            }
        }
        const double sendSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        start = Clock::now();
        const auto back = client.query("SELECT * FROM [Bench]");
        const double readSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("send: %d rows in %.2f s = %.0f rows/s (one INSERT each, SQLExecDirect)\n", rows, sendSeconds,
                    rows / sendSeconds);
        std::printf("read: %zu rows in %.2f s = %.0f rows/s (SQLFetch + 8 x SQLGetData)\n", back.size(), readSeconds,
                    static_cast<double>(back.size()) / readSeconds);
    }
    std::filesystem::remove(file);
    std::filesystem::remove(file.string() + "-wal");
    std::filesystem::remove(file.string() + "-shm");
    return status;
}
