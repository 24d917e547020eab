#include "db/vfp/table/FieldNames.h"
#include "db/vfp/table/TableNames.h"

#include <gtest/gtest.h>
#include <set>

using namespace db::vfp;

TEST(TableNames, RefusesNamesThatLeaveTheFolderOrCannotBeFiles)
{
    for (const std::string& bad : std::vector<std::string>{"",
                                                           "../x",
                                                           "..",
                                                           "a/b",
                                                           "a\\b",
                                                           "/etc/passwd",
                                                           "C:\\temp\\x",
                                                           "c:x",
                                                           "a*",
                                                           "a?",
                                                           "a<b",
                                                           "a>b",
                                                           "a|b",
                                                           "say \"hi\"",
                                                           "tab\there",
                                                           "line\nbreak",
                                                           std::string("nul\0x", 5),
                                                           "trailing ",
                                                           "trailing.",
                                                           "x..y",
                                                           std::string(252, 'a')})
        EXPECT_FALSE(isSafeTableName(bad)) << bad;
    for (const std::string& good : std::vector<std::string>{"customers", "expense reports", "Ünïcødé", "a.b", "O'Brien",
                                                            "[x]", "name_1", std::string(251, 'a')})
        EXPECT_TRUE(isSafeTableName(good)) << good;
    EXPECT_THROW(checkTableName("../x"), std::runtime_error);
}

TEST(FieldNames, UpperCasedCutAndUnique)
{
    EXPECT_EQ(shortFieldNames({"customer_address", "customer_area", "customer_age"}),
              (std::vector<std::string>{"CUSTOMER_A", "CUSTOMER_1", "CUSTOMER_2"}));
    EXPECT_EQ(shortFieldNames({"id", "Name", "first name", "größe", ""}),
              (std::vector<std::string>{"ID", "NAME", "FIRST_NAME", "GR____E", "FIELD"}));
    // Names that only differ in case, and a number suffix that meets a name already taken.
    EXPECT_EQ(shortFieldNames({"a", "A", "a1"}), (std::vector<std::string>{"A", "A1", "A11"}));

    std::vector<std::string> many;
    for (int i = 0; i < 150; ++i)
        many.push_back("a_very_long_column_" + std::to_string(i));
    auto names = shortFieldNames(many);
    std::set<std::string> unique(names.begin(), names.end());
    EXPECT_EQ(unique.size(), many.size());
    for (const auto& n : names)
        EXPECT_LE(n.size(), 10u) << n;
}
