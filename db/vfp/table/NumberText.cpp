#include "db/vfp/table/NumberText.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace db::vfp {

namespace {

std::string plainTextOfDouble(double d)
{
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::fixed);
    return std::string(buf, res.ptr);
}

[[noreturn]] void notANumber(const std::string& what, const std::string& column)
{
    throw std::runtime_error("The value " + what + " for column " + column + " is not a number");
}

// Adds one unit in the last place of a string of digits.
void incrementDigits(std::string& digits)
{
    for (auto i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
}

} // namespace

std::optional<std::string> parseDecimalText(std::string_view t)
{
    std::string out;
    if (!parseDecimalInto(t, out))
        return std::nullopt;
    return out;
}

bool parseDecimalInto(std::string_view t, std::string& out)
{
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t'))
        t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t' || t.back() == '\0'))
        t.remove_suffix(1);
    bool negative = false;
    if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    auto digit = [&](std::size_t i) { return i < t.size() && t[i] >= '0' && t[i] <= '9'; };
    std::size_t i = 0;
    while (digit(i))
        ++i;
    std::string_view intPart = t.substr(0, i);
    std::string_view frac;
    if (i < t.size() && t[i] == '.') {
        const std::size_t from = ++i;
        while (digit(i))
            ++i;
        frac = t.substr(from, i - from);
    }
    if (i != t.size() || (intPart.empty() && frac.empty()))
        return false;
    std::size_t nz = intPart.find_first_not_of('0');
    intPart = nz == std::string_view::npos ? std::string_view("0") : intPart.substr(nz);
    bool zero = intPart == "0" && frac.find_first_not_of('0') == std::string_view::npos;
    out.clear();
    if (negative && !zero)
        out += '-';
    out += intPart;
    if (!frac.empty()) {
        out += '.';
        out += frac;
    }
    return true;
}

std::string roundDecimalText(const std::string& digits, int decimals)
{
    bool negative = !digits.empty() && digits[0] == '-';
    std::string body = negative ? digits.substr(1) : digits;
    auto point = body.find('.');
    std::string intPart = body.substr(0, point);
    std::string frac = point == std::string::npos ? "" : body.substr(point + 1);
    auto keep = static_cast<std::size_t>(decimals);
    bool roundUp = frac.size() > keep && frac[keep] >= '5';
    frac.resize(keep, '0');
    std::string all = intPart + frac;
    if (roundUp)
        incrementDigits(all);
    intPart = all.substr(0, all.size() - keep);
    frac = all.substr(all.size() - keep);
    if (intPart.empty())
        intPart.push_back('0');
    bool zero = all.find_first_not_of('0') == std::string::npos;
    std::string out = (negative && !zero ? "-" : "") + intPart;
    if (keep > 0)
        out += "." + frac;
    return out;
}

std::string numberTextOf(const db::Value& v, const std::string& column)
{
    if (v.is<std::int64_t>())
        return std::to_string(v.get<std::int64_t>());
    if (v.is<bool>())
        return v.get<bool>() ? "1" : "0";
    if (v.is<double>()) {
        double d = v.get<double>();
        if (!std::isfinite(d))
            notANumber(db::doubleToText(d), column);
        return *parseDecimalText(plainTextOfDouble(d));
    }
    if (v.is<db::Currency>() || v.is<db::Decimal>())
        if (auto p = parseDecimalText(v.toText()))
            return *p;
    if (v.is<std::string>()) {
        const auto& s = v.get<std::string>();
        if (auto p = parseDecimalText(s))
            return *p;
        double d = 0;
        auto res = std::from_chars(s.data(), s.data() + s.size(), d);
        if (res.ec == std::errc() && res.ptr == s.data() + s.size() && std::isfinite(d))
            return *parseDecimalText(plainTextOfDouble(d));
        notANumber("'" + s + "'", column);
    }
    notANumber(v.toText().empty() ? "given" : v.toText(), column);
}

std::string formatNumericField(const std::string& digits, int width, int decimals, const std::string& column)
{
    std::string text = roundDecimalText(digits, decimals);
    if (static_cast<int>(text.size()) > width && decimals > 0) { // ".50" where "0.50" is one too wide
        if (text.rfind("0.", 0) == 0)
            text.erase(0, 1);
        else if (text.rfind("-0.", 0) == 0)
            text.erase(1, 1);
    }
    if (static_cast<int>(text.size()) > width)
        throw std::runtime_error("The value " + digits + " does not fit column " + column + " (N(" +
                                 std::to_string(width) + "," + std::to_string(decimals) + "))");
    return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

std::int64_t integerOfText(const std::string& digits, std::int64_t min, std::int64_t max, const std::string& column)
{
    std::string whole = roundDecimalText(digits, 0);
    std::int64_t v = 0;
    auto res = std::from_chars(whole.data(), whole.data() + whole.size(), v);
    if (res.ec != std::errc() || res.ptr != whole.data() + whole.size() || v < min || v > max)
        throw std::runtime_error("The value " + digits + " is out of range for column " + column);
    return v;
}

std::int64_t currencyOfText(const std::string& digits, const std::string& column)
{
    std::string scaled = roundDecimalText(digits, 4);
    scaled.erase(scaled.find('.'), 1);
    std::int64_t v = 0;
    auto res = std::from_chars(scaled.data(), scaled.data() + scaled.size(), v);
    if (res.ec != std::errc() || res.ptr != scaled.data() + scaled.size())
        throw std::runtime_error("The value " + digits + " is out of range for the currency column " + column);
    return v;
}

std::int64_t julianDayOf(const db::Date& d)
{
    const std::int64_t y = d.year;
    const std::int64_t m = d.month;
    const std::int64_t day = d.day;
    const std::int64_t a = (m - 14) / 12;
    return (1461 * (y + 4800 + a)) / 4 + (367 * (m - 2 - 12 * a)) / 12 - (3 * ((y + 4900 + a) / 100)) / 4 + day - 32075;
}

db::Date dateOfJulianDay(std::int64_t jd)
{
    std::int64_t a = jd + 32044;
    std::int64_t b = (4 * a + 3) / 146097;
    std::int64_t c = a - 146097 * b / 4;
    std::int64_t d = (4 * c + 3) / 1461;
    std::int64_t e = c - 1461 * d / 4;
    std::int64_t m = (5 * e + 2) / 153;
    db::Date out;
    out.day = static_cast<int>(e - (153 * m + 2) / 5 + 1);
    out.month = static_cast<int>(m + 3 - 12 * (m / 10));
    out.year = static_cast<int>(100 * b + d - 4800 + m / 10);
    return out;
}

bool isValidDate(const db::Date& d)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (d.year < 1 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1)
        return false;
    bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
    return d.day <= days[d.month - 1] + (d.month == 2 && leap ? 1 : 0);
}

} // namespace db::vfp
