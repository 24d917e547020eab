#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace db {

struct Null {
    bool operator==(const Null&) const = default;
};

// Money as a whole number of ten-thousandths, as FoxPro's Currency and ADO's adCurrency keep it.
struct Currency {
    std::int64_t scaled = 0;
    bool operator==(const Currency&) const = default;
};

// An exact decimal number kept as its digits: optional '-', digits, optional '.' and digits.
struct Decimal {
    std::string digits;
    bool operator==(const Decimal&) const = default;
};

struct Date {
    int year = 0, month = 0, day = 0;
    bool operator==(const Date&) const = default;
};

struct Time {
    int hour = 0, minute = 0, second = 0;
    bool operator==(const Time&) const = default;
};

struct DateTime {
    Date date;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    bool operator==(const DateTime&) const = default;
};

using Bytes = std::vector<std::uint8_t>;

// A field value as the database layer hands it on: the automation variant of the original, in C++ terms.
// Text is UTF-8.
class Value {
public:
    using Storage =
        std::variant<Null, bool, std::int64_t, double, Currency, Decimal, Date, Time, DateTime, std::string, Bytes>;

    Value() = default;
    Value(Null /*null*/) {}
    Value(bool b) : m_v(b) {}
    Value(int i) : m_v(static_cast<std::int64_t>(i)) {}
    Value(std::int64_t i) : m_v(i) {}
    Value(double d) : m_v(d) {}
    Value(Currency c) : m_v(c) {}
    Value(Decimal d) : m_v(std::move(d)) {}
    Value(Date d) : m_v(d) {}
    Value(Time t) : m_v(t) {}
    Value(DateTime t) : m_v(t) {}
    Value(std::string s) : m_v(std::move(s)) {}
    Value(const char* s) : m_v(std::string(s)) {}
    Value(Bytes b) : m_v(std::move(b)) {}

    bool isNull() const { return std::holds_alternative<Null>(m_v); }
    template <typename T> bool is() const { return std::holds_alternative<T>(m_v); }
    template <typename T> const T& get() const { return std::get<T>(m_v); }
    // Moves the held T out (the value keeps a moved-from T), so a large text or byte string is not copied.
    template <typename T> T take() { return std::move(std::get<T>(m_v)); }
    const Storage& storage() const { return m_v; }
    // The held T to fill in place: the one the value holds, with its storage (a text's capacity), when it holds a
    // T, else a new one. For readers that decode row after row into the same values.
    template <typename T> T& reuse()
    {
        if (auto* held = std::get_if<T>(&m_v))
            return *held;
        return m_v.emplace<T>();
    }

    // The text a send puts between quotes. Locale-independent, so data moves between machines unchanged:
    // integers in decimal; doubles in the shortest text that reads back to the same double; currency and
    // decimals exact without trailing zeros after the point; YYYY-MM-DD, hh:mm:ss, YYYY-MM-DD hh:mm:ss[.mmm];
    // "True"/"False"; bytes as 0x and two lower-case hex digits a byte. Null gives the empty text.
    std::string toText() const;

    bool operator==(const Value&) const = default;

private:
    Storage m_v;
};

// Text helpers the value forms share with the parsers of the providers.
std::string doubleToText(double d);
std::string currencyToText(Currency c);
std::string bytesToHexText(const Bytes& b);

} // namespace db
