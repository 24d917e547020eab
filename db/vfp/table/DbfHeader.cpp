#include "db/vfp/table/DbfHeader.h"

#include "db/Replaceable.h"
#include "db/vfp/table/CodePage.h"
#include "db/vfp/table/FileIo.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <stdexcept>

namespace db::vfp {

namespace {

std::string hexByte(std::uint8_t b)
{
    static const char* hex = "0123456789ABCDEF";
    return std::string("0x") + hex[b >> 4] + hex[b & 0xF];
}

[[noreturn]] void fail(const std::string& table, const std::string& what)
{
    throw std::runtime_error("The table " + table + " cannot be read: " + what);
}

std::string decodeName(const std::uint8_t* p, std::size_t max, std::uint8_t mark)
{
    std::size_t n = 0;
    while (n < max && p[n] != 0)
        ++n;
    while (n > 0 && p[n - 1] == ' ')
        --n;
    try {
        TextCodec codec(mark);
        return codec.decode(p, n);
    } catch (const std::exception&) {
        return std::string(reinterpret_cast<const char*>(p), n);
    }
}

// The on-disk length of a type with a fixed size; 0 for types whose length the table chooses.
int fixedLength(char type, bool vfp)
{
    switch (type) {
    case 'I':
        return 4;
    case 'B':
        return vfp ? 8 : 0;
    case 'Y':
    case 'D':
    case 'T':
        return 8;
    case 'L':
        return 1;
    default:
        return 0;
    }
}

void checkLength(const FieldLayout& f, bool vfp, const std::string& table)
{
    const FieldDef& d = f.def;
    int fixed = fixedLength(d.type, vfp);
    bool ok = true;
    if (fixed)
        ok = d.length == fixed;
    else if (f.isMemo())
        ok = d.length == 4 || d.length == 10;
    else if (d.type == 'N' || d.type == 'F')
        ok = d.length >= 1 && d.length <= 32 && d.decimals < d.length;
    else if (d.type == 'V' || d.type == 'Q')
        ok = d.length >= 1 && d.length <= 254;
    else
        ok = d.length >= 1;
    if (!ok)
        fail(table, "the field " + d.name + " of type " + std::string(1, d.type) + " has the impossible length " +
                        std::to_string(d.length));
}

FieldLayout parseDescriptor(const std::uint8_t* p, const TableInfo& info, bool vfp, const std::string& table)
{
    FieldLayout f;
    f.def.name = decodeName(p, 11, info.codePageMark);
    f.def.type = static_cast<char>(std::toupper(p[11]));
    f.offset = readLe32(p + 12);
    f.def.length = p[16];
    f.def.decimals = p[17];
    f.flags = p[18];
    f.autoIncNext = readLe32(p + 19);
    f.autoIncStep = p[23];
    if (f.def.name.empty())
        fail(table, "a field descriptor has no name");
    static const std::string known = "CVNFIBYDTLMGWQ0";
    if (known.find(f.def.type) == std::string::npos || f.def.type == 0)
        fail(table, "the field " + f.def.name + " has the type " + hexByte(p[11]) + ", which this program cannot read");
    if (!vfp && f.def.type == 'C') { // Clipper convention for long character fields
        f.def.length += 256 * f.def.decimals;
        f.def.decimals = 0;
    }
    if (!vfp && f.def.type == 'B') { // a binary memo before Visual FoxPro made B a double
        f.def.type = 'M';
        f.def.binary = true;
    }
    if (f.def.type == 'C' || f.def.type == 'V' || f.def.type == 'M')
        f.def.binary = f.def.binary || (f.flags & 0x04) != 0;
    if (f.def.type == 'Q' || f.def.type == 'W' || f.def.type == 'G')
        f.def.binary = true;
    f.def.nullable = vfp && (f.flags & 0x02) != 0;
    f.def.autoIncrement = vfp && (f.flags & 0x08) != 0 && f.def.type == 'I'; // only integers count up
    f.asciiMemoPointer = f.isMemo() && f.def.length == 10;
    if (f.def.type != 'N' && f.def.type != 'F' && f.def.type != 'B')
        f.def.decimals = f.def.type == 'Y' ? 4 : 0;
    return f;
}

// Places the fields in the record: Visual FoxPro stores each field's displacement, older writers do not.
void placeFields(std::vector<FieldLayout>& all, bool vfp, std::uint32_t recordLength, const std::string& table)
{
    std::uint64_t next = 1; // 64 bits: a damaged displacement must not wrap around into the record
    for (auto& f : all) {
        if (!vfp || f.offset == 0)
            f.offset = static_cast<std::uint32_t>(std::min<std::uint64_t>(next, 0xFFFFFFFFu));
        next = std::uint64_t{f.offset} + static_cast<std::uint64_t>(f.def.length);
        if (f.offset < 1 || next > recordLength)
            fail(table, "the field " + f.def.name + " lies outside the record length " + std::to_string(recordLength));
    }
}

void assignNullBits(TableLayout& t, std::vector<FieldLayout>& all)
{
    for (const auto& f : all) {
        if (f.def.type == kNullFlagsType && t.nullFlagsLength == 0) {
            t.nullFlagsOffset = f.offset;
            t.nullFlagsLength = static_cast<std::uint32_t>(f.def.length);
        } else if (f.def.type != kNullFlagsType) {
            t.fields.push_back(f);
            t.info.fields.push_back(f.def);
        }
    }
    if (t.nullFlagsLength == 0)
        return; // without the flags field no value can be null or short
    auto bits = allocateNullBits(t.info.fields);
    for (std::size_t i = 0; i < bits.size(); ++i)
        t.fields[i].bits = bits[i];
}

} // namespace

bool TableLayout::hasMemoFields() const
{
    return std::any_of(fields.begin(), fields.end(), [](const FieldLayout& f) { return f.isMemo(); });
}

bool isVfpVersion(std::uint8_t version)
{
    return version == 0x30 || version == 0x31 || version == 0x32;
}

std::uint16_t readLe16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t readLe32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void writeLe16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void writeLe32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

TableLayout parseHeader(const std::uint8_t* data, std::size_t size, const std::string& table)
{
    if (size < 32)
        fail(table, "the file is too short to be a table");
    TableLayout t;
    t.info.version = data[0];
    static const std::uint8_t versions[] = {0x30, 0x31, 0x32, 0xF5, 0x03, 0x83, 0x8B};
    if (std::find(std::begin(versions), std::end(versions), t.info.version) == std::end(versions))
        fail(table, "it is not a FoxPro or dBASE table (version byte " + hexByte(t.info.version) + ")");
    bool vfp = isVfpVersion(t.info.version);
    std::copy(data + 1, data + 4, t.date.begin());
    t.info.recordCount = readLe32(data + 4);
    t.info.headerLength = readLe16(data + 8);
    t.info.recordLength = readLe16(data + 10);
    t.info.tableFlags = data[28];
    t.info.codePageMark = data[29];
    if (t.info.headerLength < 32 + 32 + 1 || t.info.recordLength < 2)
        fail(table, "its header is damaged (header length " + std::to_string(t.info.headerLength) + ", record length " +
                        std::to_string(t.info.recordLength) + ")");
    std::size_t end = std::min<std::size_t>(size, t.info.headerLength);
    std::size_t pos = 32;
    std::vector<FieldLayout> all;
    while (pos + 32 <= end && data[pos] != 0x0D && data[pos] != 0) {
        all.push_back(parseDescriptor(data + pos, t.info, vfp, table));
        pos += 32;
    }
    if (all.empty())
        fail(table, "it has no fields");
    for (auto& f : all)
        checkLength(f, vfp, table);
    placeFields(all, vfp, t.info.recordLength, table);
    assignNullBits(t, all);
    if (t.fields.empty())
        fail(table, "it has no fields");
    if (vfp && pos < end && data[pos] == 0x0D && pos + 1 + kBacklinkSize <= end)
        t.info.backlink = decodeName(data + pos + 1, kBacklinkSize, t.info.codePageMark);
    return t;
}

TableLayout readHeader(FileIo& file)
{
    std::string table = file.path().filename().string();
    std::uint8_t head[32];
    std::size_t got = file.readAt(0, head, sizeof head);
    if (got < sizeof head)
        fail(table, "the file is too short to be a table");
    std::vector<std::uint8_t> bytes(std::max<std::size_t>(32, readLe16(head + 8)));
    got = file.readAt(0, bytes.data(), bytes.size());
    return parseHeader(bytes.data(), got, table);
}

namespace {

std::chrono::system_clock::time_point systemNow()
{
    return std::chrono::system_clock::now();
}

db::Replaceable<HeaderClock>& headerClock()
{
    static db::Replaceable<HeaderClock> clock{HeaderClock(systemNow)};
    return clock;
}

} // namespace

HeaderClock setHeaderClock(HeaderClock clock)
{
    return headerClock().replace(std::move(clock));
}

std::array<std::uint8_t, 3> todayDateBytes()
{
    const HeaderClock clock = headerClock().get();
    const std::time_t now = std::chrono::system_clock::to_time_t(clock());
    std::tm tm{};
    localtime_r(&now, &tm);
    return {static_cast<std::uint8_t>((tm.tm_year + 1900) % 100), static_cast<std::uint8_t>(tm.tm_mon + 1),
            static_cast<std::uint8_t>(tm.tm_mday)};
}

} // namespace db::vfp
