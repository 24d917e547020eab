#include "OdbcTestSupport.h"

#include "commands/AseConnection.h"
#include "db/Connection.h"
#include "db/odbc/OdbcProvider.h"

#include <arpa/inet.h>
#include <fstream>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace odbctest {

std::string failureOf(db::Connection& conn, const std::string& sql)
{
    try {
        conn.Execute(sql);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "(no failure)";
}

namespace {

// A socket bound to an ephemeral loopback port.
int boundSocket(int& port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        throw std::runtime_error("socket failed");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(fd);
        throw std::runtime_error("bind failed");
    }
    port = ntohs(addr.sin_port);
    return fd;
}

} // namespace

void registerProvider()
{
    db::odbc::registerOdbcProvider();
}

std::string standInString(const std::string& file)
{
    return commands::aseConnectionString(standInFields(file));
}

frame::ConnectionFields standInFields(const std::string& file)
{
    frame::ConnectionFields f;
    f.aseServer = "sqlite:" + file;
    f.asePort = "5000";
    f.aseUser = "sa";
    f.aseDatabase = "pubs2";
    return f;
}

frame::ConnectionFields loopbackFields(int port, const std::string& database)
{
    frame::ConnectionFields f;
    f.aseServer = "127.0.0.1";
    f.asePort = std::to_string(port);
    f.aseUser = "sa";
    f.aseDatabase = database;
    return f;
}

int refusedPort()
{
    int port = 0;
    ::close(boundSocket(port));
    return port;
}

SilentListener::SilentListener()
{
    m_fd = boundSocket(m_port);
    if (::listen(m_fd, 8) != 0)
        throw std::runtime_error("listen failed");
}

SilentListener::~SilentListener()
{
    ::close(m_fd);
}

long residentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(1 << 16, '\n');
    }
    return -1;
}

} // namespace odbctest
