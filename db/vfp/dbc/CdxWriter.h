#pragma once

#include "db/vfp/dbc/CdxNode.h"

#include <cstdint>
#include <string>
#include <vector>

namespace db::vfp::cdx {

struct TagSpec {
    std::string name; // at most 10 characters, stored upper case
    std::string keyExpression;
    std::string forExpression;
    std::uint16_t keyLength = 0;
    std::uint8_t options = 0;
    std::vector<KeyEntry> keys; // any order; the writer sorts by key bytes, then record number
};

// Builds a whole compound index file as Visual FoxPro's reindex lays it out: the directory, then per tag (in name
// order) its header and a B-tree grown by appending the sorted keys — leaves filled as far as they go, interior
// nodes to capacity, a full root split into a copy of itself and a new sibling under the same root offset.
std::vector<std::uint8_t> buildCompoundIndex(std::vector<TagSpec> tags);

} // namespace db::vfp::cdx
