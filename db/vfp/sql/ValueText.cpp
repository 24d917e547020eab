#include "db/vfp/sql/ValueText.h"

#include "db/ConnectionString.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>

namespace db::vfp::sqltext {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool allDigits(const std::string& s)
{
    return std::ranges::all_of(s, isDigit);
}

size_t readDigits(const std::string& s, size_t& i)
{
    size_t start = i;
    while (i < s.size() && isDigit(s[i]))
        ++i;
    return i - start;
}

int number(const std::string& s, size_t pos, size_t len)
{
    return std::stoi(s.substr(pos, len));
}

bool isLeapYear(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

bool validDate(const Date& d)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (d.year < 1 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1)
        return false;
    int max = days[d.month - 1] + (d.month == 2 && isLeapYear(d.year) ? 1 : 0);
    return d.day <= max;
}

// The text inside {^...}, or the text itself.
std::string unbraced(const std::string& text)
{
    if (text.size() >= 3 && text[0] == '{' && text[1] == '^' && text.back() == '}')
        return text.substr(2, text.size() - 3);
    return text;
}

// hh:mm[:ss[.fff]] into `t`.
bool parseTimeOfDay(const std::string& s, DateTime& t)
{
    size_t i = 0;
    if (readDigits(s, i) != 2 || i >= s.size() || s[i] != ':')
        return false;
    t.hour = number(s, 0, 2);
    ++i;
    if (readDigits(s, i) != 2)
        return false;
    t.minute = number(s, 3, 2);
    if (i < s.size() && s[i] == ':') {
        ++i;
        if (readDigits(s, i) != 2)
            return false;
        t.second = number(s, 6, 2);
        if (i < s.size() && s[i] == '.') {
            size_t start = ++i;
            size_t n = readDigits(s, i);
            if (n == 0)
                return false;
            std::string ms = s.substr(start, std::min<size_t>(n, 3)); // finer parts are dropped
            ms.resize(3, '0');
            t.millisecond = std::stoi(ms);
        }
    }
    return i == s.size() && t.hour < 24 && t.minute < 60 && t.second < 60;
}

} // namespace

std::optional<Decimal> parseDecimalText(const std::string& text)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    size_t intStart = i;
    std::string intPart = text.substr(intStart, readDigits(text, i));
    std::string fracPart;
    if (i < text.size() && text[i] == '.') {
        size_t fracStart = ++i;
        fracPart = text.substr(fracStart, readDigits(text, i));
    }
    if (intPart.empty() && fracPart.empty())
        return std::nullopt;
    long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t expStart = ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        size_t n = readDigits(text, i);
        if (n == 0 || n > 4)
            return std::nullopt;
        exponent = std::stol(text.substr(expStart, i - expStart));
    }
    if (i != text.size())
        return std::nullopt;
    // Move the decimal point by the exponent.
    std::string all = intPart + fracPart;
    long point = static_cast<long>(intPart.size()) + exponent;
    if (point <= 0) {
        intPart.assign(1, '0');
        fracPart = std::string(static_cast<size_t>(-point), '0') + all;
    } else if (static_cast<size_t>(point) >= all.size()) {
        intPart = all + std::string(static_cast<size_t>(point) - all.size(), '0');
        fracPart = exponent == 0 ? fracPart : std::string();
    } else {
        intPart = all.substr(0, static_cast<size_t>(point));
        fracPart = all.substr(static_cast<size_t>(point));
    }
    size_t firstNonZero = intPart.find_first_not_of('0');
    intPart = firstNonZero == std::string::npos ? "0" : intPart.substr(firstNonZero);
    bool zero = all.find_first_not_of('0') == std::string::npos;
    return Decimal{(negative && !zero ? "-" : "") + intPart + (fracPart.empty() ? "" : "." + fracPart)};
}

std::optional<Currency> parseCurrencyText(const std::string& text)
{
    auto d = parseDecimalText(text);
    if (!d)
        return std::nullopt;
    std::string s = d->digits;
    bool negative = s[0] == '-';
    if (negative)
        s.erase(0, 1);
    size_t dot = s.find('.');
    std::string intPart = s.substr(0, dot);
    std::string frac = dot == std::string::npos ? "" : s.substr(dot + 1);
    if (intPart.size() > 15)
        return std::nullopt;
    frac.resize(std::max<size_t>(frac.size(), 5), '0');
    std::uint64_t mag = std::stoull(intPart) * 10000 + std::stoull(frac.substr(0, 4));
    if (frac[4] >= '5')
        ++mag;
    const auto max = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (mag > max + (negative ? 1 : 0))
        return std::nullopt;
    if (negative)
        return Currency{mag == max + 1 ? std::numeric_limits<std::int64_t>::min() : -static_cast<std::int64_t>(mag)};
    return Currency{static_cast<std::int64_t>(mag)};
}

std::optional<Date> parseDateText(const std::string& text)
{
    std::string s = unbraced(text);
    Date d;
    if (s.size() == 8 && allDigits(s)) {
        d = Date{number(s, 0, 4), number(s, 4, 2), number(s, 6, 2)};
    } else if (s.size() == 10 && (s[4] == '-' || s[4] == '/' || s[4] == '.') && s[7] == s[4] &&
               allDigits(s.substr(0, 4) + s.substr(5, 2) + s.substr(8, 2))) {
        d = Date{number(s, 0, 4), number(s, 5, 2), number(s, 8, 2)};
    } else {
        return std::nullopt;
    }
    return validDate(d) ? std::optional<Date>(d) : std::nullopt;
}

std::optional<DateTime> parseDateTimeText(const std::string& text)
{
    std::string s = unbraced(text);
    DateTime t;
    size_t sep = s.find_first_of(" T");
    if (sep == std::string::npos) {
        if (auto d = parseDateText(s)) {
            t.date = *d;
            return t;
        }
        t.date = Date{1899, 12, 30};
        return parseTimeOfDay(s, t) ? std::optional<DateTime>(t) : std::nullopt;
    }
    auto d = parseDateText(s.substr(0, sep));
    if (!d)
        return std::nullopt;
    t.date = *d;
    return parseTimeOfDay(s.substr(sep + 1), t) ? std::optional<DateTime>(t) : std::nullopt;
}

std::optional<bool> parseLogicalText(const std::string& text)
{
    std::string u = toUpperAscii(text);
    for (const char* yes : {"TRUE", "T", ".T.", "Y", "YES", "1"})
        if (u == yes)
            return true;
    for (const char* no : {"FALSE", "F", ".F.", "N", "NO", "0"})
        if (u == no)
            return false;
    return std::nullopt;
}

std::optional<double> parseDoubleText(const std::string& text)
{
    if (text == "NaN")
        return std::numeric_limits<double>::quiet_NaN();
    if (text == "Infinity" || text == "+Infinity")
        return std::numeric_limits<double>::infinity();
    if (text == "-Infinity")
        return -std::numeric_limits<double>::infinity();
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+')
        ++first;
    if (first == last || !(isDigit(*first) || *first == '.' || *first == '-'))
        return std::nullopt; // from_chars would also take "inf" and "nan"
    double value = 0;
    auto res = std::from_chars(first, last, value);
    if (res.ec != std::errc() || res.ptr != last)
        return std::nullopt;
    return value;
}

std::optional<Bytes> parseHexText(const std::string& text)
{
    if (text.size() < 2 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X') || text.size() % 2 != 0)
        return std::nullopt;
    auto nibble = [](char c) -> int {
        if (isDigit(c))
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    Bytes out;
    out.reserve(text.size() / 2 - 1);
    for (size_t i = 2; i < text.size(); i += 2) {
        const int hi = nibble(text[i]);
        const int lo = nibble(text[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    }
    return out;
}

} // namespace db::vfp::sqltext
