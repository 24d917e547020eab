#include "db/vfp/table/TemporalText.h"

#include "db/vfp/table/NumberText.h"

#include <stdexcept>

namespace db::vfp {

namespace {

// Reads `count` digits at `pos`, advancing it; -1 when they are not all there.
int digitsAt(const std::string& s, std::size_t& pos, std::size_t count)
{
    if (pos + count > s.size())
        return -1;
    int v = 0;
    for (std::size_t i = 0; i < count; ++i) {
        char c = s[pos + i];
        if (c < '0' || c > '9')
            return -1;
        v = v * 10 + (c - '0');
    }
    pos += count;
    return v;
}

bool expect(const std::string& s, std::size_t& pos, char c)
{
    if (pos < s.size() && s[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

bool parseTime(const std::string& s, std::size_t& pos, db::DateTime& t)
{
    t.hour = digitsAt(s, pos, 2);
    if (t.hour < 0 || !expect(s, pos, ':') || (t.minute = digitsAt(s, pos, 2)) < 0)
        return false;
    if (expect(s, pos, ':') && (t.second = digitsAt(s, pos, 2)) < 0)
        return false;
    if (expect(s, pos, '.')) {
        std::size_t start = pos;
        int ms = 0;
        int scale = 100;
        while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
            ms += (s[pos] - '0') * scale;
            scale /= 10;
            ++pos;
        }
        if (pos == start)
            return false;
        t.millisecond = ms;
    }
    return t.hour < 24 && t.minute < 60 && t.second < 60;
}

} // namespace

std::optional<db::DateTime> parseDateTimeText(const std::string& text)
{
    std::string s = text;
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    std::size_t pos = s.find_first_not_of(' ');
    if (pos == std::string::npos)
        return std::nullopt;
    db::DateTime t;
    t.date.year = digitsAt(s, pos, 4);
    bool dashes = expect(s, pos, '-');
    t.date.month = digitsAt(s, pos, 2);
    if (dashes && !expect(s, pos, '-'))
        return std::nullopt;
    t.date.day = digitsAt(s, pos, 2);
    if (t.date.year < 0 || t.date.month < 0 || t.date.day < 0 || !isValidDate(t.date))
        return std::nullopt;
    if (pos == s.size())
        return t;
    if (!(expect(s, pos, ' ') || expect(s, pos, 'T')) || !parseTime(s, pos, t) || pos != s.size())
        return std::nullopt;
    return t;
}

db::DateTime dateTimeOfValue(const db::Value& v, const std::string& column)
{
    if (v.is<db::DateTime>())
        return v.get<db::DateTime>();
    if (v.is<db::Date>())
        return db::DateTime{v.get<db::Date>(), 0, 0, 0, 0};
    if (v.is<db::Time>()) {
        const auto& t = v.get<db::Time>();
        return db::DateTime{db::Date{1899, 12, 30}, t.hour, t.minute, t.second, 0};
    }
    if (v.is<std::string>())
        if (auto t = parseDateTimeText(v.get<std::string>()))
            return *t;
    throw std::runtime_error("The value " + (v.toText().empty() ? std::string("given") : "'" + v.toText() + "'") +
                             " for column " + column + " is not a date");
}

} // namespace db::vfp
