#include "db/vfp/dbc/CdxHeader.h"

#include <stdexcept>

namespace db::vfp::cdx {

namespace {

std::string readCString(const std::uint8_t* p, std::size_t max)
{
    std::size_t n = 0;
    while (n < max && p[n] != 0)
        ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

} // namespace

std::vector<std::uint8_t> encodeTagHeader(const TagHeader& h)
{
    const std::size_t keyLen = h.keyExpression.size() + 1;
    const std::size_t forLen = h.forExpression.size() + 1;
    if (keyLen + forLen > kHeaderSize - 512)
        throw std::runtime_error("index expression too long");
    std::vector<std::uint8_t> out(kHeaderSize, 0);
    writeLe(out.data(), h.root, 4);
    writeLe(out.data() + 4, h.freeList, 4);
    writeLe(out.data() + 8, h.changeCounter, 4);
    writeLe(out.data() + 12, h.keyLength, 2);
    out[14] = h.options;
    out[15] = h.signature;
    writeLe(out.data() + 502, h.descending, 2);
    // Visual FoxPro repeats the key expression's length at 504 (the directory has 1 there as well).
    writeLe(out.data() + 504, keyLen, 2);
    writeLe(out.data() + 506, forLen, 2);
    writeLe(out.data() + 510, keyLen, 2);
    h.keyExpression.copy(reinterpret_cast<char*>(out.data() + 512), h.keyExpression.size());
    h.forExpression.copy(reinterpret_cast<char*>(out.data() + 512 + keyLen), h.forExpression.size());
    return out;
}

TagHeader decodeTagHeader(const std::uint8_t* b)
{
    TagHeader h;
    h.root = readLe(b, 4);
    h.freeList = readLe(b + 4, 4);
    h.changeCounter = readLe(b + 8, 4);
    h.keyLength = static_cast<std::uint16_t>(readLe(b + 12, 2));
    h.options = b[14];
    h.signature = b[15];
    h.descending = static_cast<std::uint16_t>(readLe(b + 502, 2));
    const std::size_t keyLen = readLe(b + 510, 2);
    h.keyExpression = readCString(b + 512, 512);
    if (keyLen > 0 && keyLen < 512)
        h.forExpression = readCString(b + 512 + keyLen, 512 - keyLen);
    if (h.keyLength == 0 || h.keyLength > 240)
        throw std::runtime_error("damaged index header");
    return h;
}

} // namespace db::vfp::cdx
