#pragma once

#include "db/vfp/dbc/CdxHeader.h"
#include "db/vfp/dbc/CdxNode.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace db::vfp::cdx {

struct DecodedNode {
    std::uint32_t offset = 0;
    int level = 0; // 0 = root
    Node node;
};

struct IndexTag {
    std::string name; // as stored in the directory, trailing spaces removed
    std::uint32_t headerOffset = 0;
    TagHeader header;
    std::vector<KeyEntry> keys;     // in index order
    std::vector<DecodedNode> nodes; // depth first, children in key order
};

struct CompoundIndex {
    TagHeader directory;
    std::vector<DecodedNode> directoryNodes;
    std::vector<IndexTag> tags; // in directory order
};

// Decodes a whole compound index; throws std::runtime_error on a damaged file (bad offsets, loops, bad nodes).
CompoundIndex readCompoundIndex(const std::vector<std::uint8_t>& file);
CompoundIndex readCompoundIndex(const std::filesystem::path& path);

} // namespace db::vfp::cdx
