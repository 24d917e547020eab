#include "db/vfp/table/RecordCodec.h"

#include "db/vfp/table/CodePage.h"
#include "db/vfp/table/MemoFile.h"
#include "db/vfp/table/NumberText.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace db::vfp {

namespace {

constexpr std::int64_t kFirstJulianDay = 1721426; // 0001-01-01
constexpr std::int64_t kLastJulianDay = 5373484;  // 9999-12-31
constexpr std::int64_t kMsPerDay = 86400000;

[[noreturn]] void damaged(const FieldLayout& f, const std::string& what)
{
    throw std::runtime_error("the field " + f.def.name + " " + what);
}

bool allOf(const std::uint8_t* p, std::size_t n, std::initializer_list<std::uint8_t> set)
{
    return std::all_of(p, p + n, [&](std::uint8_t b) { return std::find(set.begin(), set.end(), b) != set.end(); });
}

std::string printable(const std::uint8_t* p, std::size_t n)
{
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += (p[i] >= 0x20 && p[i] < 0x7F) ? static_cast<char>(p[i]) : '?';
    return "'" + s + "'";
}

db::Value decodeNumber(const FieldLayout& f, const std::uint8_t* p, std::size_t n)
{
    if (allOf(p, n, {' ', 0, '*'}))
        return db::Null{}; // blank, or the asterisks other tools write on overflow
    auto digits = parseDecimalText(std::string_view(reinterpret_cast<const char*>(p), n));
    if (!digits)
        damaged(f, "holds " + printable(p, n) + ", which is not a number");
    return db::Decimal{*digits};
}

db::Value decodeDate(const FieldLayout& f, const std::uint8_t* p)
{
    if (allOf(p, 8, {' ', 0, '0'}))
        return db::Null{};
    auto num = [&](int from, int count) {
        int v = 0;
        for (int i = from; i < from + count; ++i) {
            if (p[i] < '0' || p[i] > '9')
                damaged(f, "holds " + printable(p, 8) + ", which is not a date");
            v = v * 10 + (p[i] - '0');
        }
        return v;
    };
    db::Date d{num(0, 4), num(4, 2), num(6, 2)};
    if (!isValidDate(d))
        damaged(f, "holds " + printable(p, 8) + ", which is not a date");
    return d;
}

db::Value decodeDateTime(const FieldLayout& f, const std::uint8_t* p)
{
    std::int64_t day = static_cast<std::int32_t>(readLe32(p));
    std::int64_t ms = static_cast<std::int32_t>(readLe32(p + 4));
    if ((day == 0 && ms == 0) || allOf(p, 8, {' '}))
        return db::Null{};
    if (day < kFirstJulianDay || day > kLastJulianDay || ms < 0 || ms >= kMsPerDay)
        damaged(f,
                "holds a date and time out of range (day " + std::to_string(day) + ", " + std::to_string(ms) + " ms)");
    // Visual FoxPro stores 09:30:10 as 09:30:09.999; the nearest second is what was meant.
    std::int64_t seconds = (ms + 500) / 1000;
    if (seconds == 86400 && day < kLastJulianDay) {
        ++day;
        seconds = 0;
    } else if (seconds == 86400) {
        seconds = 86399;
    }
    db::DateTime t;
    t.date = dateOfJulianDay(day);
    t.hour = static_cast<int>(seconds / 3600);
    t.minute = static_cast<int>(seconds / 60 % 60);
    t.second = static_cast<int>(seconds % 60);
    return t;
}

db::Value decodeLogical(std::uint8_t b)
{
    switch (b) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
        return true;
    case 'F':
    case 'f':
    case 'N':
    case 'n':
        return false;
    default:
        return db::Null{};
    }
}

std::uint32_t memoPointer(const FieldLayout& f, const std::uint8_t* p)
{
    if (!f.asciiMemoPointer)
        return readLe32(p);
    std::uint64_t v = 0;
    for (int i = 0; i < f.def.length; ++i) {
        if (p[i] == ' ' || p[i] == 0)
            continue;
        if (p[i] < '0' || p[i] > '9')
            damaged(f, "holds the memo pointer " + printable(p, 10) + ", which is not a number");
        v = v * 10 + static_cast<std::uint64_t>(p[i] - '0');
    }
    if (v > 0xFFFFFFFFu)
        damaged(f, "holds a memo pointer out of range");
    return static_cast<std::uint32_t>(v);
}

} // namespace

RecordCodec::RecordCodec(const TableLayout& layout, TextCodec& codec, MemoFile* memo)
    : m_layout(layout), m_codec(codec), m_memo(memo)
{
}

bool RecordCodec::bit(const std::uint8_t* record, int b) const
{
    return testBit(record + m_layout.nullFlagsOffset, m_layout.nullFlagsLength, b);
}

db::Value RecordCodec::decodeText(const FieldLayout& f, const std::uint8_t* p, std::size_t n, bool trim)
{
    if (trim) {
        while (n > 0 && (p[n - 1] == ' ' || (!f.def.binary && p[n - 1] == 0)))
            --n;
    }
    if (f.def.binary || f.def.type == 'Q')
        return db::Bytes(p, p + n);
    return m_codec.decode(p, n);
}

db::Value RecordCodec::decodeMemo(const FieldLayout& f, const std::uint8_t* p)
{
    std::uint32_t block = memoPointer(f, p);
    bool bytes = f.def.binary || f.def.type != 'M';
    if (block == 0)
        return bytes ? db::Value(db::Bytes{}) : db::Value(std::string());
    if (!m_memo)
        damaged(f, "points into a memo file the table does not have");
    if (bytes)
        return m_memo->read(block, f.def.name);
    std::string text = m_memo->readText(block, f.def.name, [this](const std::uint8_t* data, std::size_t size) {
        return m_codec.decodedSize(data, size);
    });
    m_codec.decodeInPlace(text);
    return text;
}

db::Value RecordCodec::decode(std::size_t index, const std::uint8_t* record)
{
    const FieldLayout& f = m_layout.fields[index];
    if (f.bits.null >= 0 && bit(record, f.bits.null))
        return db::Null{};
    const std::uint8_t* p = record + f.offset;
    auto n = static_cast<std::size_t>(f.def.length);
    switch (f.def.type) {
    case 'C':
        return decodeText(f, p, n, true);
    case 'V':
    case 'Q':
        if (bit(record, f.bits.varLength)) {
            if (p[n - 1] >= n)
                damaged(f, "holds a damaged length byte");
            n = p[n - 1];
        }
        return decodeText(f, p, n, false);
    case 'N':
    case 'F':
        return decodeNumber(f, p, n);
    case 'I':
        return static_cast<std::int64_t>(static_cast<std::int32_t>(readLe32(p)));
    case 'B': {
        std::uint64_t bits = readLe32(p) | (static_cast<std::uint64_t>(readLe32(p + 4)) << 32);
        double d = 0;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    case 'Y': {
        std::uint64_t bits = readLe32(p) | (static_cast<std::uint64_t>(readLe32(p + 4)) << 32);
        return db::Currency{static_cast<std::int64_t>(bits)};
    }
    case 'D':
        return decodeDate(f, p);
    case 'T':
        return decodeDateTime(f, p);
    case 'L':
        return decodeLogical(p[0]);
    default: // M G W
        return decodeMemo(f, p);
    }
}

} // namespace db::vfp
