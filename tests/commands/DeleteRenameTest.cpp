#include "TransferFixture.h"
#include "commands/Commands.h"

namespace transfertest {
namespace {

using DeleteTest = TransferTest;
using RenameTest = TransferTest;

TEST_F(DeleteTest, FoxProSideDropsTheSelectedTablesAndTheirEntries)
{
    for (const char* n : {"a", "b", "c"})
        fox(std::string("CREATE TABLE \"") + n + "\" (n I)");
    fill(m_list1, {"a", "b", "c"}, {"a", "c"}, "b");
    commands::deleteFoxProTables(m_window);
    EXPECT_TRUE(m_dialogs.shown().empty()); // no question before a drop
    EXPECT_FALSE(foxHas("a"));
    EXPECT_TRUE(foxHas("b"));
    EXPECT_FALSE(foxHas("c"));
    EXPECT_EQ(entries(m_list1), std::vector<std::string>{"b"});
    EXPECT_EQ(m_pointers, (std::vector<int>{11, 0}));
}

TEST_F(DeleteTest, AseSideDropsTheSelectedTablesAndTheirEntries)
{
    for (const char* n : {"a", "b", "c"})
        ase(std::string("CREATE TABLE [") + n + "] (n TEXT)");
    fill(m_list2, {"a", "b", "c"}, {"b", "c"}, "a");
    commands::deleteAseTables(m_window);
    EXPECT_TRUE(m_dialogs.shown().empty());
    EXPECT_TRUE(aseHas("a"));
    EXPECT_FALSE(aseHas("b"));
    EXPECT_FALSE(aseHas("c"));
    EXPECT_EQ(entries(m_list2), std::vector<std::string>{"a"});
    EXPECT_EQ(m_pointers, (std::vector<int>{11, 0}));
}

TEST_F(DeleteTest, AFailedDropIsReportedAndItsEntryStays)
{
    ase("CREATE TABLE [real] (n TEXT)");
    fill(m_list2, {"ghost", "real"}, {"ghost", "real"}, "real");
    commands::deleteAseTables(m_window);
    const auto reports = errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("in Corvalen2021/08/31.Form2.PushButton5_Click at line 116\r\r"), std::string::npos);
    EXPECT_EQ(reports[0].find("sql: "), std::string::npos); // the deletions carry no statement text
    EXPECT_FALSE(aseHas("real"));
    EXPECT_EQ(entries(m_list2), std::vector<std::string>{"ghost"});

    fill(m_list1, {"ghost"}, {"ghost"}, "ghost");
    commands::deleteFoxProTables(m_window);
    ASSERT_EQ(errorReports().size(), 2u);
    EXPECT_NE(errorReports()[1].find("PushButton1_Click at line 120\r\r"), std::string::npos);
    EXPECT_EQ(entries(m_list1), std::vector<std::string>{"ghost"});
    EXPECT_EQ(m_pointers.back(), 0);
}

TEST_F(DeleteTest, AConnectionThatDoesNotOpenLeavesEveryEntry)
{
    m_fields.freeTableFolder = (m_dir.path() / "no-such-folder").string();
    fill(m_list1, {"a", "b"}, {"a", "b"}, "a");
    commands::deleteFoxProTables(m_window);
    const auto reports = errorReports();
    ASSERT_EQ(reports.size(), 3u); // the open, then each drop
    EXPECT_NE(reports[0].find("at line 108"), std::string::npos);
    EXPECT_EQ(entries(m_list1), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(m_pointers, (std::vector<int>{11, 0}));
}

TEST_F(DeleteTest, NothingCurrentAsksForATableNothingSelectedDoesNothing)
{
    ase("CREATE TABLE [a] (n TEXT)");
    fill(m_list2, {"a"}, {"a"}, "");
    commands::deleteAseTables(m_window);
    EXPECT_EQ(m_dialogs.messages(), std::vector<std::string>{"Please select a table"});
    fill(m_list1, {"a"}, {"a"}, "");
    commands::deleteFoxProTables(m_window);
    EXPECT_EQ(m_dialogs.messages().size(), 2u);
    EXPECT_EQ(m_dialogs.messages()[1], "Please select a table");
    m_dialogs.clear();
    fill(m_list2, {"a"}, {}, "a");
    commands::deleteAseTables(m_window);
    EXPECT_TRUE(m_dialogs.shown().empty());
    EXPECT_TRUE(aseHas("a"));
    EXPECT_EQ(m_list2.count(), 1);
    EXPECT_EQ(m_pointers.back(), 0);
}

TEST_F(DeleteTest, ANameThatWouldEndItsDelimitersIsRefusedNotSent)
{
    ase("CREATE TABLE [keep] (n TEXT)");
    fox("CREATE TABLE \"keep\" (n I)");
    fill(m_list2, {"x]; DROP TABLE [keep"}, {"x]; DROP TABLE [keep"}, "x]; DROP TABLE [keep");
    commands::deleteAseTables(m_window);
    fill(m_list1, {"x\"; DROP TABLE \"keep"}, {"x\"; DROP TABLE \"keep"}, "x\"; DROP TABLE \"keep");
    commands::deleteFoxProTables(m_window);
    const auto reports = errorReports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_TRUE(reports[0].starts_with("The name x]; DROP TABLE [keep holds the character ]"));
    EXPECT_TRUE(reports[1].starts_with("The name x\"; DROP TABLE \"keep holds the character \""));
    EXPECT_TRUE(aseHas("keep"));
    EXPECT_TRUE(foxHas("keep"));
    EXPECT_EQ(m_list1.count(), 1);
    EXPECT_EQ(m_list2.count(), 1);
}

TEST_F(DeleteTest, AClickDuringASendIsIgnored)
{
    fox("CREATE TABLE \"sending\" (n I)");
    fox("INSERT INTO \"sending\" VALUES (1)");
    fill(m_list1, {"sending"}, {"sending"}, "sending");
    bool clicked = false;
    m_window.yield = [&] {
        if (clicked)
            return;
        clicked = true;
        commands::deleteFoxProTables(m_window); // Delete on the FoxPro side while the table is being sent
        commands::renameAseEntry(m_window);
    };
    commands::sendToAse(m_window);
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(m_dialogs.shown().empty());
    EXPECT_TRUE(foxHas("sending"));
    EXPECT_EQ(aseRows("sending"), (Rows{{db::Value("1")}}));
    EXPECT_FALSE(m_window.busy.active());
}

TEST_F(RenameTest, RenamesOnlyTheListEntry)
{
    fox("CREATE TABLE \"old\" (n I)");
    fill(m_list1, {"aaa", "old"}, {"old"}, "aaa");
    m_dialogs.answer(std::string("new name"));
    commands::renameFoxProEntry(m_window);
    ASSERT_EQ(m_dialogs.shown().size(), 1u);
    EXPECT_EQ(m_dialogs.shown()[0].kind, "input");
    EXPECT_EQ(m_dialogs.shown()[0].text, "Enter new name of aaa:"); // the current entry names the prompt
    EXPECT_EQ(m_dialogs.shown()[0].initial, "old");                 // the selected one the default
    EXPECT_EQ(entries(m_list1), (std::vector<std::string>{"aaa", "new name"}));
    EXPECT_TRUE(foxHas("old"));
    EXPECT_EQ(m_pointers, (std::vector<int>{11, 0}));
}

TEST_F(RenameTest, AnEmptyAnswerChangesNothing)
{
    fill(m_list1, {"old"}, {"old"}, "old");
    m_dialogs.answer(std::string());
    commands::renameFoxProEntry(m_window);
    EXPECT_EQ(entries(m_list1), std::vector<std::string>{"old"});
}

TEST_F(RenameTest, RefusesAnythingButOneSelectedEntryWithACurrentOne)
{
    fill(m_list1, {"a", "b"}, {"a", "b"}, "a");
    commands::renameFoxProEntry(m_window);
    fill(m_list1, {"a", "b"}, {}, "a");
    commands::renameFoxProEntry(m_window);
    fill(m_list1, {"a", "b"}, {"b"}, "");
    commands::renameFoxProEntry(m_window);
    EXPECT_EQ(m_dialogs.messages(), (std::vector<std::string>{"Please select just one table to rename.",
                                                              "Please select just one table to rename.",
                                                              "Please select a table to rename."}));
    EXPECT_TRUE(m_pointers.empty());
}

TEST_F(RenameTest, TheAseSideIsDisabled)
{
    fill(m_list2, {"a"}, {"a"}, "a");
    commands::renameAseEntry(m_window);
    EXPECT_EQ(m_dialogs.messages(), std::vector<std::string>{"This feature is disabled."});
    EXPECT_EQ(m_dialogs.shown()[0].style, frame::OkOnly);
    EXPECT_EQ(entries(m_list2), std::vector<std::string>{"a"});
}

} // namespace
} // namespace transfertest
