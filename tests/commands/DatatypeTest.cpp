#include "commands/Datatype.h"

#include "db/Provider.h"

#include <gtest/gtest.h>
#include <set>

namespace {

using commands::AdoTypeName;

TEST(AdoTypeName, NamesEveryMemberOfTheEnumerationExceptAdArray)
{
    const std::set<int> named{0,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,
                              14,  16,  17,  18,  19,  20,  21,  64,  72,  128, 129, 130, 131,
                              132, 133, 134, 135, 136, 138, 139, 200, 201, 202, 203, 204, 205};
    ASSERT_EQ(named.size(), 39u);
    std::set<std::string> names;
    for (int t = -300; t <= 9000; ++t) {
        const std::string name = AdoTypeName(static_cast<std::int16_t>(t));
        EXPECT_EQ(!name.empty(), named.count(t) == 1) << t;
        if (!name.empty())
            names.insert(name);
    }
    EXPECT_EQ(names.size(), 39u); // no two numbers share a name
    EXPECT_EQ(AdoTypeName(-32768), "");
    EXPECT_EQ(AdoTypeName(0x2000 + 200), ""); // adArray | adVarChar: no masking of flag bits
}

TEST(AdoTypeName, SpellsTheNamesTheSendToFoxProLooksFor)
{
    EXPECT_EQ(AdoTypeName(5), "adDouble");
    EXPECT_EQ(AdoTypeName(205), "adLongVarBinary");
    EXPECT_EQ(AdoTypeName(204), "adVarBinary");
    EXPECT_EQ(AdoTypeName(128), "adBinary");
    EXPECT_EQ(AdoTypeName(202), "adVarWChar");
    EXPECT_EQ(AdoTypeName(8), "adBSTR");
    EXPECT_EQ(AdoTypeName(72), "adGUID");
    EXPECT_EQ(AdoTypeName(135), "adDBTimeStamp");
    EXPECT_EQ(AdoTypeName(139), "adVarNumeric");
    EXPECT_EQ(AdoTypeName(21), "adUnsignedBigInt");
    for (int t : {1, 15, 137, 8192})
        EXPECT_EQ(AdoTypeName(static_cast<std::int16_t>(t)), "") << t;
    // The type numbers the providers report all have names.
    for (int t : {db::ado::Integer, db::ado::Double, db::ado::CurrencyType, db::ado::Boolean, db::ado::DBTimeStamp,
                  db::ado::VarChar, db::ado::LongVarChar, db::ado::LongVarBinary})
        EXPECT_FALSE(AdoTypeName(static_cast<std::int16_t>(t)).empty()) << t;
}

} // namespace
