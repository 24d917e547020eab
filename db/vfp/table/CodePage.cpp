#include "db/vfp/table/CodePage.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iconv.h>
#include <stdexcept>

namespace db::vfp {

namespace {

struct MarkEntry {
    std::uint8_t mark;
    int codePage;
    const char* iconvName;
};

// Visual FoxPro's marks, then the dBASE language-driver ids seen in real files.
constexpr MarkEntry kMarks[] = {
    {0x01, 437, "CP437"},
    {0x02, 850, "CP850"},
    {0x03, 1252, "CP1252"},
    {0x04, 10000, "MACINTOSH"},
    {0x64, 852, "CP852"},
    {0x65, 866, "CP866"},
    {0x66, 865, "CP865"},
    {0x67, 861, "CP861"},
    {0x68, 895, nullptr},
    {0x69, 620, nullptr},
    {0x6A, 737, "CP737"},
    {0x6B, 857, "CP857"},
    {0x78, 950, "CP950"},
    {0x79, 949, "CP949"},
    {0x7A, 936, "CP936"},
    {0x7B, 932, "CP932"},
    {0x7C, 874, "CP874"},
    {0x7D, 1255, "CP1255"},
    {0x7E, 1256, "CP1256"},
    {0x96, 10007, "MAC-CYRILLIC"},
    {0x97, 10029, "MAC-CENTRALEUROPE"},
    {0x98, 10006, nullptr},
    {0xC8, 1250, "CP1250"},
    {0xC9, 1251, "CP1251"},
    {0xCA, 1254, "CP1254"},
    {0xCB, 1253, "CP1253"},
    // dBASE language drivers
    {0x26, 866, "CP866"},
    {0x37, 850, "CP850"},
    {0x4D, 936, "CP936"},
    {0x4E, 949, "CP949"},
    {0x4F, 950, "CP950"},
    {0x50, 874, "CP874"},
    {0x57, 1252, "CP1252"},
    {0x58, 1252, "CP1252"},
    {0x59, 1252, "CP1252"},
};

constexpr std::array<std::uint16_t, 32> kCp1252High = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                       0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Decodes one UTF-8 sequence at `pos`; returns the code point and advances `pos`, or -1 on a malformed one.
long nextCodePoint(const std::string& s, std::size_t& pos)
{
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    unsigned char c = byte(pos);
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || pos + static_cast<std::size_t>(extra) >= s.size())
        return -1;
    long cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        unsigned char cc = byte(pos + static_cast<std::size_t>(i));
        if ((cc & 0xC0) != 0x80)
            return -1;
        cp = (cp << 6) | (cc & 0x3F);
    }
    pos += static_cast<std::size_t>(extra) + 1;
    return cp;
}

std::uint32_t cp1252CodePoint(std::uint8_t b)
{
    return b < 0x80 || b >= 0xA0 ? b : kCp1252High[b - 0x80];
}

std::size_t utf8Length(std::uint32_t cp)
{
    return cp < 0x80 ? 1 : cp < 0x800 ? 2 : 3; // 1252 has nothing past U+FFFF
}

constexpr std::uint64_t kHighBits = 0x8080808080808080u;
// Texts up to this many bytes past their leading ASCII are converted in one pass through a scratch string; longer
// ones are measured first and converted where they go, so the scratch string stays small.
constexpr std::size_t kOnePassLimit = std::size_t{16} * 1024;

// Whether the eight bytes at `p` are all ASCII; `word` gets them.
bool asciiWord(const std::uint8_t* p, std::uint64_t& word)
{
    std::memcpy(&word, p, sizeof word);
    return (word & kHighBits) == 0;
}

// How many bytes at the start of `data` are ASCII, eight at a time.
std::size_t asciiPrefix(const std::uint8_t* data, std::size_t size)
{
    std::size_t i = 0;
    std::uint64_t word = 0;
    while (i + 8 <= size && asciiWord(data + i, word))
        i += 8;
    while (i < size && data[i] < 0x80)
        ++i;
    return i;
}

// The UTF-8 of the 1252 bytes 0x80 to 0xFF.
struct Utf8Bytes {
    std::array<char, 3> bytes{};
    std::uint8_t length = 0;
};

constexpr std::array<Utf8Bytes, 128> kCp1252Utf8 = [] {
    std::array<Utf8Bytes, 128> table{};
    for (std::size_t b = 0x80; b <= 0xFF; ++b) {
        const std::uint32_t cp = b < 0xA0 ? kCp1252High[b - 0x80] : static_cast<std::uint32_t>(b);
        Utf8Bytes& e = table[b - 0x80];
        if (cp < 0x800) {
            e.bytes = {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F)), 0};
            e.length = 2;
        } else {
            e.bytes = {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
                       static_cast<char>(0x80 | (cp & 0x3F))};
            e.length = 3;
        }
    }
    return table;
}();

// Every 1252 byte as UTF-8, padded to four bytes, and its length: a converter with room to spare stores four bytes
// a byte without looking at its kind.
struct PaddedUtf8 {
    std::array<std::array<char, 4>, 256> bytes{};
    std::array<std::uint8_t, 256> length{};
};

constexpr PaddedUtf8 kPaddedUtf8 = [] {
    PaddedUtf8 table{};
    for (std::size_t b = 0; b < 0x80; ++b) {
        table.bytes[b][0] = static_cast<char>(b);
        table.length[b] = 1;
    }
    for (std::size_t b = 0x80; b <= 0xFF; ++b) {
        const Utf8Bytes& e = kCp1252Utf8[b - 0x80];
        table.bytes[b] = {e.bytes[0], e.bytes[1], e.bytes[2], 0};
        table.length[b] = e.length;
    }
    return table;
}();

// Writes the UTF-8 of the 1252 bytes from `data` to `out`, which has room for three bytes a byte and eight more;
// returns the end written.
char* cp1252ToUtf8Padded(const std::uint8_t* data, std::size_t size, char* out)
{
    auto one = [&](std::uint8_t b) {
        std::memcpy(out, kPaddedUtf8.bytes[b].data(), 4);
        out += kPaddedUtf8.length[b];
    };
    std::size_t i = 0;
    std::uint64_t word = 0;
    for (; i + 8 <= size; i += 8) {
        if (asciiWord(data + i, word)) {
            std::memcpy(out, &word, sizeof word);
            out += 8;
            continue;
        }
        for (std::size_t k = 0; k < 8; ++k)
            one(data[i + k]);
    }
    for (; i < size; ++i)
        one(data[i]);
    return out;
}

// Which of the eight bytes of a word read from memory is the first with a bit of `bits`.
int firstByteOf(std::uint64_t bits)
{
    if constexpr (std::endian::native == std::endian::little)
        return std::countr_zero(bits) / 8;
    else
        return std::countl_zero(bits) / 8;
}

// Writes the UTF-8 of the 1252 bytes from `data` to `out`, which has room for it; ASCII goes eight bytes at a
// time.
void cp1252ToUtf8(const std::uint8_t* data, std::size_t size, char* out)
{
    std::size_t i = 0;
    std::uint64_t word = 0;
    while (i < size) {
        if (i + 8 <= size) {
            // Each byte gives at least one, so `out` has room for eight: the ASCII before the first other byte
            // goes out at once.
            const bool ascii = asciiWord(data + i, word);
            std::memcpy(out, &word, sizeof word);
            const int n = ascii ? 8 : firstByteOf(word & kHighBits);
            out += n;
            i += static_cast<std::size_t>(n);
            if (ascii)
                continue;
        }
        const std::uint8_t b = data[i++];
        if (b < 0x80) {
            *out++ = static_cast<char>(b);
            continue;
        }
        const Utf8Bytes& e = kCp1252Utf8[b - 0x80];
        out[0] = e.bytes[0];
        out[1] = e.bytes[1];
        if (e.length == 3)
            out[2] = e.bytes[2];
        out += e.length;
    }
}

std::string describeCodePoint(const std::string& utf8, std::size_t pos)
{
    std::size_t end = pos;
    long cp = nextCodePoint(utf8, end);
    if (cp < 0)
        return "a byte that is not valid UTF-8";
    char buf[32];
    std::snprintf(buf, sizeof buf, "U+%04lX", static_cast<unsigned long>(cp));
    return "the character '" + utf8.substr(pos, end - pos) + "' (" + buf + ")";
}

[[noreturn]] void throwUnencodable(const std::string& utf8, std::size_t pos, const CodePageInfo& info,
                                   const std::string& column)
{
    throw std::runtime_error("The value for column " + column + " contains " + describeCodePoint(utf8, pos) +
                             ", which " + info.label() + " of the table cannot hold");
}

} // namespace

std::string CodePageInfo::label() const
{
    return number ? "code page " + std::to_string(number) : "the code page";
}

CodePageInfo codePageOfMark(std::uint8_t mark)
{
    for (const auto& e : kMarks)
        if (e.mark == mark)
            return {e.codePage, e.iconvName};
    return {1252, "CP1252"};
}

std::uint8_t markOfCodePage(int codePage)
{
    for (const auto& e : kMarks)
        if (e.codePage == codePage)
            return e.mark;
    return 0;
}

TextCodec::TextCodec(std::uint8_t mark) : m_info(codePageOfMark(mark)), m_is1252(m_info.number == 1252) {}

TextCodec::~TextCodec()
{
    if (m_toUtf8)
        iconv_close(static_cast<iconv_t>(m_toUtf8));
    if (m_fromUtf8)
        iconv_close(static_cast<iconv_t>(m_fromUtf8));
}

std::string TextCodec::decode(const std::uint8_t* data, std::size_t size)
{
    std::string text;
    decodeInto(text, data, size);
    return text;
}

void TextCodec::decodeInto(std::string& out, const std::uint8_t* data, std::size_t size)
{
    const std::size_t ascii = asciiPrefix(data, size);
    if (ascii == size) {
        out.assign(reinterpret_cast<const char*>(data), size);
        return;
    }
    if (!m_is1252) {
        out = iconvDecode(data, size);
        return;
    }
    const std::size_t rest = size - ascii;
    if (rest <= kOnePassLimit) {
        // One pass into the scratch string, which has room for the most the bytes can become, then one copy.
        if (m_scratch.size() < 3 * rest + 8)
            m_scratch.resize(3 * rest + 8);
        const auto n =
            static_cast<std::size_t>(cp1252ToUtf8Padded(data + ascii, rest, m_scratch.data()) - m_scratch.data());
        out.reserve(ascii + n);
        out.assign(reinterpret_cast<const char*>(data), ascii);
        out.append(m_scratch.data(), n);
        return;
    }
    out.resize(ascii + decodedSize(data + ascii, rest));
    std::memcpy(out.data(), data, ascii);
    cp1252ToUtf8(data + ascii, rest, out.data() + ascii);
}

std::size_t TextCodec::decodedSize(const std::uint8_t* data, std::size_t size) const
{
    if (!m_is1252)
        return size;
    std::size_t length = size;
    std::size_t i = 0;
    std::uint64_t word = 0;
    for (; i + 8 <= size; i += 8) {
        if (asciiWord(data + i, word))
            continue;
        for (std::size_t k = i; k < i + 8; ++k)
            length += kPaddedUtf8.length[data[k]] - 1u;
    }
    for (; i < size; ++i)
        length += kPaddedUtf8.length[data[i]] - 1u;
    return length;
}

void TextCodec::decodeInPlace(std::string& text)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::size_t i = asciiPrefix(bytes, text.size());
    if (i == text.size())
        return;
    if (!m_is1252) {
        text = iconvDecode(bytes, text.size());
        return;
    }
    // Every byte becomes one to three bytes of UTF-8: size the text once, then convert from the end backwards,
    // so nothing is overwritten before it is read and a long memo is never held twice.
    const std::size_t length = i + decodedSize(bytes + i, text.size() - i);
    std::size_t read = text.size();
    text.resize(length);
    char* out = text.data();
    std::size_t write = length;
    while (read > i) {
        std::uint32_t cp = cp1252CodePoint(static_cast<std::uint8_t>(out[--read]));
        std::size_t n = utf8Length(cp);
        write -= n;
        if (n == 1) {
            out[write] = static_cast<char>(cp);
        } else if (n == 2) {
            out[write] = static_cast<char>(0xC0 | (cp >> 6));
            out[write + 1] = static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out[write] = static_cast<char>(0xE0 | (cp >> 12));
            out[write + 1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out[write + 2] = static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
}

std::string TextCodec::encode(const std::string& utf8, const std::string& column)
{
    if (!m_is1252 &&
        !std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return iconvEncode(utf8, column);
    std::string out = utf8;
    encodeInPlace(out, column);
    return out;
}

void TextCodec::encodeInPlace(std::string& text, const std::string& column)
{
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80)
        ++i;
    if (i == text.size())
        return;
    if (!m_is1252) {
        text = iconvEncode(text, column);
        return;
    }
    // A character takes at least one byte of UTF-8 and exactly one of 1252: the output never overtakes the
    // input, so the text still to read (and to quote in an error) is intact.
    std::size_t write = i;
    while (i < text.size()) {
        if (static_cast<unsigned char>(text[i]) < 0x80) { // ASCII as it is
            text[write++] = text[i++];
            continue;
        }
        std::size_t start = i;
        long cp = nextCodePoint(text, i);
        if (cp < 0)
            throwUnencodable(text, start, m_info, column);
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            text[write++] = static_cast<char>(cp);
            continue;
        }
        const auto* const found = std::find(kCp1252High.begin(), kCp1252High.end(), cp);
        if (found == kCp1252High.end())
            throwUnencodable(text, start, m_info, column);
        text[write++] = static_cast<char>(0x80 + (found - kCp1252High.begin()));
    }
    text.resize(write);
}

std::string TextCodec::iconvDecode(const std::uint8_t* data, std::size_t size)
{
    if (!m_info.iconvName)
        throw std::runtime_error("The table's text is in " + m_info.label() + ", which this program cannot convert");
    if (!m_toUtf8) {
        iconv_t cd = iconv_open("UTF-8", m_info.iconvName);
        // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv_open reports failure as (iconv_t)-1
        if (cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("No converter for " + m_info.label() + " is installed");
        m_toUtf8 = cd;
    }
    auto* cd = static_cast<iconv_t>(m_toUtf8);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    out.reserve(size + size / 2);
    char buf[1024];
    char* in = const_cast<char*>(reinterpret_cast<const char*>(data));
    std::size_t inLeft = size;
    while (inLeft > 0) {
        char* o = buf;
        std::size_t oLeft = sizeof buf;
        std::size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buf, static_cast<std::size_t>(o - buf));
        if (r != static_cast<std::size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        appendUtf8(out, 0xFFFD); // undefined byte or a sequence cut off at the field's end
        if (errno == EINVAL)
            break;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

std::string TextCodec::iconvEncode(const std::string& utf8, const std::string& column)
{
    if (!m_info.iconvName)
        throw std::runtime_error("The table's text is in " + m_info.label() + ", which this program cannot convert");
    if (!m_fromUtf8) {
        iconv_t cd = iconv_open(m_info.iconvName, "UTF-8");
        // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv_open reports failure as (iconv_t)-1
        if (cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("No converter for " + m_info.label() + " is installed");
        m_fromUtf8 = cd;
    }
    auto* cd = static_cast<iconv_t>(m_fromUtf8);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    out.reserve(utf8.size()); // the table's code page rarely takes more bytes than UTF-8
    char buf[1024];
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    while (inLeft > 0) {
        char* o = buf;
        std::size_t oLeft = sizeof buf;
        std::size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buf, static_cast<std::size_t>(o - buf));
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG)
            throwUnencodable(utf8, static_cast<std::size_t>(in - utf8.data()), m_info, column);
    }
    char* o = buf;
    std::size_t oLeft = sizeof buf;
    iconv(cd, nullptr, nullptr, &o, &oLeft); // flush shift state of stateful encodings
    out.append(buf, static_cast<std::size_t>(o - buf));
    return out;
}

} // namespace db::vfp
