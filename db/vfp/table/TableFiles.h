#pragma once

#include "db/Provider.h"
#include "db/Value.h"
#include "db/vfp/table/FieldDef.h"
#include "db/vfp/table/FileIo.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace db::vfp {

// What a .dbf header says.
struct TableInfo {
    std::uint8_t version = 0x30;
    std::uint8_t codePageMark = 0x03;
    std::uint8_t tableFlags = 0;
    std::uint32_t recordCount = 0; // deleted records included
    std::uint16_t headerLength = 0;
    std::uint16_t recordLength = 0;
    std::vector<FieldDef> fields; // without _NullFlags
    std::string backlink;         // the container a table belongs to ("" for a free table)
};

TableInfo readTableInfo(const std::filesystem::path& dbf);

// Streams the live records of a table (deleted ones hidden) with an exact count before the first row.
// `fieldNames`, when not empty, replaces the descriptors' names by position (a container's long names).
std::unique_ptr<db::Cursor> openTableCursor(const std::filesystem::path& dbf,
                                            const std::vector<std::string>& fieldNames = {});

// Creates a new table (.dbf, and .fpt when it has M/G/W fields) exactly as Visual FoxPro writes it. The field
// names must already be valid descriptor names (at most 10 characters, unique). Fails when the file exists.
void createTableFiles(const std::filesystem::path& dbf, const std::vector<FieldDef>& fields, std::uint8_t codePageMark,
                      const std::string& backlink = {});

// Appends records to an existing table, converting each value to its column's type (an error when it does not
// fit, or the code page cannot hold it; nothing is written then). The files are consistent after each append:
// memo blocks and memo header first, then the record, then the record count. The provider keeps one appender per
// table open across INSERT statements; files are flushed when it is destroyed.
class TableAppender {
public:
    explicit TableAppender(const std::filesystem::path& dbf);
    // Opens the files through `opener` (tests pass one that fails part-way).
    TableAppender(const std::filesystem::path& dbf, const FileOpener& opener);
    ~TableAppender();
    TableAppender(const TableAppender&) = delete;
    TableAppender& operator=(const TableAppender&) = delete;
    const TableInfo& info() const;
    void append(const std::vector<db::Value>& row);
    // The same, taking the row: memo texts are converted where they are instead of copied.
    void append(std::vector<db::Value>&& row);

    // Grouped appends. stage() checks and encodes a row as append() does (throwing its errors, and keeping nothing
    // then) and holds it in memory; commit() writes every held row at once, in the order that keeps the files
    // consistent for every reader at each write: the memo blocks and the memo header, the records marked deleted
    // past the count, the count, then the live marks. The locks are taken for the commit only, and the count read
    // again then, so another writer may append between two commits. A table with autoincrement fields holds no
    // rows (canStage() is false): its counters can only be read under the lock.
    bool canStage() const;
    void stage(std::vector<db::Value>&& row);
    std::size_t stagedRows() const;
    // What the held rows take in the files.
    std::uint64_t stagedBytes() const;
    // Throws when a lock or a write failed; `arrived` then tells, by position, which held rows reached the table
    // (as a rule none). The held rows are let go either way.
    void commit(std::vector<bool>& arrived);
    // The .dbf's size after the last append or commit that went through.
    std::uint64_t fileSize() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The name a new table file is built under before it is renamed into place: "t.dbf.new" for "t.dbf".
std::filesystem::path temporaryTableFile(const std::filesystem::path& file);

// Whether a file name is one temporaryTableFile gives (ignoring case), i.e. a leftover of a killed create.
bool isTemporaryTableFile(const std::filesystem::path& file);

// Removes the table's .dbf, .fpt and .cdx (companions found case-insensitively).
void removeTableFiles(const std::filesystem::path& dbf);

// A file in `folder` whose name equals `fileName` ignoring ASCII case.
std::optional<std::filesystem::path> findFileIgnoreCase(const std::filesystem::path& folder,
                                                        const std::string& fileName);

// The code page mark for a new table in `folder`: that of the existing tables when they agree, else 0x03 (1252).
std::uint8_t codePageMarkForFolder(const std::filesystem::path& folder);

} // namespace db::vfp
