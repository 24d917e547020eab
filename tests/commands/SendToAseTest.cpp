#include "TransferFixture.h"
#include "commands/Commands.h"

#include <algorithm>

namespace transfertest {
namespace {

class SendToAseTest : public TransferTest {
protected:
    // A FoxPro table with a column of every kind, one row of values, one row of nulls, one row of edge values.
    void makeAllTypes()
    {
        fox("CREATE TABLE \"alltypes\" (cc C(10), vv V(12), nn N(12,2), ff F(10,3), ii I, bb B, yy Y, dd D, tt T, "
            "ll L, mm M, ww W, qq Q(8), gg G)");
        fox("INSERT INTO \"alltypes\" VALUES ('O''Brien', 'var''c', 1234.5, -0.125, 12, 2.5, 12.3456, '2024-02-29', "
            "'2021-08-31 23:59:58', 'True', 'line1\r\nline2 ''quoted'' Zürich €', '0x00ff10', '0x41', '0x0102')");
        fox("INSERT INTO \"alltypes\" VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
            "NULL, NULL, NULL)");
        fox("INSERT INTO \"alltypes\" VALUES ('', '', 0, 0, -2147483648, 0, 0, '1899-12-30', '2000-01-01 00:00:00', "
            "'False', '', '', '', '')");
    }

    void sendSelected(const std::vector<std::string>& names, const std::vector<std::string>& selected,
                      const std::string& current)
    {
        fill(m_list1, names, selected, current);
        commands::sendToAse(m_window);
    }
};

TEST_F(SendToAseTest, EveryValueOfEveryTypeArrivesAsItsText)
{
    makeAllTypes();
    const Rows source = foxRows("alltypes");
    sendSelected({"alltypes"}, {"alltypes"}, "alltypes");

    EXPECT_TRUE(errorReports().empty()) << errorReports().front();
    const Rows sent = aseRows("alltypes");
    ASSERT_EQ(sent.size(), source.size());
    for (size_t r = 0; r < sent.size(); ++r) {
        ASSERT_EQ(sent[r].size(), 14u);
        for (size_t c = 0; c < sent[r].size(); ++c) {
            ASSERT_TRUE(sent[r][c].is<std::string>()) << r << "," << c; // TEXT, never NULL: Null goes as ''
            EXPECT_EQ(sent[r][c].get<std::string>(), source[r][c].toText()) << r << "," << c;
        }
    }
    // A few values spelled out, so a change of the text forms shows here.
    EXPECT_EQ(text(sent[0][0]).substr(0, 7), "O'Brien");
    EXPECT_EQ(text(sent[0][4]), "12");
    EXPECT_EQ(text(sent[0][10]), "line1\r\nline2 'quoted' Zürich €");
    EXPECT_EQ(text(sent[0][11]), "0x00ff10");
    for (const auto& v : sent[1])
        EXPECT_EQ(text(v), "");

    EXPECT_EQ(entries(m_list2), std::vector<std::string>{"alltypes"});
    EXPECT_EQ(m_progress.values, (std::vector<int>{33, 67, 100, 0}));
    EXPECT_EQ(m_progress.text, "Progress Bar");
    EXPECT_EQ(m_pointers, (std::vector<int>{11, 0, 0}));
}

TEST_F(SendToAseTest, NamesAreLowerCasedIntoTheAseListAndAnEmptyTableKeepsItsColumns)
{
    fox("CREATE TABLE \"Empty\" (a C(5), b I, c M)");
    sendSelected({"Empty"}, {"Empty"}, "Empty");
    EXPECT_TRUE(errorReports().empty());
    EXPECT_TRUE(aseHas("Empty"));
    EXPECT_TRUE(aseRows("Empty").empty());
    ase("INSERT INTO [Empty] ([A], [B], [C]) VALUES ('x', 'y', 'z')"); // all three columns are there
    EXPECT_EQ(entries(m_list2), std::vector<std::string>{"empty"});
    EXPECT_TRUE(m_progress.values == std::vector<int>{0});
}

TEST_F(SendToAseTest, OverwriteYesDropsAndRecreatesNoLeavesEverythingUntouched)
{
    fox("CREATE TABLE \"orders\" (n I)");
    fox("INSERT INTO \"orders\" VALUES (1)");
    fox("CREATE TABLE \"items\" (n I)");
    fox("INSERT INTO \"items\" VALUES (2)");
    ase("CREATE TABLE [Orders] (old TEXT)");
    ase("INSERT INTO [Orders] VALUES ('kept?')");
    ase("CREATE TABLE [ITEMS] (old TEXT)");
    ase("INSERT INTO [ITEMS] VALUES ('kept')");
    fill(m_list2, {"Orders", "ITEMS"}, {}, "");
    m_dialogs.answer(frame::AnswerYes); // orders (the bottom entry comes first)
    m_dialogs.answer(frame::AnswerNo);  // items
    sendSelected({"items", "orders"}, {"items", "orders"}, "items");

    const auto shown = m_dialogs.shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Would you like to overwrite orders?");
    EXPECT_EQ(shown[0].title, "Overwrite?");
    EXPECT_EQ(shown[0].style, frame::YesNo);
    EXPECT_EQ(shown[1].text, "Would you like to overwrite items?");
    EXPECT_EQ(aseRows("orders"), (Rows{{db::Value("1")}}));
    EXPECT_EQ(aseRows("ITEMS"), (Rows{{db::Value("kept")}}));
    // "Orders" was removed only in its lower-cased form, so the old spelling stays beside the new one.
    EXPECT_EQ(entries(m_list2), (std::vector<std::string>{"ITEMS", "Orders", "orders"}));
    EXPECT_EQ(m_progress.values, (std::vector<int>{100, 0})); // nothing for the table kept
}

TEST_F(SendToAseTest, TablesRunFromTheBottomOfTheListUp)
{
    std::vector<std::string> names{"t1", "t2", "t3", "t4", "t5", "t6"};
    for (const auto& n : names)
        fox("CREATE TABLE \"" + n + "\" (n I)");
    ase("CREATE TABLE [T2] (n TEXT)");
    ase("CREATE TABLE [T5] (n TEXT)");
    fill(m_list2, {"T2", "T5"}, {}, "");
    m_dialogs.answer(frame::AnswerYes);
    m_dialogs.answer(frame::AnswerYes);
    sendSelected(names, {"t2", "t5"}, "t1");
    const auto msgs = m_dialogs.messages();
    EXPECT_EQ(msgs, (std::vector<std::string>{"Would you like to overwrite t5?", "Would you like to overwrite t2?"}));
    EXPECT_FALSE(aseHas("t1"));
}

TEST_F(SendToAseTest, WithoutACurrentEntryItAsksForOneAndOpensNothing)
{
    fox("CREATE TABLE \"t\" (n I)");
    sendSelected({"t"}, {"t"}, "");
    EXPECT_EQ(m_dialogs.messages(), std::vector<std::string>{"Please select a table"});
    EXPECT_EQ(m_dialogs.shown()[0].style, frame::OkOnly);
    EXPECT_TRUE(m_pointers.empty());
    EXPECT_FALSE(std::filesystem::exists(m_serverFile)); // the stand-in server was never opened
}

TEST_F(SendToAseTest, ACurrentEntryWithNothingSelectedTouchesNothing)
{
    fox("CREATE TABLE \"t\" (n I)");
    sendSelected({"t"}, {}, "t");
    EXPECT_TRUE(m_dialogs.shown().empty());
    EXPECT_FALSE(aseHas("t"));
    EXPECT_TRUE(m_list2.count() == 0);
    EXPECT_EQ(m_pointers, (std::vector<int>{11, 0}));
}

// A CREATE that fails sends no rows: without this, the rows would go into a table of that name the list does not
// show (ASE's listing hides names holding "sys"; a table made since the listing), mixed with its own.
TEST_F(SendToAseTest, AFailingCreateSendsNoRowsAndAddsNoEntry)
{
    fox("CREATE TABLE \"sysnotes\" (a C(3), b I)");
    fox("INSERT INTO \"sysnotes\" VALUES ('x', 1)");
    fox("INSERT INTO \"sysnotes\" VALUES ('y', 2)");
    fox("CREATE TABLE \"after\" (n I)");
    fox("INSERT INTO \"after\" VALUES (5)");
    ase("CREATE TABLE [sysnotes] (a TEXT, b TEXT)"); // on the server but hidden from the list: no question
    ase("INSERT INTO [sysnotes] VALUES ('hidden', 'h1')");
    ase("INSERT INTO [sysnotes] VALUES ('hidden', 'h2')");
    sendSelected({"after", "sysnotes"}, {"after", "sysnotes"}, "after");

    const auto reports = errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("in Corvalen2021/08/31.Form2.PushButton3_Click at line 196\r\r"), std::string::npos);
    EXPECT_TRUE(reports[0].ends_with("\r\rsql: CREATE TABLE [sysnotes]([A] TEXT,[B] TEXT)"));
    EXPECT_EQ(aseRows("sysnotes"),
              (Rows{{db::Value("hidden"), db::Value("h1")}, {db::Value("hidden"), db::Value("h2")}}));
    EXPECT_EQ(aseRows("after"), (Rows{{db::Value("5")}})); // the next table goes on
    EXPECT_EQ(entries(m_list2), std::vector<std::string>{"after"});
    EXPECT_EQ(m_pointers.back(), 0);
    EXPECT_EQ(m_progress.text, "Progress Bar");
}

// A record whose memo pointer lies past the end of the memo file: the failed read is reported once where the row
// is moved to, and the record is skipped. Nothing of it is sent, neither its first values nor the rest of the
// row before it.
TEST_F(SendToAseTest, AnUnreadableRecordIsReportedOnceAndTheRowsAroundItArriveWhole)
{
    fox("CREATE TABLE \"memos\" (n I, m M, c C(5))");
    fox("INSERT INTO \"memos\" VALUES (1, 'one', 'a')");
    fox("INSERT INTO \"memos\" VALUES (2, 'two', 'b')");
    fox("INSERT INTO \"memos\" VALUES (3, 'three', 'c')");
    pointMemoPastEnd("memos", 2);
    sendSelected({"memos"}, {"memos"}, "memos");

    const auto reports = errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].starts_with("The table memos.dbf cannot be read: in record 2, ")) << reports[0];
    EXPECT_NE(reports[0].find("at line 240\r\r"), std::string::npos);
    EXPECT_EQ(aseRows("memos"), (Rows{{db::Value("1"), db::Value("one"), db::Value("a")},
                                      {db::Value("3"), db::Value("three"), db::Value("c")}}));
    EXPECT_EQ(entries(m_list2), std::vector<std::string>{"memos"});
    EXPECT_EQ(m_progress.values, (std::vector<int>{33, 67, 100, 0}));
}

// A table whose first record cannot be read does not open; the recordset is closed again, so the next table
// (here one the user agreed to replace) opens and is replaced whole.
TEST_F(SendToAseTest, ATableThatCannotDeliverItsFirstRowLeavesTheNextToSendNormally)
{
    fox("CREATE TABLE \"alpha\" (n I, m M)");
    fox("INSERT INTO \"alpha\" VALUES (1, 'a1')");
    fox("INSERT INTO \"alpha\" VALUES (2, 'a2')");
    fox("CREATE TABLE \"zeta\" (n I, m M)");
    fox("INSERT INTO \"zeta\" VALUES (1, 'z1')");
    fox("INSERT INTO \"zeta\" VALUES (2, 'z2')");
    pointMemoPastEnd("zeta", 1);
    ase("CREATE TABLE [alpha] (old TEXT)");
    ase("INSERT INTO [alpha] VALUES ('old')");
    fill(m_list2, {"alpha"}, {}, "");
    m_dialogs.answer(frame::AnswerYes);
    sendSelected({"alpha", "zeta"}, {"alpha", "zeta"}, "alpha");

    const auto asked = m_dialogs.messages();
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "Would you like to overwrite alpha?"), 1);
    const auto reports = errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].starts_with("The table zeta.dbf cannot be read: in record 1, ")) << reports[0];
    EXPECT_NE(reports[0].find("at line 144\r\r"), std::string::npos);
    EXPECT_FALSE(aseHas("zeta"));
    EXPECT_EQ(aseRows("alpha"), (Rows{{db::Value("1"), db::Value("a1")}, {db::Value("2"), db::Value("a2")}}));
    EXPECT_EQ(entries(m_list2), std::vector<std::string>{"alpha"});
}

// "Yes" to the overwrite question drops the target only once the source is open and every name is accepted, so a
// table that cannot be sent leaves the target as it was.
TEST_F(SendToAseTest, OverwriteYesKeepsTheTargetWhenTheSourceCannotBeSent)
{
    fox("CREATE TABLE \"notes\" (n I, m M)");
    fox("INSERT INTO \"notes\" VALUES (1, 'gone')");
    std::filesystem::remove(m_foxFolder / "notes.fpt");
    fox("CREATE TABLE \"odd\" (ab I, c I)");
    fox("INSERT INTO \"odd\" VALUES (1, 2)");
    renameColumnInFile("odd", "AB", "A]B"); // a name ASE's brackets cannot hold
    for (const char* t : {"notes", "odd"}) {
        ase(std::string("CREATE TABLE [") + t + "] (old TEXT)");
        ase(std::string("INSERT INTO [") + t + "] VALUES ('k1')");
        ase(std::string("INSERT INTO [") + t + "] VALUES ('k2')");
    }
    fill(m_list2, {"notes", "odd"}, {}, "");
    m_dialogs.answer(frame::AnswerYes); // odd
    m_dialogs.answer(frame::AnswerYes); // notes
    sendSelected({"notes", "odd"}, {"notes", "odd"}, "notes");

    const auto reports = errorReports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_TRUE(reports[0].starts_with("The name A]B holds the character ]")) << reports[0];
    EXPECT_NE(reports[0].find("at line 154\r\r"), std::string::npos);
    EXPECT_NE(reports[1].find("notes.fpt) is missing"), std::string::npos) << reports[1];
    EXPECT_NE(reports[1].find("at line 144\r\r"), std::string::npos);
    for (const char* t : {"notes", "odd"})
        EXPECT_EQ(aseRows(t), (Rows{{db::Value("k1")}, {db::Value("k2")}})) << t;
    EXPECT_EQ(entries(m_list2), (std::vector<std::string>{"notes", "odd"}));
    EXPECT_EQ(m_pointers.back(), 0);
}

// A DROP that fails (here the listed name is a view) leaves the table and its entry as they were and sends nothing.
TEST_F(SendToAseTest, AFailingDropKeepsTheTargetAndItsEntry)
{
    fox("CREATE TABLE \"recent\" (n I)");
    fox("INSERT INTO \"recent\" VALUES (1)");
    ase("CREATE TABLE [base] (n TEXT)");
    ase("INSERT INTO [base] VALUES ('b')");
    ase("CREATE VIEW [recent] AS SELECT n FROM [base]");
    fill(m_list2, {"base", "recent"}, {}, "");
    m_dialogs.answer(frame::AnswerYes);
    sendSelected({"recent"}, {"recent"}, "recent");

    const auto reports = errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("at line 140\r\r"), std::string::npos) << reports[0];
    EXPECT_EQ(aseRows("recent"), (Rows{{db::Value("b")}}));
    EXPECT_EQ(aseRows("base"), (Rows{{db::Value("b")}}));
    EXPECT_EQ(entries(m_list2), (std::vector<std::string>{"base", "recent"}));
}

TEST_F(SendToAseTest, AFailureBeforeAnyStatementShowsAnEmptyStatementAndTheSendStillEnds)
{
    fox("CREATE TABLE \"a\" (n I)");
    fox("CREATE TABLE \"b\" (n I)");
    m_fields.aseServer = "sqlite:" + (m_dir.path() / "missing" / "server.db").string(); // the server cannot open
    sendSelected({"a", "b"}, {"a", "b"}, "a");

    const auto reports = errorReports();
    ASSERT_GE(reports.size(), 2u);
    EXPECT_NE(reports[0].find("at line 112\r\r"), std::string::npos);
    EXPECT_TRUE(reports[0].ends_with("\r\rsql: "));
    // Each table's CREATE then fails on the closed connection and names its own statement.
    EXPECT_NE(reports[1].find("at line 196"), std::string::npos);
    EXPECT_TRUE(reports[1].ends_with("sql: CREATE TABLE [b]([N] TEXT)"));
    EXPECT_NE(reports.back().find("at line 260"), std::string::npos);
    EXPECT_EQ(m_pointers.back(), 0);
    EXPECT_EQ(m_progress.text, "Progress Bar");
}

TEST_F(SendToAseTest, ATableWhoseSourceDoesNotOpenEndsAndTheNextGoesOn)
{
    fox("CREATE TABLE \"good\" (n I)");
    fox("INSERT INTO \"good\" VALUES (7)");
    sendSelected({"good", "vanished"}, {"good", "vanished"}, "good");
    const auto reports = errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("at line 144"), std::string::npos);
    EXPECT_EQ(aseRows("good"), (Rows{{db::Value("7")}}));
    EXPECT_EQ(entries(m_list2), std::vector<std::string>{"good"});
}

TEST_F(SendToAseTest, ANameHoldingTheClosingBracketIsRefusedAndNothingIsSent)
{
    fox("CREATE TABLE \"x]; DROP TABLE [keep\" (n I)");
    fox("INSERT INTO \"x]; DROP TABLE [keep\" VALUES (1)");
    ase("CREATE TABLE [keep] (n TEXT)");
    sendSelected({"x]; DROP TABLE [keep"}, {"x]; DROP TABLE [keep"}, "x]; DROP TABLE [keep");
    const auto reports = errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].starts_with("The name x]; DROP TABLE [keep holds the character ]"));
    EXPECT_NE(reports[0].find("at line 146"), std::string::npos);
    EXPECT_TRUE(aseHas("keep"));
    EXPECT_EQ(m_list2.count(), 0);
    EXPECT_EQ(m_pointers.back(), 0);
}

} // namespace
} // namespace transfertest
