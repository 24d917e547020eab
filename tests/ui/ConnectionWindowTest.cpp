#include "UiFixture.h"
#include "frame/BuildConstants.h"
#include "frame/SettingsStore.h"
#include "ui/ConnectionNotes.h"
#include "ui/Form2.h"
#include "ui/MousePointer.h"
#include "ui/QtDialogs.h"
#include "ui/WindowHelpers.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <unistd.h>

namespace {

using Start = UiTest;

TEST_F(Start, EmptyStoreShowsOnlyThePortAndStaysInTheConnectionWindow)
{
    ui::Form1& form1 = startForm1();
    for (const char* name : {"Text1", "Text3", "Text4", "Text5", "Text6", "Text7"})
        EXPECT_EQ(control<QLineEdit>(form1, name).text(), "") << name;
    EXPECT_EQ(control<QLineEdit>(form1, "Text2").text(), "5000");
    EXPECT_TRUE(control<QRadioButton>(form1, "Option1").isChecked());
    EXPECT_TRUE(form1.isVisible());
    EXPECT_FALSE(form1.hasTablesWindow() && form1.tablesWindow().isVisible());
    EXPECT_EQ(form1.windowTitle(), "Corvalen");
    // Showing the default port counts as a change, so the first start stores it; nothing else is written.
    EXPECT_EQ(stored("ASEPort"), "5000");
    EXPECT_EQ(stored("ASEServer"), "<missing>");
    EXPECT_EQ(stored("FoxproOption"), "<missing>");
    EXPECT_TRUE(m_dialogs.shown().empty()) << "the failing checks are silent";
}

TEST_F(Start, StoredValuesFillTheFieldsAndAnEmptyPortStaysEmpty)
{
    store("ASEServer", "srv1");
    store("ASEPort", "");
    store("ASEUser", "sa");
    store("ASEPassword", "pw'd");
    store("ASEDatabase", "pubs2");
    store("DBCFile", "/data/x.dbc");
    store("FreeTableFolder", "/data/free");
    ui::Form1& form1 = startForm1();
    const frame::ConnectionFields& f = form1.fields();
    EXPECT_EQ(f.aseServer, "srv1");
    EXPECT_EQ(f.asePort, "");
    EXPECT_EQ(f.aseUser, "sa");
    EXPECT_EQ(f.asePassword, "pw'd");
    EXPECT_EQ(f.aseDatabase, "pubs2");
    EXPECT_EQ(f.dbcFile, "/data/x.dbc");
    EXPECT_EQ(f.freeTableFolder, "/data/free");
    EXPECT_TRUE(f.useDbcFile);
}

TEST_F(Start, OnlyTheExactTextTwoSelectsTheFreeTableFolder)
{
    for (const auto& [value, freeTables] :
         std::vector<std::pair<QString, bool>>{{"2", true}, {"1", false}, {"", false}, {"2 ", false}, {"x", false}}) {
        store("FoxproOption", value);
        ui::Form1& form1 = startForm1();
        EXPECT_EQ(control<QRadioButton>(form1, "Option2").isChecked(), freeTables) << value.toStdString();
        EXPECT_EQ(control<QRadioButton>(form1, "Option1").isChecked(), !freeTables) << value.toStdString();
    }
}

TEST_F(Start, SettingsThatConnectGoStraightToTheTablesWindow)
{
    storeWorkingSettings(foxProFolder("customers", 3));
    ui::Form1& form1 = startForm1();
    ASSERT_TRUE(form1.hasTablesWindow());
    ui::Form2& form2 = form1.tablesWindow();
    EXPECT_TRUE(form2.isVisible());
    EXPECT_FALSE(form1.isVisible());
    EXPECT_EQ(entries(form2.list1()), std::vector<std::string>{"customers"});
    EXPECT_EQ(form2.windowTitle(), "Corvalen");
    EXPECT_TRUE(m_dialogs.shown().empty());
}

// The settings under a read-only configuration folder (for root, whom permissions do not stop, a file also stands
// where the settings folder would go): reading gives the defaults, and the one write that start-up makes (the
// default port) is reported once.
TEST_F(Start, AnUnwritableSettingsFolderStillShowsThePortAndAtMostOneMessage)
{
    if (::geteuid() == 0)
        testsupport::writeFile(m_config.path() / "Haddlemere", "");
    std::filesystem::permissions(m_config.path(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    ui::Form1& form1 = startForm1();
    std::filesystem::permissions(m_config.path(), std::filesystem::perms::owner_all);
    EXPECT_TRUE(form1.isVisible());
    EXPECT_EQ(control<QLineEdit>(form1, "Text2").text(), "5000");
    EXPECT_TRUE(control<QRadioButton>(form1, "Option1").isChecked());
    const auto messages = m_dialogs.messages();
    ASSERT_LE(messages.size(), 1u);
    if (!messages.empty()) {
        const std::string file = frame::settingsFilePath(frame::build::SettingsApp).toStdString();
        EXPECT_EQ(messages[0].rfind("Cannot write the settings file " + file + ": ", 0), 0u) << messages[0];
    }
    EXPECT_FALSE(std::filesystem::exists(m_config.path() / "Haddlemere" / "Haddlemere.ini"));
}

using NextCommand = UiTest;

TEST_F(NextCommand, AFailingSideShowsNothingAndStays)
{
    store("FreeTableFolder", QString::fromStdString(foxProFolder("orders", 1).string()));
    store("FoxproOption", "2");
    store("ASEServer", QString::fromStdString("sqlite:" + (m_data.path() / "no such folder" / "s.db").string()));
    ui::Form1& form1 = startForm1();
    ASSERT_TRUE(form1.isVisible());
    control<QPushButton>(form1, "PushButton4").click();
    EXPECT_TRUE(form1.isVisible());
    EXPECT_FALSE(form1.hasTablesWindow() && form1.tablesWindow().isVisible());
    EXPECT_EQ(form1.pointer().value(), frame::PointerState::Default);
    EXPECT_TRUE(m_dialogs.shown().empty());
}

TEST_F(NextCommand, BackThenNextReadsTheCataloguesAfresh)
{
    const auto folder = foxProFolder("customers", 1);
    storeWorkingSettings(folder);
    ui::Form1& form1 = startForm1();
    ui::Form2& form2 = form1.tablesWindow();
    control<QPushButton>(form2, "PushButton2").click(); // < Back
    EXPECT_TRUE(form1.isVisible());
    EXPECT_FALSE(form2.isVisible());
    addFoxProTable(folder, "Products", 2);
    control<QPushButton>(form1, "PushButton4").click(); // Next >
    EXPECT_TRUE(form2.isVisible());
    EXPECT_FALSE(form1.isVisible());
    EXPECT_EQ(entries(form2.list1()), (std::vector<std::string>{"customers", "Products"}));
}

using Browse = UiTest;

TEST_F(Browse, CancellingEitherDialogChangesAndStoresNothing)
{
    ui::Form1& form1 = startForm1();
    m_dialogs.answer(std::string());
    control<QPushButton>(form1, "PushButton1").click();
    m_dialogs.answer(std::string());
    control<QPushButton>(form1, "PushButton5").click();
    EXPECT_EQ(control<QLineEdit>(form1, "Text7").text(), "");
    EXPECT_EQ(control<QLineEdit>(form1, "Text6").text(), "");
    EXPECT_EQ(stored("FreeTableFolder"), "<missing>");
    EXPECT_EQ(stored("DBCFile"), "<missing>");
    ASSERT_EQ(m_dialogs.shown().size(), 2u);
    EXPECT_EQ(m_dialogs.shown()[0].kind, "folder");
    EXPECT_EQ(m_dialogs.shown()[0].text, "Please select folder:");
    EXPECT_EQ(m_dialogs.shown()[0].initial, "") << "the folder dialog never starts at the field's folder";
    EXPECT_EQ(m_dialogs.shown()[1].kind, "file");
    EXPECT_EQ(m_dialogs.shown()[1].title, "Select Foxpro Database");
    EXPECT_EQ(m_dialogs.shown()[1].initial, "Microsoft Database (*.dbc)|*.dbc|");
    EXPECT_EQ(m_dialogs.shown()[1].text, "") << "no file name to start with";
}

TEST_F(Browse, AChosenFolderOrFileFillsItsFieldAndIsStoredWithoutTouchingTheOption)
{
    ui::Form1& form1 = startForm1();
    m_dialogs.answer(std::string("/data/free tables"));
    control<QPushButton>(form1, "PushButton1").click();
    m_dialogs.answer(std::string("/data/shop.dbc"));
    control<QPushButton>(form1, "PushButton5").click();
    EXPECT_EQ(stored("FreeTableFolder"), "/data/free tables");
    EXPECT_EQ(stored("DBCFile"), "/data/shop.dbc");
    EXPECT_TRUE(control<QRadioButton>(form1, "Option1").isChecked());
    EXPECT_EQ(stored("FoxproOption"), "<missing>");
}

TEST_F(Browse, TheSampleCommandSelectsTheFolderOptionAndStoresBoth)
{
    ui::Form1& form1 = startForm1();
    control<QPushButton>(form1, "PushButton8").click();
    const QString samples = ui::ProgramFolder() + "/Samples";
    EXPECT_TRUE(control<QRadioButton>(form1, "Option2").isChecked());
    EXPECT_EQ(control<QLineEdit>(form1, "Text7").text(), samples);
    EXPECT_EQ(stored("FreeTableFolder"), samples);
    EXPECT_EQ(stored("FoxproOption"), "2");
    EXPECT_TRUE(form1.isVisible()) << "no move to the tables window";
    EXPECT_TRUE(m_dialogs.shown().empty());
}

using Fields = UiTest;

TEST_F(Fields, EveryKeystrokeIsStoredAndThePasswordIsMasked)
{
    ui::Form1& form1 = startForm1();
    QLineEdit& password = control<QLineEdit>(form1, "Text4");
    std::vector<QString> seen;
    for (QChar c : QString("se'c")) {
        QTest::keyClick(&password, c.toLatin1());
        seen.push_back(stored("ASEPassword"));
    }
    EXPECT_EQ(seen, (std::vector<QString>{"s", "se", "se'", "se'c"}));
    EXPECT_EQ(password.displayText(), "****");
    QTest::keyClick(&control<QLineEdit>(form1, "Text2"), Qt::Key_Backspace);
    EXPECT_EQ(stored("ASEPort"), "500");
}

TEST_F(Fields, TabbingSelectsTheWholeTextOfTheNextField)
{
    store("ASEServer", "server one");
    store("ASEUser", "sa");
    ui::Form1& form1 = startForm1();
    QApplication::setActiveWindow(&form1);
    QLineEdit& serverBox = control<QLineEdit>(form1, "Text1");
    serverBox.setFocus(Qt::OtherFocusReason);
    serverBox.setCursorPosition(3);
    QTest::keyClick(&serverBox, Qt::Key_Tab);
    QLineEdit& portBox = control<QLineEdit>(form1, "Text2");
    ASSERT_TRUE(portBox.hasFocus());
    EXPECT_EQ(portBox.selectedText(), "5000");
    QTest::keyClick(&portBox, Qt::Key_Tab);
    EXPECT_EQ(control<QLineEdit>(form1, "Text3").selectedText(), "sa");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(serverBox.selectedText(), "server one");
}

TEST_F(Fields, AStoreThatCannotBeWrittenIsReportedOnceNotOnEveryKeystroke)
{
    ui::Form1& form1 = startForm1();
    // A file where the settings folder should be: every write fails from now on.
    testsupport::writeFile(m_config.path() / "blocked", "");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((m_config.path() / "blocked").string()));
    QTest::keyClicks(&control<QLineEdit>(form1, "Text1"), "abc");
    EXPECT_EQ(m_dialogs.messages().size(), 1u);
}

using Notes = UiTest;

TEST_F(Notes, TheHelpNotesCarryTheirExactTexts)
{
    ui::Form1& form1 = startForm1();
    control<QPushButton>(form1, "PushButton3").click();
    control<QPushButton>(form1, "PushButton7").click();
    ASSERT_EQ(m_dialogs.shown().size(), 2u);
    const std::string ase = m_dialogs.shown()[0].text;
    EXPECT_EQ(ase.substr(0, 60), "This is how I was able to make a Sybase ASE connection: \r\rI ");
    EXPECT_NE(ase.find("\r\rSybase Adaptive Server Enterprise \xE2\x80\x93 Developer's Edition\r\rvia "),
              std::string::npos);
    EXPECT_TRUE(ase.ends_with("\r\rare installed during the client installation.\r\r"));
    EXPECT_EQ(std::count(ase.begin(), ase.end(), '\r'), 20);
    EXPECT_EQ(ase.find('\n'), std::string::npos);
    EXPECT_EQ(m_dialogs.shown()[0].style, 0);
    EXPECT_EQ(m_dialogs.shown()[0].title, "");
    EXPECT_EQ(m_dialogs.shown()[1].text, "Make sure FoxPro is closed while using this application.");
    // On screen the lone carriage returns become line breaks, so the lines read as separate paragraphs.
    EXPECT_TRUE(ui::displayText(ase).contains("connection: \n\nI purchased\n\n"));
}

} // namespace
