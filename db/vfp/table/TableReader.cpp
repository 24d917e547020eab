#include "db/vfp/table/CodePage.h"
#include "db/vfp/table/CompanionFiles.h"
#include "db/vfp/table/DbfHeader.h"
#include "db/vfp/table/FileIo.h"
#include "db/vfp/table/MemoFile.h"
#include "db/vfp/table/RecordCodec.h"
#include "db/vfp/table/TableFiles.h"

#include <stdexcept>

namespace db::vfp {

namespace {

constexpr std::size_t kBatchBytes = std::size_t{256} * 1024;

// Streams a table's live records in batches, so memory stays flat whatever the table's size.
class TableCursor : public db::Cursor {
public:
    TableCursor(const std::filesystem::path& dbf, const std::vector<std::string>& names)
        : m_file(openFile(dbf, OpenMode::Read)), m_layout(readHeader(*m_file)), m_codec(m_layout.info.codePageMark)
    {
        m_table = dbf.filename().string();
        checkDataSize();
        if (m_layout.hasMemoFields())
            openMemo(dbf);
        m_record = std::make_unique<RecordCodec>(m_layout, m_codec, m_memo.get());
        for (std::size_t i = 0; i < m_layout.fields.size(); ++i) {
            const auto& def = m_layout.fields[i].def;
            m_fields.push_back({i < names.size() && !names[i].empty() ? names[i] : def.name, adoTypeOf(def)});
        }
        m_batchRecords = std::max<std::size_t>(1, kBatchBytes / m_layout.info.recordLength);
        m_live = countLive();
    }

    const std::vector<FieldInfo>& fields() const override { return m_fields; }
    long long recordCount() override { return m_live; }

    bool next(std::vector<Value>& row) override
    {
        while (m_next < m_layout.info.recordCount) {
            const std::uint8_t* rec = recordAt(m_next);
            std::uint32_t number = ++m_next;
            if (rec[0] == '*')
                continue;
            // Decoded aside and handed over whole: a value that fails (a memo pointer past the end of its file)
            // must not leave the record's first values over the previous row's rest. m_next has already passed
            // the record, so the next call reads on after it. The values are decoded into the row handed back the
            // time before last, reusing their storage.
            m_decoded.resize(m_fields.size());
            try {
                for (std::size_t i = 0; i < m_fields.size(); ++i)
                    m_record->decode(i, rec, m_decoded[i]);
            } catch (const std::exception& e) {
                throw std::runtime_error("The table " + m_table + " cannot be read: in record " +
                                         std::to_string(number) + ", " + e.what());
            }
            row.swap(m_decoded);
            return true;
        }
        return false;
    }

private:
    void checkDataSize()
    {
        std::uint64_t need = m_layout.info.headerLength +
                             static_cast<std::uint64_t>(m_layout.info.recordCount) * m_layout.info.recordLength;
        std::uint64_t have = m_file->size();
        if (have < need) {
            std::uint64_t whole = have > m_layout.info.headerLength
                                      ? (have - m_layout.info.headerLength) / m_layout.info.recordLength
                                      : 0;
            throw std::runtime_error("The table " + m_table + " is truncated: its header counts " +
                                     std::to_string(m_layout.info.recordCount) + " records, the file holds " +
                                     std::to_string(whole));
        }
    }

    void openMemo(const std::filesystem::path& dbf)
    {
        auto where = findMemoFile(dbf);
        if (!where)
            throw std::runtime_error("The memo file of table " + m_table + " (" + dbf.stem().string() +
                                     ".fpt) is missing");
        m_memo = std::make_unique<MemoFile>(openFile(where->path, OpenMode::Read), where->kind);
    }

    const std::uint8_t* recordAt(std::uint32_t index)
    {
        if (index < m_batchFirst || index >= m_batchFirst + m_batchCount) {
            m_batchFirst = index;
            m_batchCount = static_cast<std::uint32_t>(
                std::min<std::uint64_t>(m_batchRecords, m_layout.info.recordCount - static_cast<std::uint64_t>(index)));
            m_batch.resize(static_cast<std::size_t>(m_batchCount) * m_layout.info.recordLength);
            std::uint64_t offset =
                m_layout.info.headerLength + static_cast<std::uint64_t>(index) * m_layout.info.recordLength;
            m_file->readExact(offset, m_batch.data(), m_batch.size(), "record " + std::to_string(index + 1));
            if (m_memo)
                m_memo->dropWindow(); // the memos these records point at are read afresh
        }
        return m_batch.data() + static_cast<std::size_t>(index - m_batchFirst) * m_layout.info.recordLength;
    }

    // Counts the live records from their deletion flags alone, before the first row is handed out.
    long long countLive()
    {
        long long live = 0;
        for (std::uint32_t i = 0; i < m_layout.info.recordCount; ++i)
            if (recordAt(i)[0] != '*')
                ++live;
        return live;
    }

    std::unique_ptr<FileIo> m_file;
    TableLayout m_layout;
    TextCodec m_codec;
    std::unique_ptr<MemoFile> m_memo;
    std::unique_ptr<RecordCodec> m_record;
    std::vector<FieldInfo> m_fields;
    std::vector<Value> m_decoded; // the record being decoded
    std::string m_table;
    std::vector<std::uint8_t> m_batch;
    std::size_t m_batchRecords = 1;
    std::uint32_t m_batchFirst = 0, m_batchCount = 0;
    std::uint32_t m_next = 0;
    long long m_live = 0;
};

} // namespace

TableInfo readTableInfo(const std::filesystem::path& dbf)
{
    auto file = openFile(dbf, OpenMode::Read);
    return readHeader(*file).info;
}

std::unique_ptr<db::Cursor> openTableCursor(const std::filesystem::path& dbf, const std::vector<std::string>& names)
{
    return std::make_unique<TableCursor>(dbf, names);
}

} // namespace db::vfp
