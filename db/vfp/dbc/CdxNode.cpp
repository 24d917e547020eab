#include "db/vfp/dbc/CdxNode.h"

#include <stdexcept>

namespace db::vfp::cdx {

namespace {

int bitsFor(std::uint64_t value)
{
    int bits = 0;
    while (bits < 64 && (value >> bits) != 0)
        ++bits;
    return bits;
}

std::size_t trailingPad(const std::string& key, char pad)
{
    std::size_t n = 0;
    while (n < key.size() && key[key.size() - 1 - n] == pad)
        ++n;
    return n;
}

std::size_t sharedPrefix(const std::string& a, const std::string& b, std::size_t limit)
{
    std::size_t n = 0;
    while (n < limit && n < a.size() && a[n] == b[n])
        ++n;
    return n;
}

struct Packed {
    std::size_t dup = 0;
    std::size_t trail = 0;
};

Packed packKey(const std::string& previous, const std::string& key, char pad)
{
    Packed p;
    p.trail = trailingPad(key, pad);
    p.dup = previous.empty() ? 0 : sharedPrefix(previous, key, key.size() - p.trail);
    return p;
}

std::uint32_t maxRecno(const std::vector<KeyEntry>& keys)
{
    std::uint32_t m = 0;
    for (const auto& k : keys)
        m = std::max(m, k.recno);
    return m;
}

void checkKeyLength(const KeyEntry& k, std::size_t keyLength)
{
    if (k.key.size() != keyLength)
        throw std::runtime_error("index key of the wrong length");
}

} // namespace

std::uint32_t readLe(const std::uint8_t* p, int bytes)
{
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return static_cast<std::uint32_t>(v);
}

void writeLe(std::uint8_t* p, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t readBe32(const std::uint8_t* p)
{
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

void writeBe32(std::uint8_t* p, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

LeafLayout leafLayoutFor(std::size_t keyLength, std::uint32_t maxRec)
{
    LeafLayout l;
    l.dupBits = l.trailBits = bitsFor(keyLength);
    const int needed = std::max(1, bitsFor(maxRec));
    l.bytes = 1;
    while (l.bytes * 8 - l.dupBits - l.trailBits < needed)
        ++l.bytes;
    l.recBits = l.bytes * 8 - l.dupBits - l.trailBits;
    return l;
}

std::size_t leafSize(const std::vector<KeyEntry>& keys, std::size_t keyLength, char pad)
{
    const LeafLayout layout = leafLayoutFor(keyLength, maxRecno(keys));
    std::size_t size = kLeafHeaderSize + keys.size() * static_cast<std::size_t>(layout.bytes);
    const std::string* previous = nullptr;
    static const std::string none;
    for (const auto& k : keys) {
        const Packed p = packKey(previous ? *previous : none, k.key, pad);
        size += k.key.size() - p.dup - p.trail;
        previous = &k.key;
    }
    return size;
}

std::size_t interiorCapacity(std::size_t keyLength)
{
    return (kPageSize - kInteriorHeaderSize) / (keyLength + 8);
}

namespace {

void writeNodeHeader(Page& page, const Node& node, std::size_t count)
{
    writeLe(page.data(), node.attributes, 2);
    writeLe(page.data() + 2, count, 2);
    writeLe(page.data() + 4, node.left, 4);
    writeLe(page.data() + 8, node.right, 4);
}

} // namespace

Page encodeLeaf(const Node& node, std::size_t keyLength, char pad)
{
    Page page{};
    const std::size_t size = leafSize(node.keys, keyLength, pad);
    if (size > kPageSize)
        throw std::runtime_error("index keys do not fit in one node");
    const LeafLayout l = leafLayoutFor(keyLength, maxRecno(node.keys));
    writeNodeHeader(page, node, node.keys.size());
    writeLe(page.data() + 12, kPageSize - size, 2);
    writeLe(page.data() + 14, (std::uint64_t{1} << l.recBits) - 1, 4);
    page[18] = static_cast<std::uint8_t>((1u << l.dupBits) - 1);
    page[19] = static_cast<std::uint8_t>((1u << l.trailBits) - 1);
    page[20] = static_cast<std::uint8_t>(l.recBits);
    page[21] = static_cast<std::uint8_t>(l.dupBits);
    page[22] = static_cast<std::uint8_t>(l.trailBits);
    page[23] = static_cast<std::uint8_t>(l.bytes);
    std::size_t keyEnd = kPageSize;
    std::string previous;
    for (std::size_t i = 0; i < node.keys.size(); ++i) {
        const KeyEntry& k = node.keys[i];
        checkKeyLength(k, keyLength);
        const Packed p = packKey(previous, k.key, pad);
        const std::uint64_t packed = std::uint64_t{k.recno} | (std::uint64_t{p.dup} << l.recBits) |
                                     (std::uint64_t{p.trail} << (l.recBits + l.dupBits));
        writeLe(page.data() + kLeafHeaderSize + i * static_cast<std::size_t>(l.bytes), packed, l.bytes);
        const std::size_t fragment = keyLength - p.dup - p.trail;
        keyEnd -= fragment;
        k.key.copy(reinterpret_cast<char*>(page.data() + keyEnd), fragment, p.dup);
        previous = k.key;
    }
    return page;
}

Page encodeInterior(const Node& node, std::size_t keyLength)
{
    if (node.keys.size() != node.children.size() || node.keys.size() > interiorCapacity(keyLength))
        throw std::runtime_error("index entries do not fit in one node");
    Page page{};
    writeNodeHeader(page, node, node.keys.size());
    std::uint8_t* p = page.data() + kInteriorHeaderSize;
    for (std::size_t i = 0; i < node.keys.size(); ++i) {
        checkKeyLength(node.keys[i], keyLength);
        node.keys[i].key.copy(reinterpret_cast<char*>(p), keyLength);
        writeBe32(p + keyLength, node.keys[i].recno);
        writeBe32(p + keyLength + 4, node.children[i]);
        p += keyLength + 8;
    }
    return page;
}

namespace {

void decodeLeafEntries(const std::uint8_t* page, std::size_t keyLength, char pad, std::size_t count, Node& node)
{
    LeafLayout& l = node.layout;
    l.recBits = page[20];
    l.dupBits = page[21];
    l.trailBits = page[22];
    l.bytes = page[23];
    if (l.bytes < 1 || l.bytes > 8 || l.recBits + l.dupBits + l.trailBits > 64 ||
        kLeafHeaderSize + count * static_cast<std::size_t>(l.bytes) > kPageSize)
        throw std::runtime_error("damaged index leaf");
    const std::uint64_t recMask = readLe(page + 14, 4);
    const std::uint64_t dupMask = page[18];
    const std::uint64_t trailMask = page[19];
    std::size_t keyEnd = kPageSize;
    std::string previous(keyLength, pad);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint64_t v = 0;
        const std::uint8_t* e = page + kLeafHeaderSize + i * static_cast<std::size_t>(l.bytes);
        for (int b = l.bytes - 1; b >= 0; --b)
            v = (v << 8) | e[b];
        const auto rec = static_cast<std::uint32_t>(v & recMask);
        const auto dup = static_cast<std::size_t>((v >> l.recBits) & dupMask);
        const auto trail = static_cast<std::size_t>((v >> (l.recBits + l.dupBits)) & trailMask);
        if (dup + trail > keyLength || keyLength - dup - trail > keyEnd - kLeafHeaderSize)
            throw std::runtime_error("damaged index leaf");
        const std::size_t fragment = keyLength - dup - trail;
        keyEnd -= fragment;
        std::string key = previous.substr(0, dup);
        key.append(reinterpret_cast<const char*>(page + keyEnd), fragment);
        key.append(trail, pad);
        node.keys.push_back({key, rec});
        node.dupTrail.emplace_back(static_cast<int>(dup), static_cast<int>(trail));
        previous = std::move(key);
    }
    node.freeBytes = static_cast<int>(readLe(page + 12, 2));
}

} // namespace

Node decodeNode(const std::uint8_t* page, std::size_t keyLength, char pad)
{
    Node node;
    node.attributes = static_cast<std::uint16_t>(readLe(page, 2));
    const std::size_t count = readLe(page + 2, 2);
    node.left = readLe(page + 4, 4);
    node.right = readLe(page + 8, 4);
    if (node.isLeaf()) {
        decodeLeafEntries(page, keyLength, pad, count, node);
        return node;
    }
    if (count > interiorCapacity(keyLength))
        throw std::runtime_error("damaged index node");
    const std::uint8_t* p = page + kInteriorHeaderSize;
    for (std::size_t i = 0; i < count; ++i, p += keyLength + 8) {
        node.keys.push_back({std::string(reinterpret_cast<const char*>(p), keyLength), readBe32(p + keyLength)});
        node.children.push_back(readBe32(p + keyLength + 4));
    }
    return node;
}

} // namespace db::vfp::cdx
