#pragma once

#include "frame/ConnectionFields.h"
#include "support/TestSupport.h"

#include <string>

namespace db {
class Connection;
}

namespace odbctest {

// The error text of a statement that fails on `conn`, or "(no failure)".
std::string failureOf(db::Connection& conn, const std::string& sql);

// Makes the ASEOLEDB provider available (idempotent).
void registerProvider();

// The connection string of the stand-in database file, as the ASE connection string builds it.
std::string standInString(const std::string& file);

// Connection fields that lead to the stand-in database file.
frame::ConnectionFields standInFields(const std::string& file);

// Connection fields that lead to a server on the loopback address.
frame::ConnectionFields loopbackFields(int port, const std::string& database = "pubs2");

// A loopback port where nothing listens.
int refusedPort();

// A loopback listener whose connections are accepted by the system and never answered.
class SilentListener {
public:
    SilentListener();
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    int port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};

// The resident memory of this process, in KiB.
long residentKiB();

} // namespace odbctest
