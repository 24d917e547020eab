// The last-update date in a table's header comes from the engine's header clock: set when the table is made and
// again when rows are appended, as Visual FoxPro does.
#include "TableTestSupport.h"
#include "db/vfp/table/DbfHeader.h"
#include "support/TestSupport.h"

#include <ctime>
#include <gtest/gtest.h>

namespace {

std::chrono::system_clock::time_point localNoon(int year, int month, int day)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = 12;
    tm.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&tm));
}

class FixedDay {
public:
    explicit FixedDay(std::chrono::system_clock::time_point day)
        : m_old(db::vfp::setHeaderClock([this] { return now; })), now(day)
    {
    }
    ~FixedDay() { db::vfp::setHeaderClock(m_old); }

private:
    db::vfp::HeaderClock m_old;

public:
    std::chrono::system_clock::time_point now;
};

std::string dateBytes(const std::filesystem::path& dbf)
{
    return filetest::bytesOf(dbf).substr(1, 3);
}

TEST(HeaderDate, CreationAndAppendsDateTheHeaderByTheHeaderClock)
{
    testsupport::TempDir dir;
    const auto dbf = dir.path() / "dated.dbf";
    FixedDay clock(localNoon(2031, 2, 3));
    filetest::writeTable(dbf, {filetest::field("NAME", 'C', 4)}, {});
    EXPECT_EQ(dateBytes(dbf), std::string("\x1F\x02\x03", 3));

    clock.now = localNoon(2099, 12, 31);
    {
        db::vfp::TableAppender appender(dbf);
        appender.append({db::Value("abc")});
    }
    EXPECT_EQ(dateBytes(dbf), std::string("\x63\x0C\x1F", 3));
}

} // namespace
