#include "frame/ListHelpers.h"

#include "frame/TableList.h"

#include <gtest/gtest.h>

namespace {

frame::TableList listOf(const std::vector<std::string>& names)
{
    frame::TableList list;
    for (const std::string& n : names)
        list.add(n);
    return list;
}

TEST(ListHelpers, ContainsComparesLowerCasedTextsIncludingNonAscii)
{
    const frame::TableList list = listOf({"Orders", "ÄRGER", "kunden"});
    EXPECT_TRUE(frame::ListContains(list, "ORDERS"));
    EXPECT_TRUE(frame::ListContains(list, "ärger"));
    EXPECT_TRUE(frame::ListContains(list, "KUNDEN"));
    EXPECT_FALSE(frame::ListContains(list, "order"));
    EXPECT_FALSE(frame::ListContains(frame::TableList{}, ""));
}

TEST(ListHelpers, RemoveTakesExactMatchesAndSkipsTheEntryAfterEachRemoval)
{
    frame::TableList list = listOf({"a", "A", "a", "a", "b"});
    frame::RemoveListItem(list, "a");
    // The scan goes on at the next index after a removal, so of two neighbours only the first goes.
    EXPECT_EQ(list.texts(), (std::vector<std::string>{"A", "a", "b"}));
}

TEST(ListHelpers, LowerTextFoldsUtf8AndKeepsBytesThatAreNotUtf8)
{
    EXPECT_EQ(frame::lowerText("ABC xyz 123"), "abc xyz 123");
    EXPECT_EQ(frame::lowerText("ÄÖÜ ΣΑΒ ДОМ"), "äöü σαβ дом");
    EXPECT_EQ(frame::lowerText("A\xC3(B\xFF"), "a\xC3(b\xFF");
    EXPECT_EQ(frame::lowerText("\xE2\x82"), "\xE2\x82"); // cut short
    EXPECT_EQ(frame::lowerText(""), "");
}

TEST(ListHelpers, NullToDefaultReplacesOnlyNull)
{
    EXPECT_EQ(frame::NullToDefault(db::Value(), db::Value("")), db::Value(""));
    EXPECT_EQ(frame::NullToDefault(db::Value(0), db::Value("")), db::Value(0));
    EXPECT_EQ(frame::NullToDefault(db::Value(false), db::Value("")), db::Value(false));
}

TEST(TableList, IndexesOutsideTheListFailWithTheListBoxMessage)
{
    frame::TableList list = listOf({"x", "y"});
    EXPECT_THROW(
        {
            try {
                list.text(2);
            } catch (const std::runtime_error& e) {
                EXPECT_STREQ(e.what(), "Invalid list index 2");
                throw;
            }
        },
        std::runtime_error);
    list.select(1);
    EXPECT_EQ(list.currentRow(), 1);
    EXPECT_EQ(list.selectedCount(), 1);
    list.removeAt(0);
    EXPECT_EQ(list.currentRow(), 0);
    EXPECT_THROW(list.removeAt(5), std::runtime_error);
}

} // namespace
