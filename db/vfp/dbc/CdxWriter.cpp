#include "db/vfp/dbc/CdxWriter.h"

#include "db/vfp/dbc/CdxHeader.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace db::vfp::cdx {

namespace {

constexpr std::size_t kTagNameLength = 10;

// A B-tree grown by appending keys in ascending order, with nodes numbered in the order a page is allocated.
class AppendTree {
public:
    AppendTree(std::size_t keyLength, std::uint32_t& nextOffset) : m_keyLength(keyLength), m_next(nextOffset)
    {
        m_path.push_back(newNode(true));
    }

    std::uint32_t rootOffset() const { return m_nodes[m_path.front()].offset; }

    void add(const KeyEntry& key)
    {
        BuildNode& leaf = m_nodes[m_path.back()];
        leaf.keys.push_back(key);
        if (leafSize(leaf.keys, m_keyLength) > kPageSize) {
            leaf.keys.pop_back();
            const std::size_t fresh = newNode(true);
            m_nodes[fresh].keys.push_back(key);
            attach(m_path.size() - 1, fresh);
        }
        for (std::size_t i = 0; i + 1 < m_path.size(); ++i)
            m_nodes[m_path[i]].keys.back() = key;
    }

    // Pages of every node, siblings linked level by level.
    std::vector<std::pair<std::uint32_t, Page>> pages()
    {
        std::vector<std::pair<std::uint32_t, Page>> out;
        std::vector<std::size_t> level{m_path.front()};
        bool isRoot = true;
        while (!level.empty()) {
            std::vector<std::size_t> below;
            for (std::size_t i = 0; i < level.size(); ++i) {
                const BuildNode& b = m_nodes[level[i]];
                Node n;
                n.attributes = static_cast<std::uint16_t>((b.leaf ? AttrLeaf : 0) | (isRoot ? AttrRoot : 0));
                n.left = i > 0 ? m_nodes[level[i - 1]].offset : kNoNode;
                n.right = i + 1 < level.size() ? m_nodes[level[i + 1]].offset : kNoNode;
                n.keys = b.keys;
                for (std::size_t c : b.children)
                    n.children.push_back(m_nodes[c].offset);
                out.emplace_back(b.offset, b.leaf ? encodeLeaf(n, m_keyLength) : encodeInterior(n, m_keyLength));
                below.insert(below.end(), b.children.begin(), b.children.end());
            }
            level = std::move(below);
            isRoot = false;
        }
        return out;
    }

private:
    struct BuildNode {
        bool leaf = true;
        std::uint32_t offset = 0;
        std::vector<KeyEntry> keys;
        std::vector<std::size_t> children;
    };

    std::size_t newNode(bool leaf)
    {
        m_nodes.push_back(BuildNode{leaf, m_next, {}, {}});
        m_next += static_cast<std::uint32_t>(kPageSize);
        return m_nodes.size() - 1;
    }

    // `fresh` becomes the rightmost node at depth `depth`, right of the current one there.
    void attach(std::size_t depth, std::size_t fresh)
    {
        if (depth == 0) {
            // The root keeps its page: its content moves to a new node, and it becomes the parent of both.
            const std::size_t root = m_path.front();
            const std::size_t copy = newNode(m_nodes[root].leaf);
            m_nodes[copy].keys = std::move(m_nodes[root].keys);
            m_nodes[copy].children = std::move(m_nodes[root].children);
            BuildNode& r = m_nodes[root];
            r.leaf = false;
            r.keys = {m_nodes[copy].keys.back(), m_nodes[fresh].keys.back()};
            r.children = {copy, fresh};
            m_path[0] = fresh;
            m_path.insert(m_path.begin(), root);
            return;
        }
        BuildNode& parent = m_nodes[m_path[depth - 1]];
        m_path[depth] = fresh;
        if (parent.children.size() < interiorCapacity(m_keyLength)) {
            parent.children.push_back(fresh);
            parent.keys.push_back(m_nodes[fresh].keys.back());
            return;
        }
        const std::size_t sibling = newNode(false);
        m_nodes[sibling].children = {fresh};
        m_nodes[sibling].keys = {m_nodes[fresh].keys.back()};
        attach(depth - 1, sibling);
    }

    std::size_t m_keyLength;
    std::uint32_t& m_next;
    std::vector<BuildNode> m_nodes;
    std::vector<std::size_t> m_path; // root to rightmost leaf
};

void place(std::vector<std::uint8_t>& file, std::uint32_t offset, const std::uint8_t* bytes, std::size_t size)
{
    if (file.size() < offset + size)
        file.resize(offset + size, 0);
    std::copy(bytes, bytes + size, file.begin() + offset);
}

std::string paddedTagName(const std::string& name)
{
    if (name.empty() || name.size() > kTagNameLength)
        throw std::runtime_error("index tag name must have 1 to 10 characters");
    std::string upper = name;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    upper.resize(kTagNameLength, ' ');
    return upper;
}

std::uint32_t writeTag(std::vector<std::uint8_t>& file, std::uint32_t& next, TagSpec& spec)
{
    for (const KeyEntry& k : spec.keys)
        if (k.key.size() != spec.keyLength)
            throw std::runtime_error("index key of the wrong length");
    std::sort(spec.keys.begin(), spec.keys.end(),
              [](const KeyEntry& a, const KeyEntry& b) { return a.key != b.key ? a.key < b.key : a.recno < b.recno; });
    const std::uint32_t headerOffset = next;
    next += static_cast<std::uint32_t>(kHeaderSize);
    AppendTree tree(spec.keyLength, next);
    for (const KeyEntry& k : spec.keys)
        tree.add(k);
    TagHeader h;
    h.root = tree.rootOffset();
    h.keyLength = spec.keyLength;
    h.options = spec.options;
    h.keyExpression = spec.keyExpression;
    h.forExpression = spec.forExpression;
    const auto headerBytes = encodeTagHeader(h);
    place(file, headerOffset, headerBytes.data(), headerBytes.size());
    for (const auto& [offset, page] : tree.pages())
        place(file, offset, page.data(), page.size());
    return headerOffset;
}

} // namespace

std::vector<std::uint8_t> buildCompoundIndex(std::vector<TagSpec> tags)
{
    std::map<std::string, TagSpec*> byName;
    for (TagSpec& t : tags)
        if (!byName.emplace(paddedTagName(t.name), &t).second)
            throw std::runtime_error("duplicate index tag " + t.name);
    std::vector<std::uint8_t> file;
    auto next = static_cast<std::uint32_t>(kHeaderSize + kPageSize); // directory header and its leaf
    Node directory;
    directory.attributes = AttrRoot | AttrLeaf;
    for (auto& [name, spec] : byName)
        directory.keys.push_back({name, writeTag(file, next, *spec)});
    TagHeader dirHeader;
    dirHeader.root = static_cast<std::uint32_t>(kHeaderSize);
    dirHeader.keyLength = static_cast<std::uint16_t>(kTagNameLength);
    dirHeader.options = OptDirectory | OptCompound | OptCompact;
    const auto headerBytes = encodeTagHeader(dirHeader);
    place(file, 0, headerBytes.data(), headerBytes.size());
    const Page leaf = encodeLeaf(directory, kTagNameLength); // throws when the tags do not fit one directory node
    place(file, static_cast<std::uint32_t>(kHeaderSize), leaf.data(), leaf.size());
    return file;
}

} // namespace db::vfp::cdx
