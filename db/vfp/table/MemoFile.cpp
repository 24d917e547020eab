#include "db/vfp/table/MemoFile.h"

#include "db/vfp/table/DbfHeader.h"
#include "db/vfp/table/FileIo.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace db::vfp {

namespace {

// The pieces a large memo is written and measured in: memory stays bounded whatever its size.
constexpr std::uint64_t kPiece = std::uint64_t{1} << 20;

// How errors name a memo; made only when one is reported.
std::string where(std::uint32_t block, const std::string& field)
{
    return "the memo of " + field + " (block " + std::to_string(block) + ")";
}

} // namespace

std::uint32_t readBe32(const std::uint8_t* p)
{
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

void writeBe32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * (3 - i)));
}

MemoFile::MemoFile(std::unique_ptr<FileIo> file, Kind kind) : m_file(std::move(file)), m_kind(kind)
{
    std::uint8_t h[32] = {};
    m_size = m_file->size();
    if (m_file->readAt(0, h, sizeof h) < 8)
        throw std::runtime_error("The memo file " + m_file->path().string() + " is too short");
    if (m_kind == Kind::Fpt) {
        m_blockSize = static_cast<std::uint32_t>((h[6] << 8) | h[7]);
        if (m_blockSize == 0)
            m_blockSize = 1;
        // Never hand out a block inside the header or one the file already holds, whatever the header says.
        m_nextFree = readBe32(h);
        std::uint64_t firstFree = std::max<std::uint64_t>(kHeaderSize, m_size);
        std::uint64_t minimum = (firstFree + m_blockSize - 1) / m_blockSize;
        if (m_nextFree < minimum && minimum <= 0xFFFFFFFFu)
            m_nextFree = static_cast<std::uint32_t>(minimum);
    } else {
        m_nextFree = readLe32(h);
        std::uint16_t bs = readLe16(h + 20);
        m_blockSize = bs >= 64 ? bs : 512; // dBASE III leaves it 0 and always uses 512
    }
}

MemoFile::~MemoFile() = default;

std::uint32_t nextFreeBlock(std::uint32_t headerNextFree, std::uint32_t blockSize, std::uint64_t fileSize,
                            const std::filesystem::path& file)
{
    // A file we or Visual FoxPro wrote ends within a block of its next free block; 16 MiB leaves room for a memo
    // whose blocks a crash lost after its header reached the disk.
    constexpr std::uint64_t kMostGapPastTheEnd = 16u << 20;
    const std::uint64_t end = std::max<std::uint64_t>(MemoFile::kHeaderSize, fileSize);
    const std::uint64_t claimed = std::uint64_t{headerNextFree} * blockSize;
    if (claimed > end + kMostGapPastTheEnd)
        throw std::runtime_error("The memo file " + file.string() +
                                 " is damaged: its header puts the next free block " + std::to_string(headerNextFree) +
                                 " far past the end of the file (" + std::to_string(fileSize) +
                                 " bytes), so nothing more can be added to it");
    const std::uint64_t minimum = (end + blockSize - 1) / blockSize;
    if (minimum > 0xFFFFFFFFu)
        throw std::runtime_error("The memo file " + file.string() + " cannot grow beyond 4 GiB");
    return std::max(headerNextFree, static_cast<std::uint32_t>(minimum));
}

void checkFileSizeLimit(std::uint64_t newSize, const std::filesystem::path& file)
{
    if (newSize > kMaxFileSize)
        throw std::runtime_error("The file " + file.string() + " would grow past 2 GiB (" +
                                 std::to_string(kMaxFileSize) +
                                 " bytes), the largest file Visual FoxPro opens; nothing was written");
}

void MemoFile::prepareAppend(std::uint64_t bytes)
{
    if (m_kind != Kind::Fpt)
        throw std::runtime_error("Cannot write the dBASE memo file " + m_file->path().string());
    std::uint8_t h[4];
    m_file->readExact(0, h, sizeof h, "the memo header");
    m_size = m_file->size();
    m_nextFree = nextFreeBlock(readBe32(h), m_blockSize, m_size, m_file->path());
    checkFileSizeLimit(std::uint64_t{m_nextFree} * m_blockSize + bytes, m_file->path());
}

std::uint64_t MemoFile::runBytes(std::size_t size) const
{
    return (8 + static_cast<std::uint64_t>(size) + m_blockSize - 1) / m_blockSize * m_blockSize;
}

void MemoFile::initialize(FileIo& file, std::uint32_t blockSize)
{
    std::vector<std::uint8_t> h(kHeaderSize, 0);
    writeBe32(h.data(), (kHeaderSize + blockSize - 1) / blockSize);
    h[6] = static_cast<std::uint8_t>(blockSize >> 8);
    h[7] = static_cast<std::uint8_t>(blockSize);
    file.writeAt(0, h.data(), h.size());
}

MemoFile::Stored MemoFile::locate(std::uint32_t block, const std::string& field)
{
    const std::uint64_t offset = static_cast<std::uint64_t>(block) * m_blockSize;
    const std::filesystem::path& name = m_file->path();
    if (offset < kHeaderSize)
        throw std::runtime_error("The memo file " + name.string() + " is damaged: " + where(block, field) +
                                 " points into its header");
    if (offset >= m_size)
        m_size = m_file->size(); // another writer may have added memos since the file was opened
    if (offset >= m_size)
        throw std::runtime_error("The memo file " + name.string() + " is damaged: " + where(block, field) +
                                 " lies past its end");
    if (m_kind == Kind::Dbt)
        return {offset, 0};
    std::uint8_t h[8];
    const std::uint8_t* head = windowed(offset, sizeof h);
    if (!head) {
        m_file->readExact(offset, h, sizeof h, where(block, field));
        head = h;
    }
    const std::uint32_t length = readBe32(head + 4);
    auto fits = [&] { return offset + 8 <= m_size && length <= m_size - offset - 8; };
    if (!fits())
        m_size = m_file->size();
    if (!fits())
        throw std::runtime_error("The memo file " + name.string() + " is damaged: " + where(block, field) +
                                 " runs past its end");
    return {offset + 8, length};
}

const std::uint8_t* MemoFile::windowed(std::uint64_t offset, std::size_t size)
{
    constexpr std::uint64_t kAlign = 4096;
    auto inside = [&] {
        return offset >= m_windowStart && offset - m_windowStart <= m_windowValid &&
               size <= m_windowValid - (offset - m_windowStart);
    };
    if (!inside()) {
        const std::uint64_t start = offset / kAlign * kAlign;
        // Not past what the window vouched for when last filled (the next free block then): a refill would read
        // the header and this stretch again for each memo there.
        if (size > kWindowSize - (offset - start) || (m_vouched != 0 && offset + size > m_vouched))
            return nullptr;
        fillWindow(start);
        if (!inside())
            return nullptr;
    }
    return m_window.data() + (offset - m_windowStart);
}

void MemoFile::fillWindow(std::uint64_t start)
{
    m_windowValid = 0;
    m_window.resize(kWindowSize);
    // The header first: the blocks below its next free block were whole before it was written.
    std::uint8_t h[4];
    m_file->readExact(0, h, sizeof h, "the memo header");
    m_vouched = std::max<std::uint64_t>(std::uint64_t{readBe32(h)} * m_blockSize, kHeaderSize);
    const std::size_t got = m_file->readAt(start, m_window.data(), m_window.size());
    m_windowStart = start;
    m_windowValid = start < m_vouched ? static_cast<std::size_t>(std::min<std::uint64_t>(got, m_vouched - start)) : 0;
}

template <class Buffer>
void MemoFile::readInto(std::uint32_t block, const std::string& field, Buffer& data, const RoomFn& room)
{
    const Stored run = locate(block, field);
    if (m_kind == Kind::Dbt) {
        db::Bytes bytes = readDbt(run.offset, field);
        data.assign(bytes.begin(), bytes.end());
        return;
    }
    const std::uint64_t offset = run.offset - 8;
    const std::uint32_t length = run.length;
    if (const std::uint8_t* p = windowed(run.offset, length)) {
        data.assign(p, p + length);
        return;
    }
    if (length > kWindowSize) { // a large memo is never held beside the window
        std::vector<std::uint8_t>().swap(m_window);
        dropWindow();
    }
    const std::string at = where(block, field);
    if (room && length > kPiece) { // small memos are not worth a second pass over the file
        std::vector<std::uint8_t> piece(kPiece);
        std::size_t need = 0;
        for (std::uint32_t done = 0; done < length;) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, length - done));
            m_file->readExact(offset + 8 + done, piece.data(), n, at);
            need += room(piece.data(), n);
            done += static_cast<std::uint32_t>(n);
        }
        data.reserve(std::max<std::size_t>(need, length));
    }
    data.resize(length);
    m_file->readExact(offset + 8, reinterpret_cast<std::uint8_t*>(data.data()), length, at);
}

std::optional<std::span<const std::uint8_t>> MemoFile::view(std::uint32_t block, const std::string& field)
{
    if (m_kind != Kind::Fpt)
        return std::nullopt;
    const Stored run = locate(block, field);
    if (const std::uint8_t* p = windowed(run.offset, run.length))
        return std::span<const std::uint8_t>(p, run.length);
    return std::nullopt;
}

db::Bytes MemoFile::read(std::uint32_t block, const std::string& field)
{
    db::Bytes data;
    readInto(block, field, data, {});
    return data;
}

std::string MemoFile::readText(std::uint32_t block, const std::string& field, const RoomFn& room)
{
    std::string data;
    readInto(block, field, data, room);
    return data;
}

// dBASE IV blocks carry FF FF 08 00 and a length, dBASE III memos run to a 0x1A byte. Writers disagree on whether
// the length counts the 8 header bytes, so the text ends at the first terminator (0x1F or 0x1A) within it.
db::Bytes MemoFile::readDbt(std::uint64_t offset, const std::string& field)
{
    std::uint8_t h[8] = {};
    std::size_t got = m_file->readAt(offset, h, sizeof h);
    bool dbase4 = got == 8 && h[0] == 0xFF && h[1] == 0xFF && h[2] == 0x08 && h[3] == 0x00;
    std::uint64_t start = dbase4 ? offset + 8 : offset;
    std::uint64_t limit = dbase4 ? std::min<std::uint64_t>(readLe32(h + 4), m_size - start) : m_size - start;
    db::Bytes data;
    std::uint8_t buf[512];
    for (std::uint64_t pos = start; pos < start + limit;) {
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof buf, start + limit - pos));
        std::size_t n = m_file->readAt(pos, buf, want);
        if (n == 0)
            break;
        auto* end = std::find_if(buf, buf + n, [&](std::uint8_t b) { return b == 0x1A || (dbase4 && b == 0x1F); });
        data.insert(data.end(), buf, end);
        if (end != buf + n)
            break;
        pos += n;
    }
    (void)field;
    return data;
}

std::vector<std::uint32_t> MemoFile::append(const std::vector<Run>& runs)
{
    if (m_kind != Kind::Fpt)
        throw std::runtime_error("Cannot write the dBASE memo file " + m_file->path().string());
    // Every run is placed before anything is written: one that cannot fit leaves the file as it was.
    std::vector<std::uint32_t> blocks;
    blocks.reserve(runs.size());
    std::uint64_t next = m_nextFree;
    for (const Run& r : runs) {
        const std::uint64_t count = runBytes(r.bytes.size()) / m_blockSize;
        if (r.bytes.size() > 0xFFFFFFF0u || next + count > 0xFFFFFFFFu ||
            (next + count) * static_cast<std::uint64_t>(m_blockSize) > 0xFFFFFFFFu)
            throw std::runtime_error("The memo file " + m_file->path().string() + " cannot grow beyond 4 GiB");
        blocks.push_back(static_cast<std::uint32_t>(next));
        next += count;
    }
    const std::uint64_t start = std::uint64_t{m_nextFree} * m_blockSize;
    const std::uint64_t total = (next - m_nextFree) * m_blockSize;
    if (total <= kPiece) { // the common case: every run laid out in place in one zeroed buffer
        std::vector<std::uint8_t> buf(static_cast<std::size_t>(total), 0);
        for (std::size_t i = 0; i < runs.size(); ++i) {
            std::uint8_t* at = buf.data() + (std::uint64_t{blocks[i]} - m_nextFree) * m_blockSize;
            writeBe32(at, runs[i].signature);
            writeBe32(at + 4, static_cast<std::uint32_t>(runs[i].bytes.size()));
            if (!runs[i].bytes.empty())
                std::memcpy(at + 8, runs[i].bytes.data(), runs[i].bytes.size());
        }
        m_file->writeAt(start, buf.data(), buf.size());
        m_nextFree = static_cast<std::uint32_t>(next);
        m_size = std::max<std::uint64_t>(m_size, start + total);
        return blocks;
    }
    // Each run: block header, data, zeros to its block's end, copied into the buffer piece by piece.
    std::vector<std::uint8_t> buf(static_cast<std::size_t>(std::min<std::uint64_t>(total, kPiece)));
    std::size_t filled = 0;
    std::uint64_t written = 0;
    auto put = [&](const std::uint8_t* data, std::uint64_t size) {
        while (size > 0) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(size, buf.size() - filled));
            if (data) {
                std::copy_n(data, n, buf.begin() + static_cast<std::ptrdiff_t>(filled));
                data += n;
            } else {
                std::fill_n(buf.begin() + static_cast<std::ptrdiff_t>(filled), n, 0);
            }
            filled += n;
            size -= n;
            if (filled == buf.size()) {
                m_file->writeAt(start + written, buf.data(), filled);
                written += filled;
                filled = 0;
            }
        }
    };
    for (const Run& r : runs) {
        std::uint8_t head[8];
        writeBe32(head, r.signature);
        writeBe32(head + 4, static_cast<std::uint32_t>(r.bytes.size()));
        put(head, sizeof head);
        put(reinterpret_cast<const std::uint8_t*>(r.bytes.data()), r.bytes.size());
        put(nullptr, runBytes(r.bytes.size()) - 8 - r.bytes.size());
    }
    if (filled > 0)
        m_file->writeAt(start + written, buf.data(), filled);
    m_nextFree = static_cast<std::uint32_t>(next);
    m_size = std::max<std::uint64_t>(m_size, start + total);
    return blocks;
}

void MemoFile::writeHeader()
{
    std::uint8_t h[4];
    writeBe32(h, m_nextFree);
    m_file->writeAt(0, h, sizeof h);
}

void MemoFile::sync()
{
    m_file->sync();
}

} // namespace db::vfp
