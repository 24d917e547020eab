#include "db/vfp/sql/SqlParser.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace db::vfp;

namespace {

std::string parseError(const std::string& sql)
{
    try {
        parseSql(sql);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "(accepted)";
}

// A column as CREATE TABLE gives it: nullable unless NOT NULL is written.
FieldDef col(const char* name, char type, int length, int decimals = 0, bool nullable = true)
{
    return db::vfp::makeField(name, type, {.length = length, .decimals = decimals, .nullable = nullable});
}

} // namespace

TEST(SqlParser, StatementsTheSendsWrite)
{
    auto select = std::get<SelectStatement>(parseSql("SELECT * FROM \"expense reports\""));
    EXPECT_EQ(select.table, "expense reports");

    auto create =
        std::get<CreateTableStatement>(parseSql("CREATE TABLE \"T\"(\"a\" M,\"b\" FLOAT,\"c\" M,\"d\" BLOB)"));
    EXPECT_EQ(create.table, "T");
    ASSERT_EQ(create.columns.size(), 4u);
    EXPECT_EQ(create.columns[0], col("a", 'M', 4));
    EXPECT_EQ(create.columns[1], col("b", 'B', 8));
    EXPECT_EQ(create.columns[3], col("d", 'W', 4));

    auto insert = std::get<InsertStatement>(parseSql("INSERT INTO \"T\" VALUES('O''Brien', NULL, '7', NULL)"));
    EXPECT_EQ(insert.table, "T");
    std::vector<SqlLiteral> expected = {{SqlLiteral::Kind::Text, "O'Brien"},
                                        {SqlLiteral::Kind::Null, ""},
                                        {SqlLiteral::Kind::Text, "7"},
                                        {SqlLiteral::Kind::Null, ""}};
    EXPECT_EQ(insert.values, expected);

    EXPECT_EQ(std::get<DropTableStatement>(parseSql("DROP TABLE \"T\"")).table, "T");
}

TEST(SqlParser, NamesQuotedOrBareWithSpacesAndDoubledQuotes)
{
    EXPECT_EQ(std::get<SelectStatement>(parseSql("select * from customers")).table, "customers");
    EXPECT_EQ(std::get<SelectStatement>(parseSql("SELECT * FROM \"say \"\"hi\"\"\"")).table, "say \"hi\"");
    EXPECT_EQ(std::get<DropTableStatement>(parseSql("drop\ttable\n\"a b\" ;")).table, "a b");
    auto create = std::get<CreateTableStatement>(parseSql("create table x (first_name c(20), \"a\"\"b\" i)"));
    EXPECT_EQ(create.columns[0].name, "first_name");
    EXPECT_EQ(create.columns[1].name, "a\"b");
    // Text values keep line breaks and every other character; only '' is undone.
    auto insert = std::get<InsertStatement>(parseSql("INSERT INTO \"T\" VALUES('a\r\nb\"c''', '')"));
    EXPECT_EQ(insert.values[0].text, "a\r\nb\"c'");
    EXPECT_EQ(insert.values[1].kind, SqlLiteral::Kind::Text);
    EXPECT_EQ(insert.values[1].text, "");
}

TEST(SqlParser, ColumnTypesSizesAndNulls)
{
    auto c = std::get<CreateTableStatement>(
                 parseSql("CREATE TABLE t (a C(10) NOT NULL, b V(30) NULL, c N(5,2), d F(12,3), e I, f B(2), g Y, h D, "
                          "i T, j L, k M NOCPTRANS, l G, m W, n Q(8), o Char(1) NOCPTRANS NOT NULL, p numeric(20), "
                          "q float, r blob, s integer, t datetime)"))
                 .columns;
    ASSERT_EQ(c.size(), 20u);
    EXPECT_EQ(c[0], col("a", 'C', 10, 0, false));
    EXPECT_EQ(c[1], col("b", 'V', 30));
    EXPECT_EQ(c[2], col("c", 'N', 5, 2));
    EXPECT_EQ(c[3], col("d", 'F', 12, 3));
    EXPECT_EQ(c[4], col("e", 'I', 4));
    EXPECT_EQ(c[5], col("f", 'B', 8, 2));
    EXPECT_EQ(c[6], col("g", 'Y', 8, 4));
    EXPECT_EQ(c[7], col("h", 'D', 8));
    EXPECT_EQ(c[8], col("i", 'T', 8));
    EXPECT_EQ(c[9], col("j", 'L', 1));
    EXPECT_TRUE(c[10].binary);
    EXPECT_EQ(c[10].type, 'M');
    EXPECT_EQ(c[11].type, 'G');
    EXPECT_EQ(c[12].type, 'W');
    EXPECT_EQ(c[13], col("n", 'Q', 8));
    EXPECT_TRUE(c[14].binary);
    EXPECT_FALSE(c[14].nullable);
    EXPECT_EQ(c[15], col("p", 'N', 20));
    EXPECT_EQ(c[16], col("q", 'B', 8));
    EXPECT_EQ(c[17].type, 'W');
    EXPECT_EQ(c[18].type, 'I');
    EXPECT_EQ(c[19].type, 'T');
}

TEST(SqlParser, NumbersAndSigns)
{
    auto v = std::get<InsertStatement>(parseSql("INSERT INTO t VALUES(-12.50, +3, 1e-3, .5, 7)")).values;
    ASSERT_EQ(v.size(), 5u);
    EXPECT_EQ(v[0], (SqlLiteral{SqlLiteral::Kind::Number, "-12.50"}));
    EXPECT_EQ(v[1].text, "3");
    EXPECT_EQ(v[2].text, "1e-3");
    EXPECT_EQ(v[3].text, ".5");
    EXPECT_EQ(v[4].text, "7");
}

TEST(SqlParser, ErrorsNamePositionAndToken)
{
    EXPECT_EQ(parseError("SELECT * FROMM \"x\""), "Syntax error at position 10 near 'FROMM'");
    EXPECT_EQ(parseError("SELECT * FROM \"x\" WHERE a = 1"), "Syntax error at position 19 near 'WHERE'");
    EXPECT_EQ(parseError("CREATE TABLE \"T\")"), "Syntax error at position 17 near ')'");
    EXPECT_EQ(parseError("INSERT INTO \"T\" VALU)"), "Syntax error at position 17 near 'VALU'");
    EXPECT_EQ(parseError("CREATE TABLE t (a X)"), "Syntax error at position 19 near 'X'");
    EXPECT_EQ(parseError("UPDATE t SET a = 1"), "Syntax error at position 1 near 'UPDATE'");
    EXPECT_NE(parseError("DROP TABLE").find("ends too early"), std::string::npos);
    EXPECT_NE(parseError("INSERT INTO t VALUES('abc)").find("position 22"), std::string::npos);
    EXPECT_NE(parseError("SELECT * FROM \"abc").find("never closed"), std::string::npos);
    EXPECT_NE(parseError("CREATE TABLE t (a C(255))").find("outside 1 to 254"), std::string::npos);
    EXPECT_NE(parseError("CREATE TABLE t (a C)"), "(accepted)");
    EXPECT_NE(parseError("CREATE TABLE t (a N(5,4))"), "(accepted)");
    EXPECT_NE(parseError("CREATE TABLE t ()"), "(accepted)");
    EXPECT_NE(parseError("INSERT INTO t VALUES()"), "(accepted)");
    EXPECT_NE(parseError(""), "(accepted)");
}

// Statements cut or spliced anywhere fail with an error, never anything worse.
TEST(SqlParser, DamagedStatementsOnlyEverThrow)
{
    const std::vector<std::string> pieces = {"SELECT", "*",  "FROM", "\"T\"", "CREATE", "TABLE", "(",      ")",
                                             ",",      "C(", "N(5,", "'a''",  "INSERT", "INTO",  "VALUES", "NULL",
                                             "-",      "1e", ".5",   "\"\"",  "'",      "\"",    ";",      "\n"};
    std::uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (int i = 0; i < 3000; ++i) {
        std::string sql;
        for (std::uint32_t n = next() % 12; n > 0; --n)
            sql += pieces[next() % pieces.size()] + (next() % 2 ? " " : "");
        try {
            parseSql(sql);
        } catch (const std::runtime_error&) {
        }
    }
    const std::string full = "INSERT INTO \"a b\" VALUES('x''y', -1.5e3, NULL)";
    for (size_t cut = 0; cut < full.size(); ++cut)
        EXPECT_THROW(parseSql(full.substr(0, cut)), std::runtime_error) << cut;
}
