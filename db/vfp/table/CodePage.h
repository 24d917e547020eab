#pragma once

#include "db/Utf8.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace db::vfp {

// What a code page mark (header byte 29) stands for.
struct CodePageInfo {
    int number = 1252;         // Windows/DOS code page number, 0 when the mark is unknown
    const char* iconvName;     // nullptr when this machine has no converter for it
    std::string label() const; // e.g. "code page 1251"
};

// The code page a mark names. No mark (0) and unknown marks read as Windows-1252, as the tables of the western
// installations this tool serves mostly are.
CodePageInfo codePageOfMark(std::uint8_t mark);

// The mark to write for a code page number, 0 when there is none.
std::uint8_t markOfCodePage(int codePage);

// Converts text between a table's code page and UTF-8. Not thread-safe (it keeps iconv handles).
class TextCodec {
public:
    explicit TextCodec(std::uint8_t mark);
    ~TextCodec();
    TextCodec(const TextCodec&) = delete;
    TextCodec& operator=(const TextCodec&) = delete;

    // Decodes table bytes to UTF-8. Bytes the code page does not define come out as U+FFFD (except in 1252, where
    // they map to the C1 controls as Windows does, so they survive a round trip).
    std::string decode(const std::uint8_t* data, std::size_t size);
    std::string decode(const std::string& bytes)
    {
        return decode(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    // The same, converting the table bytes held in `text` where they are (a long memo is not held twice).
    void decodeInPlace(std::string& text);
    // The same into `out`, replacing what it held but keeping its storage: a reader decoding row after row into
    // the same strings allocates only when a text outgrows its string.
    void decodeInto(std::string& out, const std::uint8_t* data, std::size_t size);
    // How many bytes of UTF-8 the table bytes decode to; for code pages iconv converts, their own count.
    std::size_t decodedSize(const std::uint8_t* data, std::size_t size) const;
    // Encodes UTF-8 for the table; a character the code page cannot hold is an error naming it, the code page and
    // `column`.
    std::string encode(const std::string& utf8, const std::string& column);
    // The same, converting `text` where it is (except for code pages iconv converts). On an error `text` is
    // left part-converted.
    void encodeInPlace(std::string& text, const std::string& column);

    const CodePageInfo& info() const { return m_info; }

private:
    std::string iconvDecode(const std::uint8_t* data, std::size_t size);
    std::string iconvEncode(const std::string& utf8, const std::string& column);

    CodePageInfo m_info;
    bool m_is1252;
    std::string m_scratch;      // where decodeInto converts a short text in one pass
    void* m_toUtf8 = nullptr;   // iconv_t
    void* m_fromUtf8 = nullptr; // iconv_t
};

// Appends the UTF-8 form of a code point.

} // namespace db::vfp
