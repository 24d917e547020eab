#include "db/vfp/VfpProvider.h"

#include "db/Connection.h"
#include "db/Recordset.h"
#include "support/TestSupport.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using db::Value;

namespace {

class VfpProviderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db::vfp::registerVfpProvider();
        connection.Open("Provider=vfpoledb.1;Data Source=" + dir.str() + ";Collating Sequence=general;");
    }

    std::vector<std::vector<Value>> rows(const std::string& table)
    {
        db::Recordset rs;
        rs.Open("SELECT * FROM \"" + table + "\"", connection, db::CursorType::Static, db::LockType::Optimistic);
        std::vector<std::vector<Value>> out;
        while (!rs.Eof()) {
            std::vector<Value> row;
            for (int i = 0; i < rs.FieldCount(); ++i)
                row.push_back(rs.fields(i).value());
            out.push_back(row);
            rs.MoveNext();
        }
        return out;
    }

    std::string failure(const std::string& sql)
    {
        try {
            connection.Execute(sql);
        } catch (const std::exception& e) {
            return e.what();
        }
        return "(succeeded)";
    }

    // Files of the folder, lower-cased, for checks that nothing else was touched.
    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.path()))
            names.push_back(db::toLowerAscii(e.path().filename().string()));
        std::sort(names.begin(), names.end());
        return names;
    }

    testsupport::TempDir dir;
    db::Connection connection;
};

// The text forms a send writes come back as the values they were made from, in every column type.
TEST_F(VfpProviderTest, EveryTypeRoundTripsThroughItsText)
{
    connection.Execute("CREATE TABLE \"all types\"(\"name\" C(20), \"note\" M, \"code\" V(10), \"amount\" N(12,3), "
                       "\"ratio\" F(20,10), \"count\" I, \"measure\" FLOAT, \"price\" Y, \"born\" D, \"seen\" T, "
                       "\"ok\" L, \"picture\" BLOB, \"raw\" Q(6), \"key\" C(4) NOCPTRANS, \"ole\" G)");
    std::vector<Value> row = {Value("O'Brien \"q\""),
                              Value("line1\r\nline2 ünïcødé €"),
                              Value("short"),
                              Value(db::Decimal{"-12.5"}),
                              Value(db::Decimal{"0.0000000001"}),
                              Value(std::int64_t{-2147483647}),
                              Value(0.1),
                              Value(db::Currency{-123456789}),
                              Value(db::Date{2024, 2, 29}),
                              Value(db::DateTime{{2023, 1, 2}, 3, 4, 5, 0}), // T keeps whole seconds
                              Value(true),
                              Value(db::Bytes{0, 1, 0, 0xff, '\'', 0x1a, 0}),
                              Value(db::Bytes{0, 0, 7}),
                              Value(db::Bytes{0xde, 0xad, 0, 0xef}),
                              Value(db::Bytes{1, 2, 3})};
    std::string sql = "INSERT INTO \"all types\" VALUES(";
    for (size_t i = 0; i < row.size(); ++i) {
        std::string text = row[i].toText();
        std::string quoted;
        for (char c : text)
            quoted += c == '\'' ? std::string("''") : std::string(1, c);
        sql += (i ? ", '" : "'") + quoted + "'";
    }
    connection.Execute(sql + ")");
    connection.Execute("INSERT INTO \"all types\" VALUES(NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
                       "NULL, NULL, NULL, NULL, NULL)");
    connection.Execute("insert into \"ALL TYPES\" values('x', 'y', 'z', -1.5, 2, 3, -4.25, 5.5, '20240101', "
                       "'2024-01-01 10:20:30', '.F.', '0x', '0x41', '0x00000000', 'plain')");

    auto got = rows("all types");
    ASSERT_EQ(got.size(), 3u);
    // Same kind of value and same text (a numeric column gives its decimals back: -12.500 for -12.5).
    for (size_t i = 0; i < row.size(); ++i) {
        EXPECT_EQ(got[0][i].storage().index(), row[i].storage().index()) << i;
        EXPECT_EQ(got[0][i].toText(), row[i].toText()) << i;
    }
    for (const auto& v : got[1])
        EXPECT_TRUE(v.isNull()) << v.toText();
    std::vector<std::string> third;
    for (const auto& v : got[2])
        third.push_back(v.toText());
    EXPECT_EQ(third,
              (std::vector<std::string>{"x", "y", "z", "-1.5", "2", "3", "-4.25", "5.5", "2024-01-01",
                                        "2024-01-01 10:20:30", "False", "0x", "0x41", "0x00000000", "0x706c61696e"}));

    db::Recordset rs;
    rs.Open("SELECT * FROM \"all types\"", connection);
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_EQ(rs.fields(0).Name(), "NAME");
    EXPECT_EQ(rs.fields(6).Type(), db::ado::Double);
    EXPECT_EQ(rs.fields(11).Type(), db::ado::LongVarBinary);
}

TEST_F(VfpProviderTest, FailedInsertsWriteNothing)
{
    connection.Execute("CREATE TABLE t (a N(5,2), b C(3) NOT NULL)");
    connection.Execute("INSERT INTO t VALUES(12.5, 'abc')");
    EXPECT_NE(failure("INSERT INTO t VALUES(1234.5, 'x')"), "(succeeded)"); // does not fit N(5,2)
    EXPECT_NE(failure("INSERT INTO t VALUES('abc', 'x')").find("'abc'"), std::string::npos);
    EXPECT_NE(failure("INSERT INTO t VALUES(1, NULL)").find("does not accept null"), std::string::npos);
    EXPECT_NE(failure("INSERT INTO t VALUES(1)").find("1 values for 2 columns"), std::string::npos);
    EXPECT_NE(failure("INSERT INTO missing VALUES(1)"), "(succeeded)");
    connection.Execute("INSERT INTO t VALUES(-1.25, 'd')");
    auto got = rows("t");
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0][0].toText(), "12.5");
    EXPECT_EQ(got[1][0].toText(), "-1.25");
    EXPECT_EQ(got[1][1], Value("d"));
}

TEST_F(VfpProviderTest, CreateOverAnExistingTableFailsAndKeepsIt)
{
    connection.Execute("CREATE TABLE \"Orders\" (id I)");
    connection.Execute("INSERT INTO \"Orders\" VALUES(7)");
    auto before = testsupport::readFile(dir.path() / "Orders.dbf");
    EXPECT_NE(failure("CREATE TABLE \"ORDERS\" (other C(5))").find("already exists"), std::string::npos);
    EXPECT_EQ(testsupport::readFile(dir.path() / "Orders.dbf"), before);
    EXPECT_EQ(files(), (std::vector<std::string>{"orders.dbf"}));
}

TEST_F(VfpProviderTest, DropRemovesTheFilesAndSchemaListsTables)
{
    connection.Execute("CREATE TABLE \"with memo\" (a M, b I)");
    connection.Execute("INSERT INTO \"with memo\" VALUES('text', 1)");
    connection.Execute("CREATE TABLE plain (a C(1))");
    testsupport::writeFile(dir.path() / "notes.txt", "not a table");

    db::Recordset schema = connection.OpenSchema(db::Schema::Tables);
    std::vector<std::string> names;
    for (; !schema.Eof(); schema.MoveNext()) {
        EXPECT_EQ(schema.fields("TABLE_TYPE").value(), Value("TABLE"));
        names.push_back(schema.fields("TABLE_NAME").value().toText());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"plain", "with memo"}));

    connection.Execute("DROP TABLE \"WITH MEMO\"");
    EXPECT_EQ(files(), (std::vector<std::string>{"notes.txt", "plain.dbf"}));
    EXPECT_NE(failure("DROP TABLE \"with memo\"").find("does not exist"), std::string::npos);
    // A table created again after a drop starts empty.
    connection.Execute("CREATE TABLE \"with memo\" (a M)");
    EXPECT_TRUE(rows("with memo").empty());
}

TEST_F(VfpProviderTest, NoStatementReachesOutsideTheFolder)
{
    fs::path inner = dir.path() / "inner";
    fs::create_directory(inner);
    db::Connection innerConnection;
    innerConnection.Open("Provider=vfpoledb;Data Source=" + inner.string());
    for (const std::string& name :
         std::vector<std::string>{"../outside", "..", "a/b", "a\\b", (dir.path() / "abs").string(), "x\ty", "c:x"}) {
        for (const std::string& sql :
             std::vector<std::string>{"CREATE TABLE \"" + name + "\" (a I)", "DROP TABLE \"" + name + "\"",
                                      "INSERT INTO \"" + name + "\" VALUES(1)"}) {
            EXPECT_THROW(innerConnection.Execute(sql), std::runtime_error) << sql;
        }
        db::Recordset rs;
        EXPECT_THROW(rs.Open("SELECT * FROM \"" + name + "\"", innerConnection), std::runtime_error) << name;
    }
    EXPECT_EQ(files(), (std::vector<std::string>{"inner"}));
    EXPECT_TRUE(fs::is_empty(inner));
}

TEST_F(VfpProviderTest, OpenFailsClearlyOnAMissingSource)
{
    db::Connection c;
    try {
        c.Open("Provider=VFPOLEDB.1;Data Source=" + (dir.path() / "nowhere").string() + ";");
        FAIL();
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("does not exist"), std::string::npos) << e.what();
    }
    EXPECT_THROW(c.Open("Provider=vfpoledb.1;Data Source=" + (dir.path() / "no.dbc").string()), std::runtime_error);
    EXPECT_THROW(c.Open("Provider=vfpoledb.1;Collating Sequence=general;"), std::runtime_error);
    EXPECT_FALSE(c.isOpen());
}

TEST_F(VfpProviderTest, QueryRefusesStatementsWithoutRows)
{
    connection.Execute("CREATE TABLE t (a I)");
    db::Recordset rs;
    EXPECT_THROW(rs.Open("DROP TABLE t", connection), std::runtime_error);
    EXPECT_EQ(files(), (std::vector<std::string>{"t.dbf"}));
}

// Two sessions on one folder: each sees what the other did to a table before it adds its own rows.
TEST_F(VfpProviderTest, SessionsInterleavingOnOneTableLoseNoRows)
{
    db::Connection other;
    other.Open("Provider=vfpoledb.1;Data Source=" + dir.str());
    connection.Execute("CREATE TABLE t (a I)");
    for (int i = 0; i < 3; ++i) {
        connection.Execute("INSERT INTO t VALUES(" + std::to_string(2 * i) + ")");
        other.Execute("INSERT INTO t VALUES(" + std::to_string(2 * i + 1) + ")");
    }
    EXPECT_EQ(rows("t").size(), 6u);
    other.Execute("DROP TABLE t");
    other.Execute("CREATE TABLE t (a I)");
    connection.Execute("INSERT INTO t VALUES(42)");
    auto got = rows("t");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0][0], Value(std::int64_t{42}));
}

// A copy sends one INSERT per row through the open appender; the rows are all there afterwards (its speed is
// measured by the benchmarks).
TEST_F(VfpProviderTest, ManyInsertsAreAllThere)
{
    connection.Execute("CREATE TABLE \"big\"(\"a\" M,\"b\" FLOAT,\"c\" M,\"d\" BLOB)");
    const int n = 20000;
    for (int i = 0; i < n; ++i)
        connection.Execute("INSERT INTO \"big\" VALUES('row " + std::to_string(i) + "', '" + std::to_string(i) +
                           ".5', NULL, '0x00ff')");
    db::Recordset rs;
    rs.Open("SELECT * FROM \"big\"", connection);
    EXPECT_EQ(rs.RecordCount(), n);
    EXPECT_EQ(rs.fields("b").value(), Value(0.5));
}

} // namespace
