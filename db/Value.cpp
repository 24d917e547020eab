#include "db/Value.h"

#include <charconv>
#include <cmath>

namespace db {

namespace {

// v in decimal, zero-padded to `width` characters with the sign counted, as printf's "%0*d" writes it.
void appendPadded(std::string& out, int v, int width)
{
    char digits[12];
    char* end = digits + sizeof digits;
    char* at = end;
    long long mag = v < 0 ? -static_cast<long long>(v) : v;
    do {
        *--at = static_cast<char>('0' + mag % 10);
        mag /= 10;
    } while (mag != 0);
    if (v < 0) {
        out += '-';
        --width;
    }
    if (end - at < width)
        out.append(static_cast<std::size_t>(width - (end - at)), '0');
    out.append(at, end);
}

std::string pad(int v, int width)
{
    std::string out;
    appendPadded(out, v, width);
    return out;
}

// Two digits of a part known to be 0 to 99.
void putTwo(char* at, int v)
{
    at[0] = static_cast<char>('0' + v / 10);
    at[1] = static_cast<char>('0' + v % 10);
}

void appendDate(std::string& out, const Date& d)
{
    if (d.year >= 0 && d.year <= 9999 && d.month >= 0 && d.month <= 99 && d.day >= 0 && d.day <= 99) {
        char text[10] = {'0', '0', '0', '0', '-', '0', '0', '-', '0', '0'}; // as below, in one append
        putTwo(text, d.year / 100);
        putTwo(text + 2, d.year % 100);
        putTwo(text + 5, d.month);
        putTwo(text + 8, d.day);
        out.append(text, sizeof text);
        return;
    }
    appendPadded(out, d.year, 4);
    out += '-';
    appendPadded(out, d.month, 2);
    out += '-';
    appendPadded(out, d.day, 2);
}

void appendTime(std::string& out, int h, int m, int s)
{
    if (h >= 0 && h <= 99 && m >= 0 && m <= 99 && s >= 0 && s <= 99) {
        char text[8] = {'0', '0', ':', '0', '0', ':', '0', '0'}; // as below, in one append
        putTwo(text, h);
        putTwo(text + 3, m);
        putTwo(text + 6, s);
        out.append(text, sizeof text);
        return;
    }
    appendPadded(out, h, 2);
    out += ':';
    appendPadded(out, m, 2);
    out += ':';
    appendPadded(out, s, 2);
}

// "12.5000" -> "12.5", "3.000" -> "3", "-0.10" -> "-0.1"; text without a point stays as it is.
std::string trimFraction(std::string s)
{
    if (s.find('.') == std::string::npos)
        return s;
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    if (s == "-0")
        s = "0";
    return s;
}

template <class... Ts> struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

} // namespace

std::string doubleToText(double d)
{
    if (std::isnan(d))
        return "NaN";
    if (std::isinf(d))
        return d > 0 ? "Infinity" : "-Infinity";
    if (d == 0)
        return "0"; // -0.0 too: a sign on zero means nothing to a reader of the text
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, d);
    return std::string(buf, res.ptr);
}

std::string currencyToText(Currency c)
{
    // Work in unsigned magnitude so that INT64_MIN formats too.
    bool negative = c.scaled < 0;
    std::uint64_t mag = negative ? 0 - static_cast<std::uint64_t>(c.scaled) : static_cast<std::uint64_t>(c.scaled);
    std::string s = std::to_string(mag / 10000) + "." + pad(static_cast<int>(mag % 10000), 4);
    return trimFraction((negative ? "-" : "") + s);
}

std::string bytesToHexText(const Bytes& b)
{
    static const char* hex = "0123456789abcdef";
    std::string s = "0x";
    s.reserve(2 + 2 * b.size());
    for (auto byte : b) {
        s += hex[byte >> 4];
        s += hex[byte & 0xF];
    }
    return s;
}

std::string Value::toText() const
{
    return std::visit(Overloaded{
                          [](const Null&) { return std::string(); },
                          [](bool b) { return std::string(b ? "True" : "False"); },
                          [](std::int64_t i) { return std::to_string(i); },
                          [](double d) { return doubleToText(d); },
                          [](const Currency& c) { return currencyToText(c); },
                          [](const Decimal& d) { return trimFraction(d.digits); },
                          [](const Date& d) {
                              std::string s;
                              appendDate(s, d);
                              return s;
                          },
                          [](const Time& t) {
                              std::string s;
                              appendTime(s, t.hour, t.minute, t.second);
                              return s;
                          },
                          [](const DateTime& t) {
                              std::string s;
                              appendDate(s, t.date);
                              s += ' ';
                              appendTime(s, t.hour, t.minute, t.second);
                              if (t.millisecond != 0) {
                                  s += '.';
                                  appendPadded(s, t.millisecond, 3);
                              }
                              return s;
                          },
                          [](const std::string& s) { return s; },
                          [](const Bytes& b) { return bytesToHexText(b); },
                      },
                      m_v);
}

} // namespace db
