#include "db/vfp/table/DbfHeader.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <stdexcept>

namespace db::vfp {

namespace {

[[noreturn]] void badField(const FieldDef& f, const std::string& why)
{
    throw std::runtime_error("The column " + f.name + " cannot be created: " + why);
}

// Normalizes a column for the descriptor: fixed lengths, Visual FoxPro's decimals, checks of the rest.
FieldDef normalize(FieldDef f)
{
    if (f.name.empty() || f.name.size() > 10)
        badField(f, "a field name has 1 to 10 characters");
    for (char& c : f.name) {
        if (static_cast<unsigned char>(c) >= 0x80 || !(std::isalnum(static_cast<unsigned char>(c)) || c == '_'))
            badField(f, "a field name has only letters, digits and underscores");
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    f.autoIncrement = false;
    switch (f.type) {
    case 'C':
    case 'V':
    case 'Q':
        if (f.length < 1 || f.length > 254)
            badField(f, "the width must be 1 to 254");
        f.decimals = 0;
        break;
    case 'N':
    case 'F':
        if (f.length < 1 || f.length > 20)
            badField(f, "the width must be 1 to 20");
        if (f.decimals < 0 || (f.decimals > 0 && f.decimals >= f.length))
            badField(f, "the decimals must leave room for the decimal point");
        break;
    case 'B':
        f.length = fixedWidth('B');
        f.decimals = std::clamp(f.decimals, 0, 18);
        break;
    case 'Y':
        f.length = fixedWidth('Y');
        f.decimals = 4;
        break;
    case 'I':
    case 'D':
    case 'T':
    case 'L':
    case 'M':
    case 'G':
    case 'W':
        f.length = fixedWidth(f.type);
        f.decimals = 0;
        break;
    default:
        badField(f, "the type " + std::string(1, f.type) + " is not a Visual FoxPro field type");
    }
    if (f.type == 'Q' || f.type == 'W' || f.type == 'G')
        f.binary = true;
    if (f.type != 'C' && f.type != 'V' && f.type != 'M' && f.type != 'Q' && f.type != 'W' && f.type != 'G')
        f.binary = false;
    return f;
}

// The flags Visual FoxPro writes: 0x04 on I, Y, T, B, W, Q and on binary C, V, M; 0x02 when nullable.
std::uint8_t descriptorFlags(const FieldDef& f)
{
    std::uint8_t flags = 0;
    static const std::string alwaysBinary = "IYTBWQ";
    if (alwaysBinary.find(f.type) != std::string::npos ||
        ((f.type == 'C' || f.type == 'V' || f.type == 'M') && f.binary))
        flags |= 0x04;
    if (f.nullable)
        flags |= 0x02;
    return flags;
}

} // namespace

TableLayout layoutForNewTable(const std::vector<FieldDef>& columns, std::uint8_t codePageMark,
                              const std::string& backlink)
{
    if (columns.empty())
        throw std::runtime_error("A table needs at least one column");
    TableLayout t;
    std::set<std::string> names;
    std::uint32_t offset = 1;
    bool varTypes = false;
    for (const auto& c : columns) {
        FieldLayout f;
        f.def = normalize(c);
        if (!names.insert(f.def.name).second)
            badField(f.def, "another column has the same name");
        f.flags = descriptorFlags(f.def);
        f.offset = offset;
        offset += static_cast<std::uint32_t>(f.def.length);
        varTypes = varTypes || f.def.type == 'V' || f.def.type == 'Q' || f.def.type == 'W';
        t.info.fields.push_back(f.def);
        t.fields.push_back(f);
    }
    auto bits = allocateNullBits(t.info.fields);
    for (std::size_t i = 0; i < bits.size(); ++i)
        t.fields[i].bits = bits[i];
    t.nullFlagsLength = static_cast<std::uint32_t>(nullFlagsBytes(nullBitCount(bits)));
    t.nullFlagsOffset = t.nullFlagsLength ? offset : 0;
    offset += t.nullFlagsLength;
    if (offset > 65500)
        throw std::runtime_error("The columns need " + std::to_string(offset) +
                                 " bytes a record, more than a table can hold");
    std::size_t descriptors = t.fields.size() + (t.nullFlagsLength ? 1 : 0);
    if (descriptors > 255)
        throw std::runtime_error("A table has at most 255 columns");
    if (backlink.size() > kBacklinkSize)
        throw std::runtime_error("The container path " + backlink + " is too long for a table header");
    t.info.version = varTypes ? 0x32 : 0x30;
    t.info.codePageMark = codePageMark;
    t.info.tableFlags = t.hasMemoFields() ? 0x02 : 0x00;
    t.info.recordCount = 0;
    t.info.headerLength = static_cast<std::uint16_t>(32 + 32 * descriptors + 1 + kBacklinkSize);
    t.info.recordLength = static_cast<std::uint16_t>(offset);
    t.info.backlink = backlink;
    t.date = todayDateBytes();
    return t;
}

std::vector<std::uint8_t> serializeHeader(const TableLayout& t)
{
    std::vector<std::uint8_t> h(t.info.headerLength, 0);
    h[0] = t.info.version;
    std::copy(t.date.begin(), t.date.end(), h.begin() + 1);
    writeLe32(&h[4], t.info.recordCount);
    writeLe16(&h[8], t.info.headerLength);
    writeLe16(&h[10], t.info.recordLength);
    h[28] = t.info.tableFlags;
    h[29] = t.info.codePageMark;
    std::size_t pos = 32;
    auto descriptor = [&](const std::string& name, char type, std::uint32_t offset, int length, int decimals,
                          std::uint8_t flags) {
        std::copy_n(name.begin(), std::min<std::size_t>(name.size(), 10), h.begin() + static_cast<long>(pos));
        h[pos + 11] = static_cast<std::uint8_t>(type);
        writeLe32(&h[pos + 12], offset);
        h[pos + 16] = static_cast<std::uint8_t>(length);
        h[pos + 17] = static_cast<std::uint8_t>(decimals);
        h[pos + 18] = flags;
        pos += 32;
    };
    for (const auto& f : t.fields)
        descriptor(f.def.name, f.def.type, f.offset, f.def.length, f.def.decimals, f.flags);
    if (t.nullFlagsLength)
        descriptor("_NullFlags", kNullFlagsType, t.nullFlagsOffset, static_cast<int>(t.nullFlagsLength), 0, 0x05);
    h[pos] = 0x0D;
    std::copy(t.info.backlink.begin(), t.info.backlink.end(), h.begin() + static_cast<long>(pos) + 1);
    return h;
}

} // namespace db::vfp
