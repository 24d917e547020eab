#pragma once

#include "db/Value.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace db::vfp {

class FileIo;

// A table's memo file: FoxPro .fpt (also a container's .dct), or dBASE III/IV .dbt for reading.
class MemoFile {
public:
    enum class Kind { Fpt, Dbt };
    inline static constexpr std::uint32_t kHeaderSize = 512;
    inline static constexpr std::uint32_t kNewBlockSize = 64;

    // Reads the header; a block size of 0 counts as 1.
    MemoFile(std::unique_ptr<FileIo> file, Kind kind);
    ~MemoFile();

    // Writes the header of an empty memo file into `file`.
    static void initialize(FileIo& file, std::uint32_t blockSize = kNewBlockSize);

    // The data of the memo at `block` (without the block header). `field` names the column in errors.
    db::Bytes read(std::uint32_t block, const std::string& field);
    // The same as text bytes, read straight into the string a value keeps. `room`, when given, tells from the
    // bytes (in pieces) how long the text grows once converted: a large memo's string is made that long at
    // once, so converting it in place never moves it.
    using RoomFn = std::function<std::size_t(const std::uint8_t* data, std::size_t size)>;
    std::string readText(std::uint32_t block, const std::string& field, const RoomFn& room = {});
    // The data of the memo at `block` where it lies in the read window, valid until the next call on this file;
    // nothing when the memo does not fit the window or the file is a .dbt (read it with read() or readText()).
    // Errors as read().
    std::optional<std::span<const std::uint8_t>> view(std::uint32_t block, const std::string& field);
    // Forgets the read window, so the next memo is read from the file afresh. A reader calls it whenever it reads
    // further records: a memo's bytes are then never older than the record that points at them.
    void dropWindow()
    {
        m_windowValid = 0;
        m_vouched = 0;
    }

    // Before appending runs of `bytes` in all (runBytes()): re-reads the header, since another writer may have
    // added memos, and refuses, before anything is written, a damaged next free block or a file past 2 GiB.
    void prepareAppend(std::uint64_t bytes);
    // What a memo of `size` bytes takes in the file, in whole blocks.
    std::uint64_t runBytes(std::size_t size) const;

    // One memo to write: its block signature (1 text, 0 picture) and its bytes.
    struct Run {
        std::uint32_t signature = 1;
        std::string_view bytes;
    };
    // Writes the memos one after another from the next free block and returns the first block of each; the header
    // is not updated (writeHeader()). They go out through one bounded buffer: small memos, however many, in one
    // write, a large one without a second copy of it in memory.
    std::vector<std::uint32_t> append(const std::vector<Run>& runs);
    void writeHeader();
    void sync();

    std::uint32_t blockSize() const { return m_blockSize; }
    std::uint32_t nextFree() const { return m_nextFree; }
    FileIo& file() { return *m_file; }

    // Memos are read through a window of this many bytes over the file, so that a run of small memos costs one read
    // rather than two each.
    inline static constexpr std::size_t kWindowSize = std::size_t{256} * 1024;

private:
    // Where a memo's data lies, from its block header; checked against the file's size.
    struct Stored {
        std::uint64_t offset = 0; // of the data, past the block header
        std::uint32_t length = 0;
    };
    Stored locate(std::uint32_t block, const std::string& field);
    // `size` bytes at `offset` from the read window, refilled there when need be; null when they do not fit it or
    // the window cannot vouch for them.
    const std::uint8_t* windowed(std::uint64_t offset, std::size_t size);
    void fillWindow(std::uint64_t start);
    template <class Buffer>
    void readInto(std::uint32_t block, const std::string& field, Buffer& data, const RoomFn& room);
    db::Bytes readDbt(std::uint64_t offset, const std::string& field);

    std::unique_ptr<FileIo> m_file;
    Kind m_kind;
    std::uint32_t m_blockSize = 512;
    std::uint32_t m_nextFree = 0;
    std::uint64_t m_size = 0;
    // The read window: bytes of the file from m_windowStart, of which the first m_windowValid are served. Those are
    // bytes that were in the file and below the header's next free block when the window was filled: writers add
    // memo blocks there and update the header only once the blocks are whole, so those bytes were complete. Bytes
    // past that block (m_vouched) are read from the file, not through the window, until it is dropped.
    std::vector<std::uint8_t> m_window;
    std::uint64_t m_windowStart = 0;
    std::size_t m_windowValid = 0;
    std::uint64_t m_vouched = 0;
};

// Where a memo file's next run goes: the header's next free block, but never inside the header or the file's
// present length whatever the header says. A header pointing far past the end is damaged, and following it would
// make a huge sparse file: that is an error naming the file.
std::uint32_t nextFreeBlock(std::uint32_t headerNextFree, std::uint32_t blockSize, std::uint64_t fileSize,
                            const std::filesystem::path& file);

// The largest .dbf, .fpt or .dct Visual FoxPro opens: offsets are signed 32-bit numbers, and its lock bytes sit at
// the top of that range.
inline constexpr std::uint64_t kMaxFileSize = 0x7FFFFFFF;
// Refuses a write that would take `file` to `newSize` past kMaxFileSize.
void checkFileSizeLimit(std::uint64_t newSize, const std::filesystem::path& file);

std::uint32_t readBe32(const std::uint8_t* p);
void writeBe32(std::uint8_t* p, std::uint32_t v);

} // namespace db::vfp
