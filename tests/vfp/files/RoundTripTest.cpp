// Tables we create and fill, read back through our own reader: every type, nulls, empty values, long memos,
// binary data, code pages, the number rules and the exact bytes of what we write.
#include "TableTestSupport.h"
#include "db/vfp/table/TableFiles.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using db::Value;
using filetest::field;

std::vector<db::vfp::FieldDef> allTypes()
{
    return {field("CNAME", 'C', 20, 0, true),
            field("VNAME", 'V', 30, 0, true),
            field("AMOUNT", 'N', 12, 2),
            field("RATIO", 'F', 10, 3),
            field("COUNT", 'I', 4, 0, true),
            field("WEIGHT", 'B', 8, 2),
            field("PRICE", 'Y'),
            field("BORN", 'D', 8, 0, true),
            field("SEEN", 'T'),
            field("ACTIVE", 'L', 1, 0, true),
            field("NOTES", 'M', 4, 0, true),
            field("PICTURE", 'G'),
            field("BLOB", 'W'),
            field("VBIN", 'Q', 12),
            field("CBIN", 'C', 8, 0, false, true),
            field("MBIN", 'M', 4, 0, false, true)};
}

std::string longMemo()
{
    std::string text;
    while (text.size() < 70 * 1024)
        text += "Line " + std::to_string(text.size()) + " with \"quotes\", 'apostrophes' and a break\r\n";
    return text;
}

TEST(TableRoundTrip, everyTypeReadsBackAsWritten)
{
    testsupport::TempDir dir;
    auto dbf = dir.path() / "types.dbf";
    db::Bytes withNul = {'a', 0, 'b', 0, 0, 0xFF};
    std::vector<Value> full = {"O'Brien \"Bob\"",
                               "short",
                               db::Decimal{"-1234.5"},
                               1.25,
                               std::int64_t{-2147483647 - 1},
                               2.5,
                               db::Currency{-123456789},
                               db::Date{2024, 2, 29},
                               db::DateTime{{1999, 12, 31}, 23, 59, 58, 400},
                               true,
                               longMemo(),
                               withNul,
                               db::Bytes{1, 2, 3},
                               db::Bytes{0, 9},
                               withNul,
                               withNul};
    std::vector<Value> nulls(full.size(), db::Null{});
    std::vector<Value> empty = {"", "", "", "",          "",          "",          "",          "",
                                "", "", "", db::Bytes{}, db::Bytes{}, db::Bytes{}, db::Bytes{}, db::Bytes{}};
    filetest::writeTable(dbf, allTypes(), {full, nulls, empty});
    auto rows = filetest::readRows(dbf);
    ASSERT_EQ(rows.size(), 3u);
    std::vector<Value> expected = full;
    expected[2] = db::Decimal{"-1234.50"};
    expected[3] = db::Decimal{"1.250"};
    expected[8] = db::DateTime{{1999, 12, 31}, 23, 59, 58, 0};
    EXPECT_EQ(rows[0], expected);
    // NULL where the column allows it; elsewhere the blank of the type.
    std::vector<Value> blank = {db::Null{},      db::Null{},  db::Null{},  db::Null{}, db::Null{}, 0.0,
                                db::Currency{0}, db::Null{},  db::Null{},  db::Null{}, db::Null{}, db::Bytes{},
                                db::Bytes{},     db::Bytes{}, db::Bytes{}, db::Bytes{}};
    EXPECT_EQ(rows[1], blank);
    std::vector<Value> emptyBack = blank;
    emptyBack[0] = "";
    emptyBack[1] = "";
    emptyBack[4] = std::int64_t{0}; // blank text in a number column is the blank number, not NULL
    emptyBack[10] = "";
    EXPECT_EQ(rows[2], emptyBack);
}

TEST(TableRoundTrip, valuesOfOtherKindsAreConverted)
{
    testsupport::TempDir dir;
    auto dbf = dir.path() / "conv.dbf";
    std::vector<db::vfp::FieldDef> fields = {field("C", 'C', 10), field("N", 'N', 8, 2), field("I", 'I'),
                                             field("Y", 'Y'),     field("D", 'D'),       field("T", 'T'),
                                             field("L", 'L'),     field("B", 'B')};
    filetest::writeTable(dbf, fields,
                         {{std::int64_t{42}, "12.345", db::Decimal{"7.5"}, "19.99", "2024-01-31", "2024-01-31 08:15:30",
                           "F", std::int64_t{3}},
                          {true, 3.0, 2.0, std::int64_t{5}, db::DateTime{{2020, 5, 6}, 1, 2, 3, 0},
                           db::Date{2020, 5, 6}, std::int64_t{1}, db::Decimal{"0.1"}}});
    auto rows = filetest::readRows(dbf);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0],
              (std::vector<Value>{"42", db::Decimal{"12.35"}, std::int64_t{8}, db::Currency{199900},
                                  db::Date{2024, 1, 31}, db::DateTime{{2024, 1, 31}, 8, 15, 30, 0}, false, 3.0}));
    EXPECT_EQ(rows[1], (std::vector<Value>{"True", db::Decimal{"3.00"}, std::int64_t{2}, db::Currency{50000},
                                           db::Date{2020, 5, 6}, db::DateTime{{2020, 5, 6}, 0, 0, 0, 0}, true, 0.1}));
}

TEST(TableRoundTrip, impossibleValuesFailNamingTheColumnAndWriteNothing)
{
    testsupport::TempDir dir;
    auto dbf = dir.path() / "bad.dbf";
    filetest::writeTable(dbf, {field("AMOUNT", 'N', 5, 2), field("QTY", 'I'), field("DAY", 'D'), field("NAME", 'C', 3)},
                         {});
    db::vfp::TableAppender appender(dbf);
    auto fails = [&](std::vector<Value> row, const std::string& words) {
        try {
            appender.append(row);
            ADD_FAILURE() << "accepted a row that should fail with: " << words;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(words), std::string::npos) << e.what();
        }
    };
    fails({db::Decimal{"123.4"}, 1, "2020-01-01", "a"}, "AMOUNT"); // "123.40" needs 6 places
    fails({"abc", 1, "2020-01-01", "a"}, "AMOUNT");
    fails({1, 3000000000.0, "2020-01-01", "a"}, "QTY");
    fails({1, 1, "2020-02-30", "a"}, "DAY");
    fails({1, 1, "2020-01-01", "abcd"}, "NAME");
    fails({1, 1}, "4 columns");
    EXPECT_TRUE(filetest::readRows(dbf).empty());
    appender.append({db::Decimal{"-9.994"}, 1, db::Null{}, "abc "}); // still usable afterwards
    auto rows = filetest::readRows(dbf);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], Value(db::Decimal{"-9.99"}));
    EXPECT_EQ(rows[0][3], Value("abc"));
}

TEST(TableRoundTrip, numbersAreStoredRightAlignedWithExactDecimals)
{
    testsupport::TempDir dir;
    auto dbf = dir.path() / "num.dbf";
    filetest::writeTable(dbf, {field("A", 'N', 6, 2), field("B", 'N', 3, 2), field("C", 'N', 4)},
                         {{db::Decimal{"1.005"}, 0.5, db::Decimal{"-2.5"}}, {-0.004, db::Decimal{"0.25"}, 9999}});
    std::string bytes = filetest::bytesOf(dbf);
    std::size_t first = 32 + 32 * 3 + 1 + 263;
    EXPECT_EQ(bytes.substr(first, 14), "   1.01.50  -3");
    EXPECT_EQ(bytes.substr(first + 14, 14), "   0.00.259999");
    EXPECT_EQ(static_cast<unsigned char>(bytes.back()), 0x1A);
}

TEST(TableRoundTrip, textInTheTablesCodePage)
{
    testsupport::TempDir dir;
    auto western = dir.path() / "west.dbf";
    auto cyrillic = dir.path() / "cyr.dbf";
    std::vector<db::vfp::FieldDef> fields = {field("NAME", 'C', 20), field("NOTE", 'M'), field("VNAME", 'V', 20)};
    filetest::writeTable(western, fields, {{"Müller €ß", "Œuvre “quoted”\nnext", "Ärger"}}, 0x03);
    filetest::writeTable(cyrillic, fields, {{"Привет", "Съешь же ещё\r\n", "Ёж"}}, 0xC9);
    EXPECT_EQ(filetest::readRows(western)[0], (std::vector<Value>{"Müller €ß", "Œuvre “quoted”\nnext", "Ärger"}));
    EXPECT_EQ(filetest::readRows(cyrillic)[0], (std::vector<Value>{"Привет", "Съешь же ещё\r\n", "Ёж"}));
    // One byte a character in the file: "Привет" takes 6 of the 20.
    std::string bytes = filetest::bytesOf(cyrillic);
    EXPECT_EQ(bytes.substr(32 + 32 * 4 + 1 + 263 + 1, 20), "\xCF\xF0\xE8\xE2\xE5\xF2              ");
}

TEST(TableRoundTrip, aCharacterTheCodePageLacksIsAnErrorNotAQuestionMark)
{
    testsupport::TempDir dir;
    auto dbf = dir.path() / "cp.dbf";
    filetest::writeTable(dbf, {field("NAME", 'C', 20), field("NOTE", 'M')}, {});
    db::vfp::TableAppender appender(dbf);
    try {
        appender.append({"ok", "Привет"});
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        std::string text = e.what();
        EXPECT_NE(text.find("NOTE"), std::string::npos) << text;
        EXPECT_NE(text.find("U+041F"), std::string::npos) << text;
        EXPECT_NE(text.find("1252"), std::string::npos) << text;
    }
    EXPECT_TRUE(filetest::readRows(dbf).empty());
    EXPECT_EQ(filetest::bytesOf(dir.path() / "cp.fpt").size(), 512u); // no memo block was spent either
}

TEST(TableRoundTrip, newFilesHaveVisualFoxProsLayout)
{
    testsupport::TempDir dir;
    auto dbf = dir.path() / "memo.dbf";
    filetest::writeTable(dbf, {field("ID", 'I'), field("NOTE", 'M')}, {{1, std::string(100, 'x')}});
    std::string fpt = filetest::bytesOf(dir.path() / "memo.fpt");
    // 512-byte header, block size 64, the memo at block 8 taking ceil((8 + 100) / 64) = 2 blocks.
    EXPECT_EQ(fpt.substr(0, 8), std::string("\0\0\0\x0A\0\0\0\x40", 8));
    EXPECT_EQ(fpt.size(), 640u);
    EXPECT_EQ(fpt.substr(512, 8), std::string("\0\0\0\x01\0\0\0\x64", 8));
    std::string table = filetest::bytesOf(dbf);
    EXPECT_EQ(static_cast<unsigned char>(table[0]), 0x30);
    EXPECT_EQ(static_cast<unsigned char>(table[28]), 0x02);
    EXPECT_EQ(table.substr(4, 4), std::string("\x01\0\0\0", 4));
    EXPECT_EQ(table.size(), 32u + 64 + 1 + 263 + 9 + 1);
    EXPECT_EQ(table.substr(32 + 64 + 1 + 263 + 5, 4), std::string("\x08\0\0\0", 4));
}

TEST(TableRoundTrip, creatingOverAnExistingTableIsRefused)
{
    testsupport::TempDir dir;
    filetest::writeTable(dir.path() / "t.DBF", {field("A", 'C', 1)}, {{"x"}});
    try {
        db::vfp::createTableFiles(dir.path() / "T.dbf", {field("B", 'C', 2)}, 0x03);
        FAIL() << "created over an existing table";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("already exists"), std::string::npos) << e.what();
    }
    EXPECT_EQ(filetest::readRows(dir.path() / "t.DBF").size(), 1u);
}

TEST(TableRoundTrip, companionFilesAreFoundAndRemovedIgnoringCase)
{
    testsupport::TempDir dir;
    filetest::writeTable(dir.path() / "Calls.DBF", {field("NOTE", 'M')}, {{"memo"}});
    ASSERT_TRUE(std::filesystem::exists(dir.path() / "Calls.FPT"));
    testsupport::writeFile(dir.path() / "calls.cdx", "index");
    EXPECT_EQ(db::vfp::findFileIgnoreCase(dir.path(), "CALLS.dbf"), dir.path() / "Calls.DBF");
    EXPECT_EQ(filetest::readRows(dir.path() / "Calls.DBF")[0][0], Value("memo"));
    db::vfp::removeTableFiles(dir.path() / "calls.dbf");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

} // namespace
