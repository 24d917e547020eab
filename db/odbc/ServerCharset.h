#pragma once

#include <optional>
#include <string>

namespace db::odbc {

// The character set of an ASE connection, as the server names it (@@client_csname: "utf8", "iso_1", "roman8", …).
// FreeTDS converts our UTF-8 text into it on the client; a character the set lacks makes the driver cut the
// statement just before it and send the rest. So every text is checked first.
class ServerCharset {
public:
    explicit ServerCharset(std::string aseName);
    ~ServerCharset();
    ServerCharset(const ServerCharset&) = delete;
    ServerCharset& operator=(const ServerCharset&) = delete;

    const std::string& name() const { return m_name; }
    // The first character of `utf8` that the set cannot hold, as UTF-8; nothing when every one fits (and always
    // for "utf8" and for sets this program does not know, which are left to the driver).
    std::optional<std::string> firstUnstorable(const std::string& utf8) const;

private:
    std::string m_name;
    std::string m_iconvName; // empty: no check
    mutable void* m_converter =
        nullptr; // iconv_t, opened at the first text that is not ASCII; reused for every row after
};

// The iconv name of an ASE character set, or empty when it holds every character or is not known here.
std::string iconvNameOfAseCharset(const std::string& aseName);

} // namespace db::odbc
