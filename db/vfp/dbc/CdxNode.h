#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The nodes of a compact compound index (.cdx / .dcx): 512-byte pages, interior nodes with full keys, leaves
// with packed record numbers and keys stored without the bytes they share with their neighbour.
namespace db::vfp::cdx {

constexpr std::size_t kPageSize = 512;
constexpr std::uint32_t kNoNode = 0xFFFFFFFFu;
constexpr std::size_t kLeafHeaderSize = 24;
constexpr std::size_t kInteriorHeaderSize = 12;

using Page = std::array<std::uint8_t, kPageSize>;

// Node attribute bits; Visual FoxPro sets further bits on some nodes, which carry no meaning for a reader.
enum NodeAttribute : std::uint16_t { AttrRoot = 1, AttrLeaf = 2 };

struct KeyEntry {
    std::string key; // always the full key length, padded
    std::uint32_t recno = 0;
    bool operator==(const KeyEntry&) const = default;
};

// How a leaf packs its entries: record number, then duplicate count, then trailing count, in `bytes` bytes.
struct LeafLayout {
    int recBits = 0;
    int dupBits = 0;
    int trailBits = 0;
    int bytes = 0;
    bool operator==(const LeafLayout&) const = default;
};

// The layout Visual FoxPro chooses: dup/trail counts as wide as the key length needs, and the fewest whole
// bytes whose remaining bits hold the node's highest record number.
LeafLayout leafLayoutFor(std::size_t keyLength, std::uint32_t maxRecno);

// A node as decoded, with the packing details a structural comparison needs.
struct Node {
    std::uint16_t attributes = 0;
    std::uint32_t left = kNoNode;
    std::uint32_t right = kNoNode;
    std::vector<KeyEntry> keys;                // leaf: its keys; interior: the greatest key below each child
    std::vector<std::uint32_t> children;       // interior only
    LeafLayout layout;                         // leaf only
    std::vector<std::pair<int, int>> dupTrail; // leaf only: per key, shared leading and dropped trailing bytes
    int freeBytes = 0;                         // leaf only
    bool isLeaf() const { return (attributes & AttrLeaf) != 0; }
};

// Bytes a leaf with these keys (in order) needs, header included.
std::size_t leafSize(const std::vector<KeyEntry>& keys, std::size_t keyLength, char pad = ' ');
std::size_t interiorCapacity(std::size_t keyLength);

// Encoders throw std::runtime_error when the entries do not fit in one page.
Page encodeLeaf(const Node& node, std::size_t keyLength, char pad = ' ');
Page encodeInterior(const Node& node, std::size_t keyLength);
Node decodeNode(const std::uint8_t* page, std::size_t keyLength, char pad = ' ');

// Little- and big-endian helpers the index files use.
std::uint32_t readLe(const std::uint8_t* p, int bytes);
void writeLe(std::uint8_t* p, std::uint64_t value, int bytes);
std::uint32_t readBe32(const std::uint8_t* p);
void writeBe32(std::uint8_t* p, std::uint32_t value);

} // namespace db::vfp::cdx
