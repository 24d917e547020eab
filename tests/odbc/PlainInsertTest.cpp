// Which statements the stand-in runs with bound values: only the plain INSERT the send command builds.
#include "db/odbc/PlainInsert.h"

#include <gtest/gtest.h>

using db::odbc::PlainInsert;
using db::odbc::readPlainInsert;

namespace {

std::vector<std::string> valuesOf(const std::string& sql, std::string* head = nullptr)
{
    std::vector<std::string> values;
    PlainInsert insert;
    if (!readPlainInsert(sql, values, insert))
        return {"(not plain)"};
    if (head)
        *head = std::string(insert.head);
    values.resize(insert.count);
    return values;
}

} // namespace

TEST(PlainInsertTest, ReadsTheCommandsInsertWithItsValuesUnquoted)
{
    std::string head;
    EXPECT_EQ(valuesOf("INSERT INTO [My Table] VALUES('O''Brien', '', '''', 'Grüße 東京')", &head),
              (std::vector<std::string>{"O'Brien", "", "'", "Grüße 東京"}));
    EXPECT_EQ(head, "INSERT INTO [My Table] VALUES");
    EXPECT_EQ(valuesOf(" insert into t values ('a' ,\n'b;c)')\r\n", &head), (std::vector<std::string>{"a", "b;c)"}));
    EXPECT_EQ(head, "insert into t values");
    // Texts joined by +, as the send splits one after a backslash that ends a line, are one value.
    EXPECT_EQ(valuesOf("INSERT INTO [t] VALUES('C:\\' + '\r\nit''s', 'x'+'y' +'')"),
              (std::vector<std::string>{"C:\\\r\nit's", "xy"}));

    // The vector's strings are reused from row to row; only `count` of them belong to the row.
    std::vector<std::string> values;
    PlainInsert insert;
    ASSERT_TRUE(readPlainInsert("INSERT INTO [t] VALUES('1', '2', '3')", values, insert));
    ASSERT_TRUE(readPlainInsert("INSERT INTO [t] VALUES('x')", values, insert));
    EXPECT_EQ(insert.count, 1u);
    EXPECT_EQ(values[0], "x");
}

TEST(PlainInsertTest, AnythingElseIsLeftToRunAsText)
{
    const std::string notPlain[] = {
        "INSERT INTO [t] VALUES(1, 'a')",
        "INSERT INTO [t] VALUES(NULL)",
        "INSERT INTO [t] VALUES('a' + 1)",
        "INSERT INTO [t] VALUES('a' + )",
        "INSERT INTO [t] VALUES('a' || 'b')",
        "INSERT INTO [t] VALUES('a');",
        "INSERT INTO [t] VALUES('a') x",
        "INSERT INTO [t] VALUES('a'),('b')",
        "INSERT INTO [t] VALUES('a'",
        "INSERT INTO [t] VALUES('a)",
        "INSERT INTO [t] VALUES()",
        "INSERT INTO [t]([c]) VALUES('a')",
        "INSERT INTO [t] SELECT 'a'",
        "INSERT INTO \"t\" VALUES('a')",
        "INSERT INTO [t?] VALUES('a')",
        "INSERT OR REPLACE INTO [t] VALUES('a')",
        "INSERTINTO [t] VALUES('a')",
        "UPDATE [t] SET a = 'b'",
        std::string("INSERT INTO [t] VALUES('a\0b')", 29),
    };
    for (const auto& sql : notPlain)
        EXPECT_EQ(valuesOf(sql), std::vector<std::string>{"(not plain)"}) << sql;
}
