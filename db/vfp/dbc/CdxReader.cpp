#include "db/vfp/dbc/CdxReader.h"

#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>

namespace db::vfp::cdx {

namespace {

constexpr int kMaxDepth = 32;

class TreeWalker {
public:
    TreeWalker(const std::vector<std::uint8_t>& file, std::size_t keyLength, char pad)
        : m_file(file), m_keyLength(keyLength), m_pad(pad)
    {
    }

    void walk(std::uint32_t offset, int level, std::vector<DecodedNode>& nodes, std::vector<KeyEntry>& keys)
    {
        if (level > kMaxDepth || offset % kPageSize != 0 || offset + kPageSize > m_file.size() ||
            !m_seen.insert(offset).second)
            throw std::runtime_error("damaged index: bad node offset");
        DecodedNode d{offset, level, decodeNode(m_file.data() + offset, m_keyLength, m_pad)};
        nodes.push_back(d);
        if (d.node.isLeaf()) {
            keys.insert(keys.end(), d.node.keys.begin(), d.node.keys.end());
            return;
        }
        for (std::uint32_t child : d.node.children)
            walk(child, level + 1, nodes, keys);
    }

private:
    const std::vector<std::uint8_t>& m_file;
    std::size_t m_keyLength;
    char m_pad;
    std::set<std::uint32_t> m_seen;
};

TagHeader headerAt(const std::vector<std::uint8_t>& file, std::uint32_t offset)
{
    if (offset % kPageSize != 0 || offset + kHeaderSize > file.size())
        throw std::runtime_error("damaged index: bad tag header offset");
    return decodeTagHeader(file.data() + offset);
}

std::string trimRight(std::string s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.pop_back();
    return s;
}

} // namespace

CompoundIndex readCompoundIndex(const std::vector<std::uint8_t>& file)
{
    CompoundIndex index;
    index.directory = headerAt(file, 0);
    std::vector<KeyEntry> names;
    TreeWalker(file, index.directory.keyLength, ' ').walk(index.directory.root, 0, index.directoryNodes, names);
    for (const KeyEntry& entry : names) {
        IndexTag tag;
        tag.name = trimRight(entry.key);
        tag.headerOffset = entry.recno;
        tag.header = headerAt(file, entry.recno);
        TreeWalker(file, tag.header.keyLength, ' ').walk(tag.header.root, 0, tag.nodes, tag.keys);
        index.tags.push_back(std::move(tag));
    }
    return index;
}

CompoundIndex readCompoundIndex(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("Cannot open the index file " + path.string() + ".");
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return readCompoundIndex(bytes);
}

} // namespace db::vfp::cdx
