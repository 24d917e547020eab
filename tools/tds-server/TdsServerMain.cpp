// corvalen-tds-server: the test server for use by hand, e.g. with isql or tsql.
// Usage: corvalen-tds-server [port] [sqlite-file] [user] [password] [database]
// With isql use -e (SQLExecDirect): prepared statements reach the server as TDS dynamic requests, which it refuses.
#include "TdsServer.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t g_stop = 0;
void onSignal(int)
{
    g_stop = 1;
}
} // namespace

int main(int argc, char** argv)
{
    tds::ServerConfig config;
    if (argc > 1)
        config.port = static_cast<std::uint16_t>(std::atoi(argv[1]));
    if (argc > 2)
        config.sqlitePath = argv[2];
    if (argc > 3)
        config.user = argv[3];
    if (argc > 4)
        config.password = argv[4];
    if (argc > 5)
        config.database = argv[5];
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    try {
        tds::Server server(config);
        std::printf("listening on 127.0.0.1:%u\n%s\n", server.port(), server.odbcConnectionString().c_str());
        std::fflush(stdout);
        while (!g_stop)
            ::usleep(100000);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
