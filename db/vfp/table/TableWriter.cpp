#include "db/vfp/table/CodePage.h"
#include "db/vfp/table/CompanionFiles.h"
#include "db/vfp/table/DbfHeader.h"
#include "db/vfp/table/FileIo.h"
#include "db/vfp/table/FileLocks.h"
#include "db/vfp/table/MemoFile.h"
#include "db/vfp/table/RecordCodec.h"
#include "db/vfp/table/TableFiles.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace db::vfp {

namespace {

constexpr std::uint8_t kEndOfFile = 0x1A;

void renameInto(const std::filesystem::path& from, const std::filesystem::path& to)
{
    std::error_code ec;
    renameFile(from, to, ec);
    if (ec)
        throw std::runtime_error("Cannot rename " + from.string() + " to " + to.filename().string() + ": " +
                                 ec.message());
}

void refuseExisting(const std::filesystem::path& file)
{
    auto folder = file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
    if (auto existing = findFileIgnoreCase(folder, file.filename().string()))
        throw std::runtime_error("The file " + existing->string() + " already exists");
}

} // namespace

// The files are built under temporary names and renamed into place, the memo file first: a kill leaves no table,
// or a whole empty one, and at worst a memo file without its table, which the next create of the name removes.
void createTableFiles(const std::filesystem::path& dbf, const std::vector<FieldDef>& fields, std::uint8_t codePageMark,
                      const std::string& backlink)
{
    TableLayout layout = layoutForNewTable(fields, codePageMark ? codePageMark : 0x03, backlink);
    bool memo = layout.hasMemoFields();
    std::filesystem::path memoPath = newMemoPath(dbf);
    refuseExisting(dbf);
    if (memo)
        refuseExisting(memoPath);
    const std::filesystem::path tempDbf = temporaryTableFile(dbf);
    const std::filesystem::path tempMemo = temporaryTableFile(memoPath);
    std::error_code ec;
    removeFile(tempDbf, ec); // left by a create that was killed
    removeFile(tempMemo, ec);
    std::vector<std::filesystem::path> created;
    try {
        auto table = openFile(tempDbf, OpenMode::CreateNew);
        created.push_back(tempDbf);
        std::vector<std::uint8_t> bytes = serializeHeader(layout);
        bytes.push_back(kEndOfFile);
        table->writeAt(0, bytes.data(), bytes.size());
        table->sync();
        if (memo) {
            auto memoFile = openFile(tempMemo, OpenMode::CreateNew);
            created.push_back(tempMemo);
            MemoFile::initialize(*memoFile);
            memoFile->sync();
            renameInto(tempMemo, memoPath);
            created.back() = memoPath;
        }
        renameInto(tempDbf, dbf);
    } catch (...) {
        for (const auto& file : created)
            removeFile(file, ec);
        throw;
    }
}

struct TableAppender::Impl {
    Impl(const std::filesystem::path& dbf, const FileOpener& opener)
        : file(opener(dbf, OpenMode::ReadWrite)), layout(readHeader(*file)), codec(layout.info.codePageMark),
          table(dbf.filename().string())
    {
        size = file->size();
        if (size < dataEnd())
            throw std::runtime_error("The table " + table + " is truncated; it cannot take new records");
        if (layout.hasMemoFields()) {
            auto where = findMemoFile(dbf);
            if (!where)
                throw std::runtime_error("The memo file of table " + table + " is missing");
            memo = std::make_unique<MemoFile>(opener(where->path, OpenMode::ReadWrite), where->kind);
        }
        record = std::make_unique<RecordCodec>(layout, codec, memo.get());
        blank = record->blankRecord();
        memoFields = static_cast<std::size_t>(
            std::count_if(layout.fields.begin(), layout.fields.end(), [](const FieldLayout& f) { return f.isMemo(); }));
    }

    // A row the appender was given (`owned`, the same as `row`) gives its memo texts up to the pending memos.
    std::vector<std::uint8_t> buildRecord(const std::vector<db::Value>& row, std::vector<db::Value>* owned,
                                          std::vector<RecordCodec::PendingMemo>& memos)
    {
        if (row.size() != layout.fields.size())
            throw std::runtime_error("The table " + table + " has " + std::to_string(layout.fields.size()) +
                                     " columns, but " + std::to_string(row.size()) + " values were given");
        std::vector<std::uint8_t> bytes = blank;
        memos.reserve(memoFields);
        for (std::size_t i = 0; i < row.size(); ++i) {
            const FieldLayout& f = layout.fields[i];
            // Pointed to, not copied: a memo value may be large, and its pending memo borrows its bytes.
            const db::Value* v = &row[i];
            db::Value next;
            if (f.def.autoIncrement && v->isNull()) {
                next = static_cast<std::int64_t>(f.autoIncNext);
                v = &next;
            }
            auto pending = owned && v == &row[i] ? record->encode(i, std::move((*owned)[i]), bytes.data())
                                                 : record->encode(i, *v, bytes.data());
            if (pending)
                memos.push_back(std::move(*pending));
        }
        return bytes;
    }

    // The next value of each autoincrement field moves past what this record used.
    std::vector<std::size_t> advanceAutoIncrement(const std::vector<std::uint8_t>& bytes)
    {
        std::vector<std::size_t> changed;
        for (std::size_t i = 0; i < layout.fields.size(); ++i) {
            FieldLayout& f = layout.fields[i];
            if (!f.def.autoIncrement)
                continue;
            auto used = static_cast<std::int64_t>(static_cast<std::int32_t>(readLe32(bytes.data() + f.offset)));
            std::int64_t step = f.autoIncStep ? f.autoIncStep : 1;
            if (used + step > static_cast<std::int64_t>(f.autoIncNext) && used + step <= INT32_MAX) {
                f.autoIncNext = static_cast<std::uint32_t>(used + step);
                changed.push_back(i);
            }
        }
        return changed;
    }

    void writeAutoIncrement(const std::vector<std::size_t>& changed)
    {
        for (std::size_t i : changed) {
            std::uint8_t next[4];
            writeLe32(next, layout.fields[i].autoIncNext);
            file->writeAt(32 + 32 * i + 19, next, sizeof next);
        }
    }

    // Another writer may have appended since we last looked: take its count and autoincrement counters, which
    // the header lock now keeps still.
    void refresh()
    {
        std::uint8_t head[12];
        file->readExact(0, head, sizeof head, "the header");
        if (readLe16(head + 8) != layout.info.headerLength || readLe16(head + 10) != layout.info.recordLength)
            throw std::runtime_error("The table " + table +
                                     " was changed by another program while open; open it again before adding records");
        layout.info.recordCount = readLe32(head + 4);
        for (std::size_t i = 0; i < layout.fields.size(); ++i)
            if (layout.fields[i].def.autoIncrement) {
                std::uint8_t next[4];
                file->readExact(32 + 32 * i + 19, next, sizeof next, "the header");
                layout.fields[i].autoIncNext = readLe32(next);
            }
        size = file->size();
        if (size < dataEnd())
            throw std::runtime_error("The table " + table + " is truncated; it cannot take new records");
    }

    std::uint64_t dataEnd() const
    {
        return layout.info.headerLength +
               static_cast<std::uint64_t>(layout.info.recordCount) * layout.info.recordLength;
    }

    // A record ready to go: its bytes, and the memos it needs written before it.
    struct Pending {
        std::vector<db::Value> values; // a held row's own values, which its memos borrow from
        std::vector<std::uint8_t> bytes;
        std::vector<RecordCodec::PendingMemo> memos;
    };

    void checkUsable() const
    {
        if (broken)
            throw std::runtime_error("An earlier write to the table " + table +
                                     " failed; open the table again before adding records");
    }

    // Visual FoxPro's locks, in its order: header, the new record, the memo file while its blocks are written.
    // Nothing is written until every check has passed.
    void append(const std::vector<db::Value>& row, std::vector<db::Value>* owned)
    {
        checkUsable();
        FileLocks locks;
        locks.take(*file, headerLockRanges(layout.info, file->size()), tableInUseMessage(table));
        refresh();
        std::vector<Pending> one(1);
        one[0].bytes = buildRecord(row, owned, one[0].memos);
        write(locks, one, advanceAutoIncrement(one[0].bytes), nullptr);
    }

    void stage(std::vector<db::Value>&& row)
    {
        checkUsable();
        Pending p;
        p.values = std::move(row);
        p.bytes = buildRecord(p.values, &p.values, p.memos);
        stagedSize += p.bytes.size();
        for (const auto& m : p.memos)
            stagedSize += memo->runBytes(m.bytes().size());
        staged.push_back(std::move(p));
    }

    void commit(std::vector<bool>& arrived)
    {
        std::vector<Pending> rows = std::exchange(staged, {});
        stagedSize = 0;
        arrived.assign(rows.size(), false);
        if (rows.empty())
            return;
        checkUsable();
        FileLocks locks;
        locks.take(*file, headerLockRanges(layout.info, file->size()), tableInUseMessage(table));
        refresh();
        write(locks, rows, {}, &arrived);
        arrived.assign(rows.size(), true);
    }

    // The memos of every record in one run of blocks, their numbers into the records, then the memo header.
    void writeMemos(std::vector<Pending>& rows, const std::string& inUse)
    {
        std::vector<MemoFile::Run> runs;
        runs.reserve(rows.size() * memoFields);
        std::uint64_t bytes = 0;
        for (const auto& r : rows)
            for (const auto& m : r.memos) {
                runs.push_back({m.signature, m.bytes()});
                bytes += memo->runBytes(m.bytes().size());
            }
        if (runs.empty())
            return;
        FileLocks memoLock;
        memoLock.take(memo->file(), memoLockRanges(memo->file().size()), inUse);
        memo->prepareAppend(bytes);
        broken = true; // until every write below has gone through
        const std::vector<std::uint32_t> blocks = memo->append(runs);
        std::size_t next = 0;
        for (auto& r : rows)
            for (const auto& m : r.memos)
                record->setMemoBlock(m.field, blocks[next++], r.bytes.data());
        memo->writeHeader();
    }

    // Writes `rows` after the last counted record; the header lock is held and the count read under it. On a
    // failure after the count was written, `arrived` (when given) learns which records the live marks reached.
    void write(FileLocks& locks, std::vector<Pending>& rows, const std::vector<std::size_t>& autoInc,
               std::vector<bool>* arrived)
    {
        const std::string inUse = tableInUseMessage(table);
        const std::uint64_t at = dataEnd();
        const std::size_t length = layout.info.recordLength;
        const auto count = static_cast<std::uint32_t>(rows.size());
        checkFileSizeLimit(at + std::uint64_t{count} * length + 1, file->path());
        locks.take(*file, recordLockRanges(layout.info, layout.info.recordCount + 1, size, count), inUse);
        writeMemos(rows, inUse);
        broken = true;
        // The records go in marked deleted, then the count, then the live marks: readers that go by the count and
        // readers that read on to the end-of-file mark (dbfread) see the same live rows after a kill at any step.
        std::vector<std::uint8_t> block;
        block.reserve(std::size_t{count} * length + 1);
        std::vector<std::uint8_t> liveMarks;
        liveMarks.reserve(count);
        for (const auto& r : rows) {
            liveMarks.push_back(r.bytes[0]);
            block.push_back('*');
            block.insert(block.end(), r.bytes.begin() + 1, r.bytes.end());
        }
        block.push_back(kEndOfFile);
        file->writeAt(at, block.data(), block.size());
        writeAutoIncrement(autoInc);
        std::uint8_t head[7];
        auto today = todayDateBytes();
        std::copy(today.begin(), today.end(), head);
        writeLe32(head + 3, layout.info.recordCount + count);
        file->writeAt(1, head, sizeof head);
        layout.info.recordCount += count;
        size = std::max<std::uint64_t>(size, at + block.size());
        for (std::size_t i = 0; i < count; ++i)
            block[i * length] = liveMarks[i];
        try {
            file->writeAt(at, block.data(), (count - 1) * length + 1);
        } catch (...) {
            if (arrived)
                *arrived = liveRecords(at, count);
            throw;
        }
        broken = false;
    }

    // Which of `count` records from `at` carry a live mark, read back after a write of the marks failed.
    std::vector<bool> liveRecords(std::uint64_t at, std::uint32_t count) const
    {
        std::vector<bool> live(count, false);
        try {
            for (std::uint32_t i = 0; i < count; ++i) {
                std::uint8_t mark = '*';
                file->readAt(at + std::uint64_t{i} * layout.info.recordLength, &mark, 1);
                live[i] = mark != '*';
            }
        } catch (const std::exception&) { // NOLINT(bugprone-empty-catch): unreadable marks count as not arrived
        }
        return live;
    }

    std::unique_ptr<FileIo> file;
    TableLayout layout;
    TextCodec codec;
    std::string table;
    std::unique_ptr<MemoFile> memo;
    std::unique_ptr<RecordCodec> record;
    std::vector<std::uint8_t> blank; // a record with every field blank
    std::size_t memoFields = 0;
    bool broken = false;
    std::vector<Pending> staged;
    std::uint64_t stagedSize = 0;
    std::uint64_t size = 0; // of the .dbf, as refresh() found it and our writes left it
};

TableAppender::TableAppender(const std::filesystem::path& dbf) : TableAppender(dbf, realFileOpener()) {}

TableAppender::TableAppender(const std::filesystem::path& dbf, const FileOpener& opener)
    : m_impl(std::make_unique<Impl>(dbf, opener))
{
}

TableAppender::~TableAppender()
{
    try {
        if (m_impl->memo)
            m_impl->memo->sync();
        m_impl->file->sync();
    } catch (...) {
        // Flushing at close is best effort; every write has already reached the files.
    }
}

const TableInfo& TableAppender::info() const
{
    return m_impl->layout.info;
}

void TableAppender::append(const std::vector<db::Value>& row)
{
    m_impl->append(row, nullptr);
}

void TableAppender::append(std::vector<db::Value>&& row)
{
    m_impl->append(row, &row);
}

bool TableAppender::canStage() const
{
    return std::none_of(m_impl->layout.fields.begin(), m_impl->layout.fields.end(),
                        [](const FieldLayout& f) { return f.def.autoIncrement; });
}

void TableAppender::stage(std::vector<db::Value>&& row)
{
    if (!canStage())
        throw std::logic_error("A table with autoincrement fields appends each row on its own");
    m_impl->stage(std::move(row));
}

std::size_t TableAppender::stagedRows() const
{
    return m_impl->staged.size();
}

std::uint64_t TableAppender::stagedBytes() const
{
    return m_impl->stagedSize;
}

void TableAppender::commit(std::vector<bool>& arrived)
{
    m_impl->commit(arrived);
}

std::uint64_t TableAppender::fileSize() const
{
    return m_impl->size;
}

} // namespace db::vfp
