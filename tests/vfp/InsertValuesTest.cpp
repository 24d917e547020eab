#include "db/vfp/sql/InsertValues.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace db::vfp;
using db::Value;

namespace {

FieldDef field(char type, int length = 0, int decimals = 0, bool binary = false, bool nullable = true)
{
    return db::vfp::makeField(std::string("F") + type, type,
                              {.length = length, .decimals = decimals, .nullable = nullable, .binary = binary});
}

SqlLiteral text(const std::string& s)
{
    return {SqlLiteral::Kind::Text, s};
}

Value convertOne(const SqlLiteral& lit, const FieldDef& f)
{
    return convertInsertValues({lit}, {f}).at(0);
}

std::string errorOf(const std::vector<SqlLiteral>& values, const std::vector<FieldDef>& fields)
{
    try {
        convertInsertValues(values, fields);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "(converted)";
}

} // namespace

// What a send writes (a value's toText between quotes) must come back as the same value.
TEST(InsertValues, EveryTextFormOfAValueComesBackEqual)
{
    const std::int64_t cmin = std::numeric_limits<std::int64_t>::min();
    const std::int64_t cmax = std::numeric_limits<std::int64_t>::max();
    std::vector<std::pair<FieldDef, Value>> cases = {
        {field('C', 20), Value("O'Brien \"x\"")},
        {field('M'), Value("line1\r\nline2 ünï")},
        {field('V', 10), Value("v")},
        {field('N', 12, 3), Value(db::Decimal{"-12.5"})},
        {field('N', 5), Value(db::Decimal{"0"})},
        {field('F', 20, 10), Value(db::Decimal{"0.0000000001"})},
        {field('I', 4), Value(std::int64_t{-2147483648LL})},
        {field('I', 4), Value(std::int64_t{2147483647})},
        {field('B', 8), Value(0.1)},
        {field('B', 8), Value(-2.5e-300)},
        {field('B', 8), Value(1e300)},
        {field('B', 8), Value(std::numeric_limits<double>::infinity())},
        {field('B', 8), Value(-std::numeric_limits<double>::infinity())},
        {field('Y', 8, 4), Value(db::Currency{-123456789})},
        {field('Y', 8, 4), Value(db::Currency{cmin})},
        {field('Y', 8, 4), Value(db::Currency{cmax})},
        {field('D', 8), Value(db::Date{2024, 2, 29})},
        {field('D', 8), Value(db::Date{1, 1, 1})},
        {field('T', 8), Value(db::DateTime{{2023, 12, 31}, 23, 59, 58, 0})},
        {field('T', 8), Value(db::DateTime{{2023, 1, 2}, 3, 4, 5, 67})},
        {field('L', 1), Value(true)},
        {field('L', 1), Value(false)},
        {field('W'), Value(db::Bytes{0, 1, 0, 0xff, 0x1a, '\''})},
        {field('G'), Value(db::Bytes{})},
        {field('Q', 8), Value(db::Bytes{0, 0, 0})},
        {field('C', 4, 0, true), Value(db::Bytes{0xde, 0xad, 0, 0xef})},
        {field('M', 4, 0, true), Value(db::Bytes{0})},
    };
    for (const auto& [f, v] : cases)
        EXPECT_EQ(convertOne(text(v.toText()), f), v) << f.type << " " << v.toText();
    EXPECT_TRUE(std::isnan(convertOne(text("NaN"), field('B')).get<double>()));
}

TEST(InsertValues, OtherSpellingsAndNumberLiterals)
{
    EXPECT_EQ(convertOne(text("20240131"), field('D')), Value(db::Date{2024, 1, 31}));
    EXPECT_EQ(convertOne(text("{^2024-01-31}"), field('D')), Value(db::Date{2024, 1, 31}));
    EXPECT_EQ(convertOne(text("2024-01-31"), field('T')), Value(db::DateTime{{2024, 1, 31}, 0, 0, 0, 0}));
    EXPECT_EQ(convertOne(text("{^2024-01-31T10:20:30}"), field('T')),
              Value(db::DateTime{{2024, 1, 31}, 10, 20, 30, 0}));
    EXPECT_EQ(convertOne(text("09:30:10"), field('T')), Value(db::DateTime{{1899, 12, 30}, 9, 30, 10, 0}));
    for (const char* t : {"True", "T", ".T.", "t", "1", "yes"})
        EXPECT_EQ(convertOne(text(t), field('L')), Value(true)) << t;
    for (const char* f : {"False", "F", ".f.", "0", "N"})
        EXPECT_EQ(convertOne(text(f), field('L')), Value(false)) << f;
    EXPECT_EQ(convertOne({SqlLiteral::Kind::Number, "-7"}, field('I')), Value(std::int64_t{-7}));
    EXPECT_EQ(convertOne({SqlLiteral::Kind::Number, "12.0"}, field('I')), Value(std::int64_t{12}));
    EXPECT_EQ(convertOne({SqlLiteral::Kind::Number, "1.5e2"}, field('N', 10, 2)), Value(db::Decimal{"150"}));
    EXPECT_EQ(convertOne({SqlLiteral::Kind::Number, "-.25"}, field('N', 10, 2)), Value(db::Decimal{"-0.25"}));
    EXPECT_EQ(convertOne(text(" 12 "), field('N', 10, 2)), Value(db::Decimal{"12"}));
    EXPECT_EQ(convertOne({SqlLiteral::Kind::Number, "12"}, field('C', 5)), Value("12"));
    EXPECT_EQ(convertOne(text("1.23456"), field('Y')), Value(db::Currency{12346}));
    EXPECT_EQ(convertOne(text("-1.23455"), field('Y')), Value(db::Currency{-12346}));
    // A blob given as plain text keeps the text's bytes.
    EXPECT_EQ(convertOne(text("ab"), field('W')), Value(db::Bytes{'a', 'b'}));
    // Character columns keep texts that look like hex.
    EXPECT_EQ(convertOne(text("0x41"), field('C', 4)), Value("0x41"));
}

TEST(InsertValues, NullsAndEmptyTexts)
{
    EXPECT_EQ(convertOne({SqlLiteral::Kind::Null, ""}, field('N', 5, 2)), Value(db::Null{}));
    EXPECT_EQ(convertOne(text(""), field('D')), Value(db::Null{}));
    EXPECT_EQ(convertOne(text(""), field('C', 3)), Value(""));
    EXPECT_EQ(errorOf({{SqlLiteral::Kind::Null, ""}}, {field('I', 4, 0, false, false)}),
              "Field FI does not accept null values.");
}

TEST(InsertValues, ValuesThatDoNotConvertNameColumnAndValue)
{
    EXPECT_EQ(errorOf({text("abc")}, {field('N', 5, 2)}), "Column FN (N(5,2)) cannot hold the value 'abc'.");
    for (const char* bad : {"1.2.3", "12a", "-", "1e", "NaN", "Infinity"})
        EXPECT_NE(errorOf({text(bad)}, {field('N', 10, 2)}), "(converted)") << bad;
    for (const char* bad : {"2147483648", "-2147483649", "1.5", "x"})
        EXPECT_NE(errorOf({text(bad)}, {field('I', 4)}), "(converted)") << bad;
    for (const char* bad : {"2023-02-29", "2024-13-01", "2024-1-1", "0000-01-01", "31.01.2024", "yesterday"})
        EXPECT_NE(errorOf({text(bad)}, {field('D', 8)}), "(converted)") << bad;
    for (const char* bad : {"2024-01-01 24:00:00", "2024-01-01 10:60", "2024-01-01x"})
        EXPECT_NE(errorOf({text(bad)}, {field('T', 8)}), "(converted)") << bad;
    for (const char* bad : {"922337203685477.5808", "1e20", "abc"})
        EXPECT_NE(errorOf({text(bad)}, {field('Y', 8)}), "(converted)") << bad;
    EXPECT_NE(errorOf({text("maybe")}, {field('L', 1)}), "(converted)");
    EXPECT_NE(errorOf({text("inf")}, {field('B', 8)}), "(converted)");

    std::vector<FieldDef> two = {field('C', 5), field('I', 4)};
    EXPECT_EQ(errorOf({text("a")}, two), "The statement gives 1 values for 2 columns.");
    EXPECT_EQ(errorOf({text("a"), text("1"), text("2")}, two), "The statement gives 3 values for 2 columns.");
    // Long names of a container are used in the message when given.
    try {
        convertInsertValues({text("x")}, {field('I', 4)}, {"quantity_ordered"});
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("quantity_ordered"), std::string::npos);
    }
}
