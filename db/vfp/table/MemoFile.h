#pragma once

#include "db/Value.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
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

private:
    template <class Buffer>
    void readInto(std::uint32_t block, const std::string& field, Buffer& data, const RoomFn& room);
    db::Bytes readDbt(std::uint64_t offset, const std::string& field);

    std::unique_ptr<FileIo> m_file;
    Kind m_kind;
    std::uint32_t m_blockSize = 512;
    std::uint32_t m_nextFree = 0;
    std::uint64_t m_size = 0;
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
