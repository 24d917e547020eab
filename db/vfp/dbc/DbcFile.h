#pragma once

#include "db/vfp/dbc/DbcProperties.h"
#include "db/vfp/table/FileIo.h"
#include "db/vfp/table/FileLocks.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace db::vfp {

// One record of the container table. Names are as stored, trailing spaces removed (bytes of the code page).
struct DbcRecord {
    std::uint32_t recno = 0; // 1-based
    bool deleted = false;
    std::int32_t objectId = 0;
    std::int32_t parentId = 0;
    std::string objectType;
    std::string objectName;
    std::uint32_t propertyBlock = 0;
};

// A record to append.
struct NewDbcRecord {
    std::int32_t objectId = 0;
    std::int32_t parentId = 0;
    std::string objectType;
    std::string objectName;
    std::uint32_t propertyBlock = 0;
};

// What a change must put back to undo itself: the sizes and leading bytes of both files before it.
struct DbcSnapshot {
    std::uint64_t dbcSize = 0;
    std::string dbcHeader; // the 32-byte table header
    std::uint64_t dbcTailAt = 0;
    std::string dbcTail; // bytes after the last record (the end-of-file mark) that an append overwrites
    std::uint64_t dctSize = 0;
    std::string dctHeader; // the first 8 bytes of the memo header
    std::uint64_t dctTailAt = 0;
    std::string dctTail; // bytes from the next free block on, which an append overwrites
};

// The .dbc and its .dct, read and written at the byte level: the container is a fixed-layout Visual FoxPro table
// whose PROPERTY memo lives in the .dct. Every write goes through the FileIo seam. Opened for writing, it holds
// the lock on the whole container, as Visual FoxPro's scheme has it, until it is destroyed.
class DbcFile {
public:
    DbcFile(const std::filesystem::path& dbc, const FileOpener& opener, bool writable);

    const std::vector<DbcRecord>& records() const { return m_records; }
    std::uint8_t codePageMark() const { return m_codePageMark; }
    const std::filesystem::path& dbcPath() const { return m_dbc->path(); }
    const std::filesystem::path& dctPath() const { return m_dct->path(); }

    std::string readMemo(std::uint32_t block);
    std::vector<DbcProperty> properties(const DbcRecord& record);

    DbcSnapshot snapshot();
    void restore(const DbcSnapshot& snapshot);

    // Appends one memo block run (signature 1) and its header update; returns its first block.
    std::uint32_t appendMemo(const std::string& data);
    // Writes the records after the last one (with the end-of-file mark), then the header's count and date.
    void appendRecords(const std::vector<NewDbcRecord>& records);
    // Rewrites the deletion flags of the records in one write (the span from the first to the last, the records
    // between as they are), so a kill never leaves some of them marked and others not.
    void setDeleted(const std::vector<std::uint32_t>& recnos, bool deleted);

private:
    struct Field {
        std::size_t offset = 0;
        std::size_t length = 0;
    };
    void readHeader();
    void readRecords();
    Field field(const std::string& name) const;
    std::string encodeRecord(const NewDbcRecord& r) const;

    std::unique_ptr<FileIo> m_dbc;
    std::unique_ptr<FileIo> m_dct;
    FileLocks m_locks; // released before the files close
    std::uint32_t m_count = 0;
    std::uint16_t m_headerLength = 0;
    std::uint16_t m_recordLength = 0;
    std::uint8_t m_codePageMark = 0x03;
    std::vector<std::pair<std::string, Field>> m_fields;
    std::vector<DbcRecord> m_records;
    std::uint32_t m_blockSize = 64;
};

// The companion file of `file` with extension `ext` (".dct", ".dcx"), found ignoring case; when there is none,
// the name it should have, its extension cased like the container's.
std::filesystem::path companionFile(const std::filesystem::path& file, const std::string& ext);

} // namespace db::vfp
