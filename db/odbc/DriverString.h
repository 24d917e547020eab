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
inline constexpr const char* kDeadlineKey = kConnectDeadlineKey;
inline constexpr const char* kDeadlineEnv = "CORVALEN_CONNECT_DEADLINE";

// How long the server may take to answer any one statement or fetch once connected: "Query Timeout" (whole
// seconds, 1 to 86400) in the connection string, else 60 s.
unsigned queryTimeoutSeconds(const ConnectionString& cs);
inline constexpr unsigned kDefaultQueryTimeoutSeconds = 60;

// The largest text size ASE takes: FreeTDS sends `set textsize` with it at connect, so that text and image values
// arrive whole instead of cut at the server's default of 32 KiB.
inline constexpr const char* kLargestTextSize = "2147483647";

// An ODBC driver connection string, built key by key; a later set() of the same key replaces the value.
class DriverString {
public:
    // How a value that would break the string is written. A value needs that when it holds any of []{}(),;?*=!@ or
    // a blank at either end (the ODBC rule); every other value is written as it stands.
    //  - Braces: the ODBC rule, {value} with each '}' doubled; FreeTDS from 1.4 reads it so.
    //  - BracesVerbatim: {value} with nothing doubled, as FreeTDS up to 1.3 reads it: the value runs to the first
    //    "};" (so the pair is always followed by ';'), and a value holding "};" cannot be passed.
    //  - Plain: the driver reads every value up to the next ';' as it stands and knows no braces (the SQLite
    //    driver), so a value holding ';' cannot be passed.
    // text() refuses, naming the key, a value that its style cannot pass.
    enum class Quoting { Braces, BracesVerbatim, Plain };
    explicit DriverString(Quoting quoting = Quoting::Braces) : m_quoting(quoting) {}

    void set(const std::string& key, const std::string& value);
    std::string text() const;
    const std::vector<std::pair<std::string, std::string>>& pairs() const { return m_pairs; }
    void setQuoting(Quoting quoting) { m_quoting = quoting; }
    // Whether the two brace styles write this string differently: a value in braces holds a '}'.
    bool braceStyleMatters() const;

private:
    Quoting m_quoting;
    std::vector<std::pair<std::string, std::string>> m_pairs;
};

// `driver` is what goes after DRIVER= (a registered name or a file path).
DriverString aseDriverString(const ConnectionString& cs, const AseTarget& target, const std::string& driver);
DriverString standInDriverString(const ConnectionString& cs, const AseTarget& target, const std::string& driver);

} // namespace db::odbc
