#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace db {

// A connection string parsed by the usual OLE DB rules: key=value pairs split at ';', keys trimmed and compared
// case-insensitively, empty pairs ignored, a value may be quoted with ' or " (a doubled quote inside stands for one).
class ConnectionString {
public:
    static ConnectionString parse(const std::string& text);

    // The value of the last pair with this key, or nothing.
    std::optional<std::string> get(const std::string& key) const;
    std::string getOr(const std::string& key, const std::string& fallback) const;
    const std::vector<std::pair<std::string, std::string>>& pairs() const { return m_pairs; }

private:
    std::vector<std::pair<std::string, std::string>> m_pairs; // keys as written (trimmed), values as given
};

// A value as it goes after "key=" so that parse() reads it back exactly: unchanged when it holds no ';', quote,
// brace, and no blank (space, tab, CR, LF) at either end; otherwise between double quotes (single quotes when it
// holds a double quote and no single one), the enclosing quote doubled inside. Empty stays empty.
std::string connectionStringValue(const std::string& value);

// Attributes the program adds to a connection string from its own settings (seconds), never typed by the user.
inline constexpr const char* kConnectDeadlineKey = "Connect Deadline"; // opening a connection
inline constexpr const char* kQueryTimeoutKey = "Query Timeout";       // every statement and fetch after that

std::string toLowerAscii(std::string s);
std::string toUpperAscii(std::string s);
bool equalsIgnoreCase(std::string_view a, std::string_view b);

} // namespace db
