#pragma once

#include "db/ConnectionString.h"

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace db::odbc {

// Where an ASEOLEDB connection string leads, read from its Data Source (server and port split at the last ':').
struct AseTarget {
    bool standIn = false;    // a server "sqlite:<file>": the embedded SQLite database
    std::string server;      // host name or address (ASE)
    std::string port;        // may be empty (ASE)
    std::string standInFile; // the SQLite file (stand-in)
};

AseTarget parseTarget(const ConnectionString& cs);

// The deadline for opening an ASE connection: "Connect Deadline" (seconds) in the connection string, else the
// environment variable CORVALEN_CONNECT_DEADLINE (seconds), else 15 s.
std::chrono::milliseconds connectDeadline(const ConnectionString& cs);
inline constexpr const char* kDeadlineKey = "Connect Deadline";
inline constexpr const char* kDeadlineEnv = "CORVALEN_CONNECT_DEADLINE";

// An ODBC driver connection string, built key by key; a later set() of the same key replaces the value.
class DriverString {
public:
    void set(const std::string& key, const std::string& value);
    std::string text() const; // values that need it are wrapped in braces
    const std::vector<std::pair<std::string, std::string>>& pairs() const { return m_pairs; }

private:
    std::vector<std::pair<std::string, std::string>> m_pairs;
};

// `driver` is what goes after DRIVER= (a registered name or a file path).
DriverString aseDriverString(const ConnectionString& cs, const AseTarget& target, const std::string& driver);
DriverString standInDriverString(const ConnectionString& cs, const AseTarget& target, const std::string& driver);

} // namespace db::odbc
