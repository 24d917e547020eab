#include "TdsTypes.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <sqlite3.h>

namespace tds {
namespace {

__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

// TDS 5.0 data type codes and the ASE user types that go with them.
enum : std::uint8_t {
    TypeImage = 0x22,
    TypeText = 0x23,
    TypeVarBinary = 0x25,
    TypeIntN = 0x26,
    TypeVarChar = 0x27,
    TypeBinary = 0x2D,
    TypeChar = 0x2F,
    TypeBit = 0x32,
    TypeNumeric = 0x6C,
    TypeFloatN = 0x6D,
    TypeMoneyN = 0x6E,
    TypeDateTimeN = 0x6F,
};
constexpr std::uint8_t StatusNullable = 0x20;

// One row per WireType, in the enum's order: the TDS type, ASE's user type, the length byte of the nullable
// fixed-size types (0 for the others) and the declared SQLite type names that choose it.
struct WireInfo {
    WireType type;
    std::uint8_t code;
    std::uint32_t userType;
    std::uint8_t fixedLength;
    const char* declaredNames;
};

const WireInfo Wire[] = {
    {WireType::VarChar, TypeVarChar, 2, 0, "|VARCHAR|NVARCHAR|UNIVARCHAR|CHARACTER VARYING|"},
    {WireType::Char, TypeChar, 1, 0, "|CHAR|NCHAR|UNICHAR|CHARACTER|"},
    {WireType::Text, TypeText, 19, 0, "|TEXT|UNITEXT|CLOB|MEMO|LONGVARCHAR|"},
    {WireType::Int, TypeIntN, 7, 4, "|INT|INTEGER|"},
    {WireType::SmallInt, TypeIntN, 6, 2, "|SMALLINT|"},
    {WireType::TinyInt, TypeIntN, 5, 1, "|TINYINT|"},
    {WireType::BigInt, TypeIntN, 43, 8, "|BIGINT|"},
    {WireType::Float, TypeFloatN, 8, 8, "|FLOAT|DOUBLE|DOUBLE PRECISION|"},
    {WireType::Real, TypeFloatN, 23, 4, "|REAL|"},
    {WireType::Numeric, TypeNumeric, 10, 0, "|NUMERIC|DECIMAL|DEC|"},
    {WireType::Money, TypeMoneyN, 11, 8, "|MONEY|"},
    {WireType::SmallMoney, TypeMoneyN, 21, 4, "|SMALLMONEY|"},
    {WireType::DateTime, TypeDateTimeN, 12, 8, "|DATETIME|SMALLDATETIME|DATE|BIGDATETIME|"},
    {WireType::Bit, TypeBit, 16, 0, "|BIT|BOOLEAN|"},
    {WireType::Binary, TypeBinary, 3, 0, "|BINARY|"},
    {WireType::VarBinary, TypeVarBinary, 4, 0, "|VARBINARY|"},
    {WireType::Image, TypeImage, 20, 0, "|IMAGE|BLOB|LONGVARBINARY|"},
};

const WireInfo& wireInfo(WireType t)
{
    return Wire[static_cast<std::size_t>(t)];
}

std::string upper(std::string s)
{
    for (auto& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// "VARCHAR(30)" -> base "VARCHAR", args {30}.
void splitDeclared(const std::string& declared, std::string& base, std::vector<int>& args)
{
    const auto open = declared.find('(');
    base = upper(declared.substr(0, open));
    base.erase(base.find_last_not_of(' ') + 1);
    if (open == std::string::npos)
        return;
    for (std::size_t at = open + 1; at < declared.size();) {
        args.push_back(std::atoi(declared.c_str() + at));
        at = declared.find(',', at);
        if (at == std::string::npos)
            break;
        ++at;
    }
}

bool fromDeclared(const std::string& base, const std::vector<int>& args, ColumnFormat& f)
{
    const auto named = std::find_if(std::begin(Wire), std::end(Wire), [&](const WireInfo& w) {
        return !base.empty() && std::string(w.declaredNames).find("|" + base + "|") != std::string::npos;
    });
    if (named == std::end(Wire))
        return false;
    f.type = named->type;
    const auto length = [&](std::uint32_t fallback) {
        return args.empty() || args[0] <= 0 ? fallback : static_cast<std::uint32_t>(args[0]);
    };
    // Longer char and binary travel as ASE's LONGCHAR and LONGBINARY, which this server does not speak: it sends
    // them as text and image instead.
    if (f.type == WireType::VarChar || f.type == WireType::Char) {
        f.length = length(f.type == WireType::Char ? 1 : 255);
        f.type = f.length > 255 ? WireType::Text : f.type;
    } else if (f.type == WireType::VarBinary || f.type == WireType::Binary) {
        f.length = length(f.type == WireType::Binary ? 1 : 255);
        f.type = f.length > 255 ? WireType::Image : f.type;
    } else if (f.type == WireType::Numeric) {
        f.precision = std::clamp(args.empty() ? 18 : args[0], 1, 38);
        f.scale = std::clamp(args.size() < 2 ? 0 : args[1], 0, f.precision);
    }
    return true;
}

} // namespace

ColumnFormat chooseFormat(std::string name, const char* declaredType, int sqliteType, std::size_t valueBytes)
{
    ColumnFormat f;
    f.name = std::move(name);
    std::string base;
    std::vector<int> args;
    if (declaredType)
        splitDeclared(declaredType, base, args);
    if (fromDeclared(base, args, f))
        return f;
    switch (sqliteType) {
    case SQLITE_INTEGER:
        f.type = WireType::BigInt;
        break;
    case SQLITE_FLOAT:
        f.type = WireType::Float;
        break;
    case SQLITE_BLOB:
        f.type = WireType::Image;
        break;
    default:
        f.type = valueBytes > 255 ? WireType::Text : WireType::VarChar;
        break;
    }
    return f;
}

void writeRowFormat(TokenWriter& out, const std::vector<ColumnFormat>& columns)
{
    out.u8(0xEE);
    const std::size_t lengthAt = out.size();
    out.u16(0);
    out.u16(static_cast<std::uint32_t>(columns.size()));
    for (const auto& c : columns) {
        const WireInfo& info = wireInfo(c.type);
        out.shortString(c.name);
        // ASE's bit is the one type that cannot hold NULL.
        out.u8(c.type == WireType::Bit ? 0 : StatusNullable);
        out.u32(info.userType);
        out.u8(info.code);
        if (info.fixedLength) {
            out.u8(info.fixedLength);
        } else if (c.type == WireType::Numeric) {
            out.u8(static_cast<std::uint8_t>(numericBytes(c.precision)));
            out.u8(static_cast<std::uint8_t>(c.precision));
            out.u8(static_cast<std::uint8_t>(c.scale));
        } else if (c.type == WireType::Text || c.type == WireType::Image) {
            out.u32(0x7FFFFFFF);
            out.u16(0); // table name: none
        } else if (c.type != WireType::Bit) {
            out.u8(static_cast<std::uint8_t>(c.length));
        }
        out.u8(0); // no locale
    }
    out.patchLength16(lengthAt);
}

int numericBytes(int precision)
{
    // A sign byte plus the bytes a magnitude of `precision` decimal digits needs.
    const double bits = std::ceil(precision * 3.3219280948873626);
    return 1 + static_cast<int>(std::ceil(bits / 8.0));
}

namespace {

Int128 scaledWide(const std::string& text, int scale)
{
    // Accepts what SQLite renders for numbers: sign, digits, point, digits, exponent.
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        negative = text[at++] == '-';
    std::string digits;
    int pointShift = 0;
    bool seenPoint = false, any = false;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            digits += c;
            any = true;
            if (seenPoint)
                --pointShift;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E'))
        pointShift += std::atoi(text.c_str() + at + 1), at = text.size();
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
        ++at;
    if (!any || at != text.size() || digits.size() > 60)
        throw AseError(249, 16,
                       "Syntax error during explicit conversion of VARCHAR value '" + text + "' to a NUMERIC field.");
    // Keep `scale` decimals; the first dropped digit rounds half away from zero.
    int keep = static_cast<int>(digits.size()) + pointShift + scale;
    Int128 value = 0;
    for (int i = 0; i < std::max(keep, 0); ++i) {
        if (value > (Int128(1) << 120))
            throw AseError(220, 16,
                           "Arithmetic overflow during implicit conversion of VARCHAR value '" + text +
                               "' to a NUMERIC field .");
        value = value * 10 + (i < static_cast<int>(digits.size()) ? digits[static_cast<std::size_t>(i)] - '0' : 0);
    }
    if (keep >= 0 && keep < static_cast<int>(digits.size()) && digits[static_cast<std::size_t>(keep)] >= '5')
        ++value;
    return negative ? -value : value;
}

void writeBigEndianMagnitude(TokenWriter& out, Int128 value, int bytes)
{
    out.u8(value < 0 ? 1 : 0);
    UInt128 magnitude = static_cast<UInt128>(value < 0 ? -value : value);
    std::vector<std::uint8_t> be(static_cast<std::size_t>(bytes - 1));
    for (auto it = be.rbegin(); it != be.rend(); ++it, magnitude >>= 8)
        *it = static_cast<std::uint8_t>(magnitude & 0xFF);
    if (magnitude != 0)
        throw AseError(220, 16, "Arithmetic overflow during implicit conversion to a NUMERIC field .");
    for (auto b : be)
        out.u8(b);
}

std::string columnText(sqlite3_stmt* stmt, int index)
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, index));
    return std::string(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, index)));
}

std::string columnBlob(sqlite3_stmt* stmt, int index)
{
    const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt, index));
    return std::string(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, index)));
}

// Cuts to `limit` bytes without splitting a UTF-8 sequence (ASE truncates over-long values the same way).
std::string fitText(std::string s, std::size_t limit)
{
    if (s.size() <= limit)
        return s;
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80)
        --cut;
    s.resize(cut);
    return s;
}

std::int64_t integerValue(sqlite3_stmt* stmt, int index, std::int64_t lo, std::int64_t hi)
{
    if (sqlite3_column_type(stmt, index) == SQLITE_TEXT) {
        const std::string text = columnText(stmt, index);
        char* end = nullptr;
        const long long v = std::strtoll(text.c_str(), &end, 10);
        if (text.empty() || *end != '\0')
            throw AseError(249, 16,
                           "Syntax error during explicit conversion of VARCHAR value '" + text + "' to a INT field.");
        if (v < lo || v > hi)
            throw AseError(220, 16, "Arithmetic overflow during implicit conversion of VARCHAR value '" + text + "'.");
        return v;
    }
    const std::int64_t v = sqlite3_column_int64(stmt, index);
    if (v < lo || v > hi)
        throw AseError(220, 16,
                       "Arithmetic overflow during implicit conversion of INT value '" + std::to_string(v) + "'.");
    return v;
}

void writeBlob(TokenWriter& out, const std::string& bytes)
{
    out.u8(16);
    out.bytes(std::string_view("corvalen-textptr", 16)); // text pointer: opaque to the client
    out.zeros(8);                                        // timestamp
    out.u32(static_cast<std::uint32_t>(bytes.size()));
    out.bytes(bytes);
}

void writeShortBytes(TokenWriter& out, const std::string& bytes)
{
    out.u8(static_cast<std::uint8_t>(bytes.size()));
    out.bytes(bytes);
}

} // namespace

std::int64_t scaledDecimal(const std::string& text, int scale)
{
    const Int128 v = scaledWide(text, scale);
    if (v > INT64_MAX || v < INT64_MIN)
        throw AseError(220, 16, "Arithmetic overflow during implicit conversion of VARCHAR value '" + text + "'.");
    return static_cast<std::int64_t>(v);
}

bool parseDateTime(const std::string& text, std::int32_t& days, std::uint32_t& ticks)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, consumed = 0;
    double sec = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &y, &mo, &d, &consumed) != 3)
        return false;
    const char* rest = text.c_str() + consumed;
    if (*rest == ' ' || *rest == 'T') {
        int n = 0;
        if (std::sscanf(rest + 1, "%2d:%2d%n", &h, &mi, &n) != 2)
            return false;
        rest += 1 + n;
        if (*rest == ':') {
            if (std::sscanf(rest + 1, "%lf%n", &sec, &n) != 1)
                return false;
            rest += 1 + n;
        }
    }
    if (*rest != '\0' || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || sec < 0 || sec >= 60)
        return false;
    // Days from 1900-01-01, by the proleptic Gregorian calendar.
    const auto civil = [](int yy, int mm, int dd) {
        yy -= mm <= 2;
        const int era = (yy >= 0 ? yy : yy - 399) / 400;
        const int yoe = yy - era * 400;
        const int doy = (153 * (mm + (mm > 2 ? -3 : 9)) + 2) / 5 + dd - 1;
        return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy;
    };
    days = civil(y, mo, d) - civil(1900, 1, 1);
    // Time of day in 1/300 seconds, as ASE's datetime keeps it.
    ticks = static_cast<std::uint32_t>(std::llround(((h * 60 + mi) * 60 + sec) * 300.0));
    return true;
}

void writeValue(TokenWriter& out, const ColumnFormat& column, sqlite3_stmt* stmt, int index, std::size_t textSize)
{
    const bool isNull = sqlite3_column_type(stmt, index) == SQLITE_NULL;
    if (isNull && column.type == WireType::Bit) {
        out.u8(0); // ASE's bit has no NULL
        return;
    }
    if (isNull) {
        out.u8(0); // a zero length (or text pointer length) is NULL for every nullable type
        return;
    }
    switch (column.type) {
    case WireType::VarChar:
    case WireType::Char: {
        std::string text = fitText(columnText(stmt, index), column.length);
        if (column.type == WireType::Char)
            text.resize(column.length, ' '); // ASE pads char values with blanks
        if (text.empty())
            text.push_back(' '); // a zero length would read as NULL; ASE stores '' as one blank anyway
        writeShortBytes(out, text);
        break;
    }
    case WireType::Binary:
    case WireType::VarBinary: {
        std::string bytes = columnBlob(stmt, index).substr(0, column.length);
        if (bytes.empty())
            bytes.assign(1, '\0');
        writeShortBytes(out, bytes);
        break;
    }
    case WireType::Text:
        writeBlob(out, columnText(stmt, index).substr(0, textSize));
        break;
    case WireType::Image:
        writeBlob(out, columnBlob(stmt, index).substr(0, textSize));
        break;
    case WireType::TinyInt:
        out.u8(1), out.u8(static_cast<std::uint8_t>(integerValue(stmt, index, 0, 255)));
        break;
    case WireType::SmallInt:
        out.u8(2), out.u16(static_cast<std::uint16_t>(integerValue(stmt, index, INT16_MIN, INT16_MAX)));
        break;
    case WireType::Int:
        out.u8(4), out.u32(static_cast<std::uint32_t>(integerValue(stmt, index, INT32_MIN, INT32_MAX)));
        break;
    case WireType::BigInt: {
        const auto v = static_cast<std::uint64_t>(integerValue(stmt, index, INT64_MIN, INT64_MAX));
        out.u8(8), out.u32(static_cast<std::uint32_t>(v)), out.u32(static_cast<std::uint32_t>(v >> 32));
        break;
    }
    case WireType::Float: {
        const double d = sqlite3_column_double(stmt, index);
        std::uint64_t bits = 0;
        std::memcpy(&bits, &d, 8);
        out.u8(8), out.u32(static_cast<std::uint32_t>(bits)), out.u32(static_cast<std::uint32_t>(bits >> 32));
        break;
    }
    case WireType::Real: {
        const auto f = static_cast<float>(sqlite3_column_double(stmt, index));
        std::uint32_t bits = 0;
        std::memcpy(&bits, &f, 4);
        out.u8(4), out.u32(bits);
        break;
    }
    case WireType::Numeric:
        out.u8(static_cast<std::uint8_t>(numericBytes(column.precision)));
        writeBigEndianMagnitude(out, scaledWide(columnText(stmt, index), column.scale), numericBytes(column.precision));
        break;
    case WireType::Money: {
        // Ten-thousandths as a 64-bit number, high half first.
        const auto v = static_cast<std::uint64_t>(scaledDecimal(columnText(stmt, index), 4));
        out.u8(8), out.u32(static_cast<std::uint32_t>(v >> 32)), out.u32(static_cast<std::uint32_t>(v));
        break;
    }
    case WireType::SmallMoney: {
        const std::int64_t v = scaledDecimal(columnText(stmt, index), 4);
        if (v < INT32_MIN || v > INT32_MAX)
            throw AseError(220, 16, "Arithmetic overflow during implicit conversion to a SMALLMONEY field .");
        out.u8(4), out.i32(static_cast<std::int32_t>(v));
        break;
    }
    case WireType::DateTime: {
        std::int32_t days = 0;
        std::uint32_t ticks = 0;
        const std::string text = columnText(stmt, index);
        if (!parseDateTime(text, days, ticks))
            throw AseError(249, 16,
                           "Syntax error during explicit conversion of VARCHAR value '" + text +
                               "' to a DATETIME field.");
        out.u8(8), out.i32(days), out.u32(ticks);
        break;
    }
    case WireType::Bit:
        out.u8(sqlite3_column_int64(stmt, index) != 0 ? 1 : 0);
        break;
    }
}

} // namespace tds
