#include "db/vfp/dbc/DbcFile.h"

#include "db/vfp/table/DbfHeader.h"
#include "db/vfp/table/MemoFile.h"
#include "db/vfp/table/TableFiles.h"

#include <algorithm>
#include <stdexcept>

namespace db::vfp {

namespace {

constexpr std::size_t kDescriptorSize = 32;
constexpr std::size_t kMemoHeaderSize = 512;
constexpr std::uint32_t kMemoSignatureText = 1;

std::uint32_t le32(const std::string& s, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<std::size_t>(i)]);
    return v;
}

std::uint32_t be32(const std::string& s, std::size_t at)
{
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v = (v << 8) | static_cast<unsigned char>(s[at + i]);
    return v;
}

void putLe32(std::string& s, std::size_t at, std::uint32_t v)
{
    for (std::size_t i = 0; i < 4; ++i)
        s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void putBe32(std::string& s, std::size_t at, std::uint32_t v)
{
    for (std::size_t i = 0; i < 4; ++i)
        s[at + i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
}

std::string trimRight(std::string s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.pop_back();
    return s;
}

std::string readBytes(FileIo& file, std::uint64_t offset, std::size_t size, const std::string& what)
{
    std::string out(size, '\0');
    file.readExact(offset, out.data(), size, what);
    return out;
}

void writeBytes(FileIo& file, std::uint64_t offset, const std::string& bytes)
{
    file.writeAt(offset, bytes.data(), bytes.size());
}

// Today's date as Visual FoxPro stores it in a header: year % 100, month, day.
std::string headerDate()
{
    const auto bytes = todayDateBytes();
    return {static_cast<char>(bytes[0]), static_cast<char>(bytes[1]), static_cast<char>(bytes[2])};
}

std::string containerInUseMessage(const std::filesystem::path& dbc)
{
    return "The database container " + dbc.filename().string() +
           " is in use by another program, which kept it locked for several seconds; nothing was changed. Try "
           "again when it is free.";
}

} // namespace

std::filesystem::path companionFile(const std::filesystem::path& file, const std::string& ext)
{
    const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
    const std::string stem = file.stem().string();
    if (auto found = findFileIgnoreCase(folder, stem + ext))
        return *found;
    const std::string own = file.extension().string();
    const bool upper = own.size() > 1 && own[1] >= 'A' && own[1] <= 'Z';
    std::string wanted = ext;
    if (upper)
        for (char& c : wanted)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
    return file.parent_path() / (stem + wanted);
}

DbcFile::DbcFile(const std::filesystem::path& dbc, const FileOpener& opener, bool writable)
{
    const OpenMode mode = writable ? OpenMode::ReadWrite : OpenMode::Read;
    m_dbc = opener(dbc, mode);
    if (writable) {
        // The lock covers every record the container could hold, so it is taken before the records are read.
        const std::string h = readBytes(*m_dbc, 0, 12, "the header of the database container");
        m_locks.take(*m_dbc,
                     wholeTableLockRanges(static_cast<std::uint16_t>(le32(h, 8) & 0xFFFF),
                                          static_cast<std::uint16_t>(le32(h, 10) & 0xFFFF)),
                     containerInUseMessage(dbc));
    }
    readHeader();
    const std::filesystem::path dct = companionFile(dbc, ".dct");
    if (!std::filesystem::exists(dct))
        throw std::runtime_error("The memo file of the database container " + dbc.string() + " is missing.");
    m_dct = opener(dct, mode);
    const std::string memoHeader = readBytes(*m_dct, 0, 8, "the memo header");
    m_blockSize = (static_cast<unsigned char>(memoHeader[6]) << 8) | static_cast<unsigned char>(memoHeader[7]);
    if (m_blockSize == 0)
        m_blockSize = 1;
    readRecords();
}

void DbcFile::readHeader()
{
    const std::string what = "the header of the database container";
    const std::string h = readBytes(*m_dbc, 0, 32, what);
    m_count = le32(h, 4);
    m_headerLength = static_cast<std::uint16_t>(le32(h, 8) & 0xFFFF);
    m_recordLength = static_cast<std::uint16_t>(le32(h, 10) & 0xFFFF);
    m_codePageMark = static_cast<std::uint8_t>(h[29]);
    if (static_cast<unsigned char>(h[0]) != 0x30 || m_headerLength < 32 + kDescriptorSize || m_recordLength < 2)
        throw std::runtime_error(m_dbc->path().string() + " is not a database container.");
    const std::string d = readBytes(*m_dbc, 32, m_headerLength - 32u, what);
    std::size_t next = 1;
    for (std::size_t at = 0; at + kDescriptorSize <= d.size() && d[at] != '\x0D'; at += kDescriptorSize) {
        Field f;
        f.length = static_cast<unsigned char>(d[at + 16]);
        const std::uint32_t displacement = le32(d, at + 12);
        f.offset = displacement != 0 ? displacement : next;
        next = f.offset + f.length;
        if (next > m_recordLength)
            throw std::runtime_error(m_dbc->path().string() + " is not a database container.");
        m_fields.emplace_back(trimRight(d.substr(at, 11)), f);
    }
    for (const char* name : {"OBJECTID", "PARENTID", "PROPERTY"})
        if (field(name).length != 4)
            throw std::runtime_error(m_dbc->path().string() + " is not a database container.");
    field("OBJECTTYPE");
    field("OBJECTNAME");
}

DbcFile::Field DbcFile::field(const std::string& name) const
{
    for (const auto& [n, f] : m_fields)
        if (n == name)
            return f;
    throw std::runtime_error(m_dbc->path().string() + " is not a database container (no " + name + " field).");
}

void DbcFile::readRecords()
{
    const std::uint64_t end = m_headerLength + std::uint64_t{m_count} * m_recordLength;
    if (m_dbc->size() < end)
        throw std::runtime_error("The database container " + m_dbc->path().string() + " is truncated.");
    const std::string all = readBytes(*m_dbc, m_headerLength, std::size_t{m_count} * m_recordLength, "its records");
    const Field id = field("OBJECTID");
    const Field parent = field("PARENTID");
    const Field type = field("OBJECTTYPE");
    const Field name = field("OBJECTNAME");
    const Field prop = field("PROPERTY");
    m_records.reserve(m_count);
    for (std::uint32_t i = 0; i < m_count; ++i) {
        const std::size_t base = std::size_t{i} * m_recordLength;
        DbcRecord r;
        r.recno = i + 1;
        r.deleted = all[base] == '*';
        r.objectId = static_cast<std::int32_t>(le32(all, base + id.offset));
        r.parentId = static_cast<std::int32_t>(le32(all, base + parent.offset));
        r.objectType = trimRight(all.substr(base + type.offset, type.length));
        r.objectName = trimRight(all.substr(base + name.offset, name.length));
        r.propertyBlock = le32(all, base + prop.offset);
        m_records.push_back(std::move(r));
    }
}

std::string DbcFile::readMemo(std::uint32_t block)
{
    if (block == 0)
        return {};
    const std::uint64_t at = std::uint64_t{block} * m_blockSize;
    const std::string head = readBytes(*m_dct, at, 8, "memo block " + std::to_string(block));
    const std::uint32_t length = be32(head, 4);
    if (at + 8 + length > m_dct->size())
        throw std::runtime_error("The memo file " + m_dct->path().string() + " is damaged at block " +
                                 std::to_string(block) + ".");
    return readBytes(*m_dct, at + 8, length, "memo block " + std::to_string(block));
}

std::vector<DbcProperty> DbcFile::properties(const DbcRecord& record)
{
    return decodeDbcProperties(readMemo(record.propertyBlock));
}

DbcSnapshot DbcFile::snapshot()
{
    constexpr std::uint64_t kMaxTail = std::uint64_t{64} * 1024;
    DbcSnapshot s;
    s.dbcSize = m_dbc->size();
    s.dbcHeader = readBytes(*m_dbc, 0, 32, "its header");
    s.dbcTailAt = m_headerLength + std::uint64_t{m_count} * m_recordLength;
    s.dbcTail = readBytes(*m_dbc, s.dbcTailAt, static_cast<std::size_t>(std::min(s.dbcSize - s.dbcTailAt, kMaxTail)),
                          "its end");
    s.dctSize = m_dct->size();
    s.dctHeader = readBytes(*m_dct, 0, 8, "the memo header");
    s.dctTailAt =
        std::uint64_t{std::max(be32(s.dctHeader, 0), static_cast<std::uint32_t>(kMemoHeaderSize / m_blockSize))} *
        m_blockSize;
    if (s.dctTailAt < s.dctSize)
        s.dctTail = readBytes(*m_dct, s.dctTailAt,
                              static_cast<std::size_t>(std::min(s.dctSize - s.dctTailAt, kMaxTail)), "the memo file");
    return s;
}

// The counts go back first, so the container stays readable if the restore itself is cut short.
void DbcFile::restore(const DbcSnapshot& s)
{
    writeBytes(*m_dbc, 0, s.dbcHeader);
    writeBytes(*m_dbc, s.dbcTailAt, s.dbcTail);
    m_dbc->truncate(s.dbcSize);
    writeBytes(*m_dct, 0, s.dctHeader);
    writeBytes(*m_dct, s.dctTailAt, s.dctTail);
    m_dct->truncate(s.dctSize);
    m_dbc->sync();
    m_dct->sync();
}

// Blocks go after the file's real end whatever its header says, so a damaged header never makes a new memo
// overwrite another table's properties.
std::uint32_t DbcFile::appendMemo(const std::string& data)
{
    FileLocks memoLock;
    memoLock.take(*m_dct, memoLockRanges(m_dct->size()), containerInUseMessage(m_dbc->path()));
    const std::string header = readBytes(*m_dct, 0, 8, "the memo header");
    const std::uint32_t block = nextFreeBlock(be32(header, 0), m_blockSize, m_dct->size(), m_dct->path());
    const std::size_t used = 8 + data.size();
    const std::size_t blocks = (used + m_blockSize - 1) / m_blockSize;
    checkFileSizeLimit(std::uint64_t{block} * m_blockSize + blocks * m_blockSize, m_dct->path());
    std::string run(blocks * m_blockSize, '\0');
    putBe32(run, 0, kMemoSignatureText);
    putBe32(run, 4, static_cast<std::uint32_t>(data.size()));
    run.replace(8, data.size(), data);
    writeBytes(*m_dct, std::uint64_t{block} * m_blockSize, run);
    m_dct->sync();
    std::string next(4, '\0');
    putBe32(next, 0, block + static_cast<std::uint32_t>(blocks));
    writeBytes(*m_dct, 0, next);
    m_dct->sync();
    return block;
}

std::string DbcFile::encodeRecord(const NewDbcRecord& r) const
{
    std::string rec(m_recordLength, ' ');
    for (const char* zeroed : {"OBJECTID", "PARENTID", "PROPERTY", "CODE", "USER"})
        for (const auto& [n, f] : m_fields)
            if (n == zeroed)
                rec.replace(f.offset, f.length, f.length, '\0');
    auto text = [&](const char* name, const std::string& value) {
        const Field f = field(name);
        if (value.size() > f.length)
            throw std::runtime_error("The name " + value + " is longer than " + std::to_string(f.length) +
                                     " characters.");
        rec.replace(f.offset, value.size(), value);
    };
    putLe32(rec, field("OBJECTID").offset, static_cast<std::uint32_t>(r.objectId));
    putLe32(rec, field("PARENTID").offset, static_cast<std::uint32_t>(r.parentId));
    putLe32(rec, field("PROPERTY").offset, r.propertyBlock);
    text("OBJECTTYPE", r.objectType);
    text("OBJECTNAME", r.objectName);
    return rec;
}

void DbcFile::appendRecords(const std::vector<NewDbcRecord>& records)
{
    std::string bytes;
    for (const NewDbcRecord& r : records)
        bytes += encodeRecord(r);
    bytes.push_back('\x1A');
    writeBytes(*m_dbc, m_headerLength + std::uint64_t{m_count} * m_recordLength, bytes);
    m_dbc->sync();
    std::string header = headerDate() + std::string(4, '\0');
    const std::uint32_t count = m_count + static_cast<std::uint32_t>(records.size());
    putLe32(header, 3, count);
    writeBytes(*m_dbc, 1, header);
    m_dbc->sync();
    for (const NewDbcRecord& r : records) {
        ++m_count;
        m_records.push_back({m_count, false, r.objectId, r.parentId, r.objectType, r.objectName, r.propertyBlock});
    }
}

void DbcFile::setDeleted(const std::vector<std::uint32_t>& recnos, bool deleted)
{
    if (recnos.empty())
        return;
    const auto [low, high] = std::minmax_element(recnos.begin(), recnos.end());
    if (*low == 0 || *high > m_count)
        throw std::runtime_error("no record " + std::to_string(*low == 0 ? *low : *high) +
                                 " in the database container");
    const std::uint64_t at = m_headerLength + std::uint64_t{*low - 1} * m_recordLength;
    std::string span = readBytes(*m_dbc, at, std::size_t{*high - *low + 1} * m_recordLength, "its records");
    for (std::uint32_t recno : recnos)
        span[std::size_t{recno - *low} * m_recordLength] = deleted ? '*' : ' ';
    writeBytes(*m_dbc, at, span);
    m_dbc->sync();
    for (std::uint32_t recno : recnos)
        m_records[recno - 1].deleted = deleted;
}

} // namespace db::vfp
