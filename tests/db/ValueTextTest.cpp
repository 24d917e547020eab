#include "db/ConnectionString.h"
#include "db/Value.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>

namespace {

using db::Value;

TEST(ValueText, DoublesUseTheShortestTextThatReadsBack)
{
    EXPECT_EQ(Value(0.1).toText(), "0.1");
    EXPECT_EQ(Value(1e300).toText(), "1e+300");
    EXPECT_EQ(Value(-0.0).toText(), "0");
    EXPECT_EQ(Value(12.5).toText(), "12.5");
    EXPECT_EQ(Value(3.0).toText(), "3");
    for (double d : {0.1 + 0.2, 1.0 / 3, 5e-324, std::numeric_limits<double>::max(), -123456.789e-5})
        EXPECT_EQ(std::strtod(Value(d).toText().c_str(), nullptr), d) << Value(d).toText();
}

TEST(ValueText, CurrencyAndDecimalsAreExactWithoutTrailingZeros)
{
    EXPECT_EQ(Value(db::Currency{125000}).toText(), "12.5");
    EXPECT_EQ(Value(db::Currency{-1}).toText(), "-0.0001");
    EXPECT_EQ(Value(db::Currency{30000}).toText(), "3");
    EXPECT_EQ(Value(db::Currency{std::numeric_limits<std::int64_t>::min()}).toText(), "-922337203685477.5808");
    EXPECT_EQ(Value(db::Decimal{"12.50"}).toText(), "12.5");
    EXPECT_EQ(Value(db::Decimal{"-0.00"}).toText(), "0");
    EXPECT_EQ(Value(db::Decimal{"1200"}).toText(), "1200");
}

TEST(ValueText, DatesTimesBooleansBytesAndNull)
{
    EXPECT_EQ(Value(db::Date{2024, 2, 29}).toText(), "2024-02-29");
    EXPECT_EQ(Value(db::Time{9, 5, 0}).toText(), "09:05:00");
    EXPECT_EQ(Value(db::DateTime{{1999, 12, 31}, 23, 59, 58, 0}).toText(), "1999-12-31 23:59:58");
    EXPECT_EQ(Value(db::DateTime{{1999, 12, 31}, 23, 59, 58, 7}).toText(), "1999-12-31 23:59:58.007");
    // Out-of-range parts (an empty or damaged date in a table) come out as printf's "%0*d" writes them.
    EXPECT_EQ(Value(db::Date{0, 0, 0}).toText(), "0000-00-00");
    EXPECT_EQ(Value(db::Date{12345, 1, 100}).toText(), "12345-01-100");
    EXPECT_EQ(Value(db::Date{-1, -12, 5}).toText(), "-001--12-05");
    EXPECT_EQ(Value(db::Time{std::numeric_limits<int>::min(), 0, 0}).toText(), "-2147483648:00:00");
    EXPECT_EQ(Value(true).toText(), "True");
    EXPECT_EQ(Value(false).toText(), "False");
    EXPECT_EQ(Value(db::Bytes{0x00, 0xAB, 0x10}).toText(), "0x00ab10");
    EXPECT_EQ(Value(db::Bytes{}).toText(), "0x");
    EXPECT_EQ(Value().toText(), "");
    EXPECT_EQ(Value(std::int64_t{-42}).toText(), "-42");
    EXPECT_EQ(Value("O'Brien").toText(), "O'Brien");
}

TEST(ConnectionString, FollowsTheOleDbRules)
{
    auto cs =
        db::ConnectionString::parse("Provider=ASEOLEDB;Data Source=srv1:5000;User Id=sa;Password=;;Catalog=pubs2");
    EXPECT_EQ(cs.getOr("provider", ""), "ASEOLEDB");
    EXPECT_EQ(cs.getOr("DATA SOURCE", ""), "srv1:5000");
    EXPECT_EQ(cs.getOr("Password", "x"), "");
    EXPECT_EQ(cs.getOr("catalog", ""), "pubs2");
    EXPECT_EQ(cs.pairs().size(), 5u);

    auto quoted = db::ConnectionString::parse(" Data Source = \"C:\\a;b\";Password='it''s'; Extra = v w ;");
    EXPECT_EQ(quoted.getOr("Data Source", ""), "C:\\a;b");
    EXPECT_EQ(quoted.getOr("password", ""), "it's");
    EXPECT_EQ(quoted.getOr("extra", ""), "v w");
    EXPECT_FALSE(quoted.get("missing"));

    EXPECT_THROW(db::ConnectionString::parse("Provider=x;junk"), std::runtime_error);
    EXPECT_THROW(db::ConnectionString::parse("Password='open"), std::runtime_error);
}

} // namespace
