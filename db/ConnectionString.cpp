#include "db/ConnectionString.h"

#include <algorithm>
#include <stdexcept>

namespace db {

namespace {

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

std::string trim(const std::string& s)
{
    auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

} // namespace

std::string toLowerAscii(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), lowerAscii);
    return s;
}

std::string toUpperAscii(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; });
    return s;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

ConnectionString ConnectionString::parse(const std::string& text)
{
    ConnectionString cs;
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        size_t eq = text.find_first_of("=;", i);
        if (eq == std::string::npos || text[eq] == ';') {
            // A piece without '=': empty pairs (";;") are ignored, anything else is malformed.
            std::string piece = trim(text.substr(i, (eq == std::string::npos ? n : eq) - i));
            if (!piece.empty())
                throw std::runtime_error("Invalid connection string attribute: \"" + piece + "\" has no value");
            i = (eq == std::string::npos) ? n : eq + 1;
            continue;
        }
        std::string key = trim(text.substr(i, eq - i));
        if (key.empty())
            throw std::runtime_error("Invalid connection string: a value without a key at position " +
                                     std::to_string(i + 1));
        i = eq + 1;
        while (i < n && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        std::string value;
        if (i < n && (text[i] == '"' || text[i] == '\'')) {
            char q = text[i++];
            for (;;) {
                if (i >= n)
                    throw std::runtime_error("Invalid connection string: unclosed quote in the value of " + key);
                if (text[i] == q) {
                    if (i + 1 < n && text[i + 1] == q) {
                        value += q;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += text[i++];
            }
            while (i < n && text[i] != ';')
                ++i;
        } else {
            size_t end = text.find(';', i);
            if (end == std::string::npos)
                end = n;
            // A value keeps its inner blanks; only the blanks around it go, as with keys.
            value = trim(text.substr(i, end - i));
            i = end;
        }
        if (i < n && text[i] == ';')
            ++i;
        cs.m_pairs.emplace_back(std::move(key), std::move(value));
    }
    return cs;
}

std::string connectionStringValue(const std::string& value)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    const bool plain = value.find_first_of(";'\"{}") == std::string::npos &&
                       (value.empty() || (!blank(value.front()) && !blank(value.back())));
    if (plain)
        return value;
    const char quote = value.find('"') != std::string::npos && value.find('\'') == std::string::npos ? '\'' : '"';
    std::string out(1, quote);
    for (char c : value) {
        out += c;
        if (c == quote)
            out += quote;
    }
    out += quote;
    return out;
}

std::optional<std::string> ConnectionString::get(const std::string& key) const
{
    // The last of repeated keys wins.
    const auto it = std::find_if(m_pairs.rbegin(), m_pairs.rend(),
                                 [&key](const auto& pair) { return equalsIgnoreCase(pair.first, key); });
    if (it != m_pairs.rend())
        return it->second;
    return std::nullopt;
}

std::string ConnectionString::getOr(const std::string& key, const std::string& fallback) const
{
    auto v = get(key);
    return v ? *v : fallback;
}

} // namespace db
