#include "frame/ErrorReport.h"

#include "frame/ErrorTrap.h"
#include "frame/Locations.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

TEST(ApplicationErrorMessage, IsBuiltByteForByte)
{
    EXPECT_EQ(frame::applicationErrorMessage(frame::loc::Form2_PushButton3_Click, 152, "Syntax error."),
              "Syntax error.\r\nin Corvalen2021/08/31.Form2.PushButton3_Click at line 152\r\r"
              "Please email screenshot of this message to support@example.com");
    EXPECT_EQ(frame::applicationErrorMessage(frame::loc::Form2_PushButton4_Click, 198, "bad", std::string("INSERT x")),
              "bad\r\nin Corvalen2021/08/31.Form2.PushButton4_Click at line 198\r\r"
              "Please email screenshot of this message to support@example.com\r\rsql: INSERT x");
    // Before the first statement is built the report still ends in "sql: " with nothing after it.
    auto empty = frame::applicationErrorMessage(frame::loc::Form2_PushButton3_Click, 112, "no server", std::string());
    EXPECT_TRUE(empty.ends_with("\r\rsql: "));
}

TEST(ApplicationErrorMessage, IsShownAsAWarningTitledApplicationError)
{
    testsupport::ScriptedDialogs dialogs;
    frame::ShowApplicationError(frame::loc::Form1_Form_Load, 126, "File not found");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].style, frame::Exclamation);
    EXPECT_EQ(dialogs.shown()[0].title, "Application Error");
}

int deepHelper(int depth)
{
    if (depth == 0)
        throw std::runtime_error("deep failure");
    return deepHelper(depth - 1);
}

// A small command written as its steps: the trap's continuation rules, one report per failure.
TEST(ErrorTrap, GoesOnWithTheNextStepAfterEachReport)
{
    testsupport::ScriptedDialogs dialogs;
    std::string statement;
    std::vector<int> ran;
    int assigned = 5;
    {
        frame::ErrorTrap trap(frame::loc::Form2_PushButton4_Click, &statement);
        trap.step(100, [&] { ran.push_back(100); });
        trap.step(102, [&] { assigned = deepHelper(3); }); // fails three calls deep: keeps the old value
        if (trap.test(104, [&]() -> bool { throw std::runtime_error("condition failed"); })) {
            trap.step(106, [&] { ran.push_back(106); }); // the block's body runs after a failed condition
        }
        for (int row = 0; row < 3; ++row) {
            trap.step(110, [&] { statement = "INSERT " + std::to_string(row); });
            trap.step(112, [&] {
                if (row == 1)
                    throw std::runtime_error("row refused");
                ran.push_back(200 + row);
            });
        }
        trap.step(114, [&] { throw std::runtime_error("last step"); });
        EXPECT_EQ(trap.failures(), 4);
    }
    EXPECT_EQ(assigned, 5);
    EXPECT_EQ(ran, (std::vector<int>{100, 106, 200, 202}));
    auto msgs = dialogs.messages();
    ASSERT_EQ(msgs.size(), 4u);
    EXPECT_TRUE(msgs[0].starts_with("deep failure\r\nin Corvalen2021/08/31.Form2.PushButton4_Click at line 102\r\r"));
    EXPECT_TRUE(msgs[0].ends_with("\r\rsql: ")); // no statement built yet
    EXPECT_TRUE(msgs[1].starts_with("condition failed\r\n"));
    EXPECT_NE(msgs[1].find("at line 104"), std::string::npos);
    EXPECT_TRUE(msgs[2].ends_with("sql: INSERT 1")); // the row's own statement
    EXPECT_NE(msgs[3].find("at line 114"), std::string::npos);
}

TEST(ErrorTrap, CommandsWithoutAStatementOmitTheSqlLine)
{
    testsupport::ScriptedDialogs dialogs;
    frame::ErrorTrap trap(frame::loc::Form1_PushButton6_Click);
    trap.step(100, [] { throw std::runtime_error("x"); });
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].find("sql: "), std::string::npos);
}

} // namespace
