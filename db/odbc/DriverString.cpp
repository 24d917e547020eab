#include "db/odbc/DriverString.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace db::odbc {

namespace {

constexpr const char* kStandInPrefix = "sqlite:";

bool allDigits(const std::string& s)
{
    return std::ranges::all_of(s, [](char c) { return c >= '0' && c <= '9'; });
}

bool startsWithIgnoreCase(const std::string& s, const std::string& prefix)
{
    return s.size() >= prefix.size() && equalsIgnoreCase(s.substr(0, prefix.size()), prefix);
}

bool oneOf(const std::string& key, std::initializer_list<const char*> names)
{
    return std::ranges::any_of(names, [&key](const char* n) { return equalsIgnoreCase(key, n); });
}

// Keys our own string already carries from the named OLE DB attributes, or that only we read.
bool consumedKey(const std::string& key)
{
    return oneOf(key,
                 {"Provider", "Data Source", "User Id", "Password", "Catalog", kConnectDeadlineKey, kQueryTimeoutKey});
}

// Extra attributes the user added are passed on when the driver knows them; anything else (OLE DB properties
// such as "Persist Security Info") would only confuse the driver.
void passExtras(const ConnectionString& cs, DriverString& out, std::initializer_list<const char*> known)
{
    for (const auto& [key, value] : cs.pairs())
        if (!consumedKey(key) && oneOf(key, known))
            out.set(key, value);
}

bool blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The ODBC rule (SQLDriverConnect): a value holding any of []{}(),;?*=!@ goes between braces; so does one with a
// blank at either end, which a driver might otherwise trim.
bool needsBraces(const std::string& v)
{
    if (v.empty())
        return false;
    if (v.find_first_of("[]{}(),;?*=!@") != std::string::npos)
        return true;
    return blank(v.front()) || blank(v.back());
}

} // namespace

AseTarget parseTarget(const ConnectionString& cs)
{
    const std::string source = cs.getOr("Data Source", "");
    AseTarget t;
    if (startsWithIgnoreCase(source, kStandInPrefix)) {
        // "sqlite:/path/file.db:5000": the window appends ":" and the port; a file path never ends in ":digits".
        std::string rest = source.substr(std::string(kStandInPrefix).size());
        auto colon = rest.rfind(':');
        if (colon != std::string::npos && allDigits(rest.substr(colon + 1)))
            rest.erase(colon);
        t.standIn = true;
        t.standInFile = rest;
        return t;
    }
    auto colon = source.rfind(':');
    t.server = colon == std::string::npos ? source : source.substr(0, colon);
    t.port = colon == std::string::npos ? std::string() : source.substr(colon + 1);
    if (t.server.size() >= 2 && t.server.front() == '[' && t.server.back() == ']')
        t.server = t.server.substr(1, t.server.size() - 2); // [::1]:5000
    if (startsWithIgnoreCase(t.server, kStandInPrefix)) {
        t.standIn = true;
        t.standInFile = t.server.substr(std::string(kStandInPrefix).size());
    }
    return t;
}

std::chrono::milliseconds connectDeadline(const ConnectionString& cs)
{
    std::string text;
    if (auto v = cs.get(kDeadlineKey))
        text = *v;
    else if (const char* env = std::getenv(kDeadlineEnv))
        text = env;
    if (text.empty())
        return std::chrono::seconds(15);
    char* end = nullptr;
    double seconds = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !std::isfinite(seconds) || seconds <= 0 || seconds > 86400)
        throw std::runtime_error("Invalid connection deadline \"" + text + "\": give a number of seconds.");
    return std::chrono::milliseconds(static_cast<long long>(std::llround(seconds * 1000.0)));
}

void DriverString::set(const std::string& key, const std::string& value)
{
    for (auto& p : m_pairs)
        if (equalsIgnoreCase(p.first, key)) {
            p.second = value;
            return;
        }
    m_pairs.emplace_back(key, value);
}

unsigned queryTimeoutSeconds(const ConnectionString& cs)
{
    const auto v = cs.get(kQueryTimeoutKey);
    if (!v || v->empty())
        return kDefaultQueryTimeoutSeconds;
    const std::string& text = *v;
    unsigned long seconds = 0;
    bool ok = text.size() <= 5;
    for (char c : text) {
        ok = ok && c >= '0' && c <= '9';
        if (ok)
            seconds = seconds * 10 + static_cast<unsigned long>(c - '0');
    }
    if (!ok || seconds < 1 || seconds > 86400)
        throw std::runtime_error("Invalid query timeout \"" + text +
                                 "\": give a whole number of seconds from 1 to 86400.");
    return static_cast<unsigned>(seconds);
}

bool DriverString::braceStyleMatters() const
{
    return std::ranges::any_of(m_pairs, [](const auto& pair) {
        return needsBraces(pair.second) && pair.second.find('}') != std::string::npos;
    });
}

std::string DriverString::text() const
{
    std::string out;
    bool endsInBraces = false;
    for (const auto& [key, value] : m_pairs) {
        if (!out.empty())
            out += ';';
        out += key + '=';
        endsInBraces = false;
        if (m_quoting == Quoting::Plain) {
            if (value.find(';') != std::string::npos)
                throw std::runtime_error("The value of " + key + " holds a ';', which the ODBC driver cannot take.");
            out += value;
        } else if (!needsBraces(value)) {
            out += value;
        } else if (m_quoting == Quoting::BracesVerbatim) {
            if (value.find("};") != std::string::npos)
                throw std::runtime_error("The value of " + key +
                                         " holds \"};\", which this version of the FreeTDS driver cannot take.");
            out += '{' + value + '}';
            endsInBraces = true;
        } else {
            out += '{';
            for (char c : value) {
                out += c;
                if (c == '}')
                    out += '}';
            }
            out += '}';
        }
    }
    if (endsInBraces)
        out += ';'; // such a driver ends a value in braces only at "};"
    return out;
}

DriverString aseDriverString(const ConnectionString& cs, const AseTarget& target, const std::string& driver)
{
    DriverString d;
    d.set("DRIVER", driver);
    d.set("Server", target.server);
    if (!target.port.empty())
        d.set("Port", target.port);
    d.set("UID", cs.getOr("User Id", ""));
    d.set("PWD", cs.getOr("Password", ""));
    if (auto db = cs.get("Catalog"); db && !db->empty())
        d.set("Database", *db);
    d.set("TDS_Version", "5.0");
    d.set("ClientCharset", "UTF-8");
    d.set("TextSize", kLargestTextSize);
    d.set("Timeout", std::to_string(queryTimeoutSeconds(cs))); // FreeTDS's query timeout, for every statement
    passExtras(cs, d,
               {"Port", "Address", "Language", "TextSize", "PacketSize", "APP", "WSID", "Encryption", "Timeout",
                "TDS_Version", "ClientCharset", "DumpFile", "DumpFileAppend", "DebugFlags", "ReadOnly"});
    return d;
}

DriverString standInDriverString(const ConnectionString& cs, const AseTarget& target, const std::string& driver)
{
    DriverString d(DriverString::Quoting::Plain); // the SQLite driver knows no braces
    d.set("DRIVER", driver);
    d.set("Database", target.standInFile);
    // WAL with normal syncing: every statement that returned survives a kill of the program, at tens of
    // thousands of single-statement commits a second instead of under a thousand.
    d.set("JournalMode", "WAL");
    d.set("SyncPragma", "NORMAL");
    passExtras(cs, d,
               {"Timeout", "StepAPI", "NoTXN", "NoWCHAR", "LongNames", "ShortNames", "SyncPragma", "FKSupport",
                "JournalMode", "BigInt", "JDConv"});
    return d;
}

} // namespace db::odbc
