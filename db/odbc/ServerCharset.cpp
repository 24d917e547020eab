#include "db/odbc/ServerCharset.h"

#include "db/ConnectionString.h"
#include "db/Utf8.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <iconv.h>
#include <utility>

namespace db::odbc {

std::string iconvNameOfAseCharset(const std::string& aseName)
{
    static const std::array<std::pair<const char*, const char*>, 16> names{{
        {"iso_1", "ISO-8859-1"},
        {"iso15", "ISO-8859-15"},
        {"iso88592", "ISO-8859-2"},
        {"iso88595", "ISO-8859-5"},
        {"iso88597", "ISO-8859-7"},
        {"roman8", "HP-ROMAN8"},
        {"mac", "MACINTOSH"},
        {"cp437", "CP437"},
        {"cp850", "CP850"},
        {"cp852", "CP852"},
        {"cp1250", "CP1250"},
        {"cp1251", "CP1251"},
        {"cp1252", "CP1252"},
        {"koi8", "KOI8-R"},
        {"ascii_8", "ASCII"},
        {"ascii", "ASCII"},
    }};
    const std::string wanted = toLowerAscii(aseName);
    for (const auto& [ase, iconvName] : names)
        if (wanted == ase)
            return iconvName;
    return {};
}

ServerCharset::ServerCharset(std::string aseName)
    : m_name(std::move(aseName)), m_iconvName(iconvNameOfAseCharset(m_name))
{
}

ServerCharset::~ServerCharset()
{
    if (m_converter)
        iconv_close(static_cast<iconv_t>(m_converter));
}

std::optional<std::string> ServerCharset::firstUnstorable(const std::string& utf8) const
{
    // Every set here holds ASCII, and most values are nothing else: no conversion for them.
    if (m_iconvName.empty() ||
        std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::nullopt;
    if (!m_converter) {
        iconv_t cd = iconv_open(m_iconvName.c_str(), "UTF-8");
        // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv_open reports failure as (iconv_t)-1
        if (cd == reinterpret_cast<iconv_t>(-1))
            return std::nullopt;
        m_converter = cd;
    }
    auto* cd = static_cast<iconv_t>(m_converter);
    iconv(cd, nullptr, nullptr, nullptr, nullptr); // a fresh start for this text
    std::string input = utf8;
    char* in = input.data();
    std::size_t inLeft = input.size();
    std::array<char, 4096> buffer{};
    while (inLeft > 0) {
        char* out = buffer.data();
        std::size_t outLeft = buffer.size();
        if (iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1))
            return std::nullopt;
        if (errno == E2BIG)
            continue; // the buffer only counts; go on with the rest
        // EILSEQ: a character the set lacks; EINVAL: text cut inside a character. Either way, the one at `in`.
        auto at = static_cast<std::size_t>(in - input.data());
        const std::size_t start = at;
        return nextUtf8(input, at) ? input.substr(start, at - start) : input.substr(start, 1);
    }
    return std::nullopt;
}

} // namespace db::odbc
