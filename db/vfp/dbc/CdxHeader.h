#pragma once

#include "db/vfp/dbc/CdxNode.h"

#include <cstdint>
#include <string>
#include <vector>

namespace db::vfp::cdx {

constexpr std::size_t kHeaderSize = 1024;

// Tag header options.
enum TagOption : std::uint8_t {
    OptUnique = 0x01,
    OptCandidate = 0x04,
    OptHasFor = 0x08,
    OptCompact = 0x20,
    OptCompound = 0x40,
    OptDirectory = 0x80,
};

// The 1024-byte header of a tag or of the tag directory. Bytes 16..501 hold statistics Visual FoxPro fills in
// some files and leaves zero in others; a writer leaves them zero.
struct TagHeader {
    std::uint32_t root = 0;
    std::uint32_t freeList = 0;
    std::uint32_t changeCounter = 0;
    std::uint16_t keyLength = 0;
    std::uint8_t options = 0;
    std::uint8_t signature = 1;
    std::uint16_t descending = 0;
    std::string keyExpression;
    std::string forExpression;
};

std::vector<std::uint8_t> encodeTagHeader(const TagHeader& header);
TagHeader decodeTagHeader(const std::uint8_t* bytes);

} // namespace db::vfp::cdx
