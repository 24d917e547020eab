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

void decodeNumber(const FieldLayout& f, const std::uint8_t* p, std::size_t n, db::Value& out)
{
    if (allOf(p, n, {' ', 0, '*'})) {
        out = db::Null{}; // blank, or the asterisks other tools write on overflow
        return;
    }
    if (!parseDecimalInto(std::string_view(reinterpret_cast<const char*>(p), n), out.reuse<db::Decimal>().digits))
        damaged(f, "holds " + printable(p, n) + ", which is not a number");
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

void RecordCodec::decodeText(const FieldLayout& f, const std::uint8_t* p, std::size_t n, bool trim, db::Value& out)
{
    if (trim) {
        while (n > 0 && (p[n - 1] == ' ' || (!f.def.binary && p[n - 1] == 0)))
            --n;
    }
    if (f.def.binary || f.def.type == 'Q')
        out.reuse<db::Bytes>().assign(p, p + n);
    else
        m_codec.decodeInto(out.reuse<std::string>(), p, n);
}

void RecordCodec::decodeMemo(const FieldLayout& f, const std::uint8_t* p, db::Value& out)
{
    std::uint32_t block = memoPointer(f, p);
    bool bytes = f.def.binary || f.def.type != 'M';
    if (block == 0) {
        if (bytes)
            out.reuse<db::Bytes>().clear();
        else
            out.reuse<std::string>().clear();
        return;
    }
    if (!m_memo)
        damaged(f, "points into a memo file the table does not have");
    // A memo in the read window is decoded from there into the value's own storage; a larger one is read into a
    // string of its own and decoded where it is.
    if (auto data = m_memo->view(block, f.def.name)) {
        if (bytes)
            out.reuse<db::Bytes>().assign(data->begin(), data->end());
        else
            m_codec.decodeInto(out.reuse<std::string>(), data->data(), data->size());
        return;
    }
    if (bytes) {
        out = m_memo->read(block, f.def.name);
        return;
    }
    std::string text = m_memo->readText(block, f.def.name, [this](const std::uint8_t* data, std::size_t size) {
        return m_codec.decodedSize(data, size);
    });
    m_codec.decodeInPlace(text);
    out = std::move(text);
}

db::Value RecordCodec::decode(std::size_t index, const std::uint8_t* record)
{
    db::Value value;
    decode(index, record, value);
    return value;
}

void RecordCodec::decode(std::size_t index, const std::uint8_t* record, db::Value& out)
{
    const FieldLayout& f = m_layout.fields[index];
    if (f.bits.null >= 0 && bit(record, f.bits.null)) {
        out = db::Null{};
        return;
    }
    const std::uint8_t* p = record + f.offset;
    auto n = static_cast<std::size_t>(f.def.length);
    switch (f.def.type) {
    case 'C':
        decodeText(f, p, n, true, out);
        return;
    case 'V':
    case 'Q':
        if (bit(record, f.bits.varLength)) {
            if (p[n - 1] >= n)
                damaged(f, "holds a damaged length byte");
            n = p[n - 1];
        }
        decodeText(f, p, n, false, out);
        return;
    case 'N':
    case 'F':
        decodeNumber(f, p, n, out);
        return;
    case 'I':
        out = static_cast<std::int64_t>(static_cast<std::int32_t>(readLe32(p)));
        return;
    case 'B': {
        std::uint64_t bits = readLe32(p) | (static_cast<std::uint64_t>(readLe32(p + 4)) << 32);
        double d = 0;
        std::memcpy(&d, &bits, sizeof d);
        out = d;
        return;
    }
    case 'Y': {
        std::uint64_t bits = readLe32(p) | (static_cast<std::uint64_t>(readLe32(p + 4)) << 32);
        out = db::Currency{static_cast<std::int64_t>(bits)};
        return;
    }
    case 'D':
        out = decodeDate(f, p);
        return;
    case 'T':
        out = decodeDateTime(f, p);
        return;
    case 'L':
        out = decodeLogical(p[0]);
        return;
    default: // M G W
        decodeMemo(f, p, out);
        return;
    }
}

} // namespace db::vfp
