#pragma once

#include "db/Value.h"

#include <cstdint>
#include <memory>

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

    // Writes a memo at the next free block and returns its number; the header is not updated (writeHeader()).
    std::uint32_t append(std::uint32_t signature, const std::uint8_t* data, std::size_t size);
    void writeHeader();
    void sync();

    std::uint32_t blockSize() const { return m_blockSize; }
    std::uint32_t nextFree() const { return m_nextFree; }
    FileIo& file() { return *m_file; }

private:
    db::Bytes readDbt(std::uint64_t offset, const std::string& field);

    std::unique_ptr<FileIo> m_file;
    Kind m_kind;
    std::uint32_t m_blockSize = 512;
    std::uint32_t m_nextFree = 0;
    std::uint64_t m_size = 0;
};

std::uint32_t readBe32(const std::uint8_t* p);
void writeBe32(std::uint8_t* p, std::uint32_t v);

} // namespace db::vfp
