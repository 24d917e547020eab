#pragma once

#include "db/Value.h"
#include "db/vfp/table/DbfHeader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace db::vfp {

class MemoFile;
class TextCodec;

// Turns one record's bytes into values and back, by the rules of the table's layout.
class RecordCodec {
public:
    // `memo` may be null when the table has no memo fields.
    RecordCodec(const TableLayout& layout, TextCodec& codec, MemoFile* memo);

    // The value of field `index` of `record` (recordLength bytes, deletion flag first).
    db::Value decode(std::size_t index, const std::uint8_t* record);
    // The same into `out`, keeping its storage where it holds a value of the same kind (a text's capacity).
    void decode(std::size_t index, const std::uint8_t* record, db::Value& out);

    // A memo the record needs written before it: its block number goes into the field. Bytes the value already
    // holds as they go to the file are borrowed, not copied, so the value must outlive it.
    struct PendingMemo {
        std::size_t field = 0;
        std::uint32_t signature = 1;
        std::string converted;     // the bytes, when the value's text had to change code page
        std::string_view borrowed; // else the value's own bytes
        std::string_view bytes() const { return borrowed.empty() ? std::string_view(converted) : borrowed; }
    };
    // Fills field `index` of `record` (pre-filled with blanks by blankRecord()) from `value`, converting it to the
    // column's type; returns the memo to write for memo fields with content. Throws naming the column.
    std::optional<PendingMemo> encode(std::size_t index, const db::Value& value, std::uint8_t* record);
    // The same, but a memo's text is taken out of `value` and converted where it is, rather than copied.
    std::optional<PendingMemo> encode(std::size_t index, db::Value&& value, std::uint8_t* record);
    // Stores the block number of a written memo.
    void setMemoBlock(std::size_t index, std::uint32_t block, std::uint8_t* record) const;

    // A live record with every field blank (spaces, zeros) and no null bits set.
    std::vector<std::uint8_t> blankRecord() const;

private:
    std::uint8_t* nullFlags(std::uint8_t* record) const { return record + m_layout.nullFlagsOffset; }
    bool bit(const std::uint8_t* record, int bit) const;
    void decodeText(const FieldLayout& f, const std::uint8_t* p, std::size_t n, bool trim, db::Value& out);
    void decodeMemo(const FieldLayout& f, const std::uint8_t* p, db::Value& out);
    std::string textForField(const FieldLayout& f, const db::Value& v);
    PendingMemo memoOf(std::size_t index, const db::Value& v);

    const TableLayout& m_layout;
    TextCodec& m_codec;
    MemoFile* m_memo;
};

} // namespace db::vfp
