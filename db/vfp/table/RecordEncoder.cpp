#include "db/vfp/table/CodePage.h"
#include "db/vfp/table/NumberText.h"
#include "db/vfp/table/RecordCodec.h"
#include "db/vfp/table/TemporalText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace db::vfp {

namespace {

[[noreturn]] void cannotStore(const FieldLayout& f, const db::Value& v, const std::string& why)
{
    std::string text = v.toText();
    if (text.size() > 60)
        text = text.substr(0, 57) + "...";
    throw std::runtime_error("The value '" + text + "' cannot be stored in column " + f.def.name + ": " + why);
}

void writeLe64(std::uint8_t* p, std::uint64_t v)
{
    writeLe32(p, static_cast<std::uint32_t>(v));
    writeLe32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

bool isBlankText(const db::Value& v)
{
    return v.is<std::string>() && v.get<std::string>().find_first_not_of(' ') == std::string::npos;
}

double doubleOf(const FieldLayout& f, const db::Value& v)
{
    if (v.is<double>())
        return v.get<double>();
    std::string digits = numberTextOf(v, f.def.name);
    double d = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), d);
    return d;
}

std::optional<bool> logicalOf(const db::Value& v)
{
    if (v.is<bool>())
        return v.get<bool>();
    if (v.is<std::int64_t>())
        return v.get<std::int64_t>() != 0;
    if (v.is<double>())
        return v.get<double>() != 0;
    if (!v.is<std::string>())
        return std::nullopt;
    std::string s;
    for (char c : v.get<std::string>())
        if (c != ' ' && c != '.')
            s += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (s == "T" || s == "TRUE" || s == "Y" || s == "YES" || s == "1")
        return true;
    if (s == "F" || s == "FALSE" || s == "N" || s == "NO" || s == "0")
        return false;
    return std::nullopt;
}

bool isAscii(const std::string& s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

std::vector<std::uint8_t> RecordCodec::blankRecord() const
{
    std::vector<std::uint8_t> r(m_layout.info.recordLength, ' ');
    for (const auto& f : m_layout.fields) {
        std::uint8_t* p = r.data() + f.offset;
        auto n = static_cast<std::size_t>(f.def.length);
        static const std::string zeroFilled = "IBYTMGWQ";
        if (zeroFilled.find(f.def.type) != std::string::npos && !f.asciiMemoPointer)
            std::memset(p, 0, n);
        if (f.def.type == 'V' || f.def.type == 'Q') // empty value: varlength bit set (below), length 0
            p[n - 1] = 0;
    }
    if (m_layout.nullFlagsLength)
        std::memset(r.data() + m_layout.nullFlagsOffset, 0, m_layout.nullFlagsLength);
    for (const auto& f : m_layout.fields)
        if (f.def.type == 'V' || f.def.type == 'Q')
            setBit(nullFlags(r.data()), m_layout.nullFlagsLength, f.bits.varLength);
    return r;
}

std::string RecordCodec::textForField(const FieldLayout& f, const db::Value& v)
{
    if (v.is<db::Bytes>()) {
        const auto& b = v.get<db::Bytes>();
        return std::string(b.begin(), b.end());
    }
    if (v.is<std::string>())
        return m_codec.encode(v.get<std::string>(), f.def.name);
    return m_codec.encode(v.toText(), f.def.name);
}

std::optional<RecordCodec::PendingMemo> RecordCodec::encode(std::size_t index, db::Value&& value, std::uint8_t* record)
{
    const FieldLayout& f = m_layout.fields[index];
    if (!f.isMemo() || !value.is<std::string>() || value.get<std::string>().empty())
        return encode(index, static_cast<const db::Value&>(value), record);
    PendingMemo memo{index, f.def.type == 'G' ? 2u : 1u, value.take<std::string>(), {}};
    m_codec.encodeInPlace(memo.converted, f.def.name);
    return memo;
}

RecordCodec::PendingMemo RecordCodec::memoOf(std::size_t index, const db::Value& v)
{
    const FieldLayout& f = m_layout.fields[index];
    PendingMemo memo{index, f.def.type == 'G' ? 2u : 1u, {}, {}};
    if (v.is<db::Bytes>()) {
        const auto& b = v.get<db::Bytes>();
        memo.borrowed = std::string_view(reinterpret_cast<const char*>(b.data()), b.size());
    } else if (v.is<std::string>() && isAscii(v.get<std::string>())) {
        memo.borrowed = v.get<std::string>(); // ASCII is the same in every code page
    } else {
        memo.converted = textForField(f, v);
    }
    return memo;
}

void RecordCodec::setMemoBlock(std::size_t index, std::uint32_t block, std::uint8_t* record) const
{
    const FieldLayout& f = m_layout.fields[index];
    if (f.asciiMemoPointer) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%10u", block);
        std::memcpy(record + f.offset, buf, 10);
    } else {
        writeLe32(record + f.offset, block);
    }
}

std::optional<RecordCodec::PendingMemo> RecordCodec::encode(std::size_t index, const db::Value& v, std::uint8_t* record)
{
    const FieldLayout& f = m_layout.fields[index];
    std::uint8_t* p = record + f.offset;
    auto n = static_cast<std::size_t>(f.def.length);
    bool textual = f.def.type == 'C' || f.def.type == 'V' || f.def.type == 'Q' || f.isMemo();
    if (v.isNull() || (!textual && isBlankText(v))) {
        if (v.isNull())
            setBit(nullFlags(record), m_layout.nullFlagsLength, f.bits.null);
        return std::nullopt; // a non-nullable column keeps its blank
    }
    switch (f.def.type) {
    case 'C': {
        std::string s = textForField(f, v);
        while (s.size() > n && s.back() == ' ')
            s.pop_back();
        if (s.size() > n)
            cannotStore(f, v, "it is longer than the column's " + std::to_string(n) + " characters");
        std::copy(s.begin(), s.end(), p);
        std::memset(p + s.size(), ' ', n - s.size());
        return std::nullopt;
    }
    case 'V':
    case 'Q': {
        std::string s = textForField(f, v);
        if (s.size() > n)
            cannotStore(f, v, "it is longer than the column's " + std::to_string(n) + " characters");
        std::copy(s.begin(), s.end(), p);
        std::memset(p + s.size(), f.def.type == 'V' ? ' ' : 0, n - s.size());
        std::uint8_t* flags = nullFlags(record);
        if (s.size() < n) {
            p[n - 1] = static_cast<std::uint8_t>(s.size());
        } else if (f.bits.varLength >= 0) {
            flags[f.bits.varLength / 8] =
                static_cast<std::uint8_t>(flags[f.bits.varLength / 8] & ~(1u << (f.bits.varLength % 8)));
        }
        return std::nullopt;
    }
    case 'N':
    case 'F': {
        std::string text = formatNumericField(numberTextOf(v, f.def.name), f.def.length, f.def.decimals, f.def.name);
        std::memcpy(p, text.data(), n);
        return std::nullopt;
    }
    case 'I':
        writeLe32(p, static_cast<std::uint32_t>(
                         integerOfText(numberTextOf(v, f.def.name), INT32_MIN, INT32_MAX, f.def.name)));
        return std::nullopt;
    case 'B': {
        double d = doubleOf(f, v);
        std::uint64_t bits = 0;
        std::memcpy(&bits, &d, sizeof d);
        writeLe64(p, bits);
        return std::nullopt;
    }
    case 'Y': {
        std::int64_t scaled = v.is<db::Currency>() ? v.get<db::Currency>().scaled
                                                   : currencyOfText(numberTextOf(v, f.def.name), f.def.name);
        writeLe64(p, static_cast<std::uint64_t>(scaled));
        return std::nullopt;
    }
    case 'D': {
        db::Date d = dateTimeOfValue(v, f.def.name).date;
        if (!isValidDate(d))
            cannotStore(f, v, "it is not a valid date");
        char buf[16];
        std::snprintf(buf, sizeof buf, "%04d%02d%02d", d.year, d.month, d.day);
        std::memcpy(p, buf, 8);
        return std::nullopt;
    }
    case 'T': {
        db::DateTime t = dateTimeOfValue(v, f.def.name);
        if (!isValidDate(t.date) || t.hour > 23 || t.minute > 59 || t.second > 59 || t.millisecond > 999)
            cannotStore(f, v, "it is not a valid date and time");
        writeLe32(p, static_cast<std::uint32_t>(julianDayOf(t.date)));
        writeLe32(p + 4,
                  static_cast<std::uint32_t>(t.hour * 3600000 + t.minute * 60000 + t.second * 1000 + t.millisecond));
        return std::nullopt;
    }
    case 'L': {
        auto b = logicalOf(v);
        if (!b)
            cannotStore(f, v, "it is not a logical value");
        p[0] = *b ? 'T' : 'F';
        return std::nullopt;
    }
    default: { // M G W
        PendingMemo memo = memoOf(index, v);
        if (memo.bytes().empty())
            return std::nullopt;
        return memo;
    }
    }
}

} // namespace db::vfp
