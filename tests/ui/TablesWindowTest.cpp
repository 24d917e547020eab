#include "UiFixture.h"
#include "ui/Form2.h"
#include "ui/MousePointer.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>

namespace {

// A mouse move over `widget`, delivered when the event loop next runs (in the middle of a command, that is when
// the command yields).
void postHover(QWidget& widget)
{
    QCoreApplication::postEvent(&widget, new QMouseEvent(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton,
                                                         Qt::NoButton, Qt::NoModifier));
}

void hover(QWidget& widget)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &move);
}

class TablesWindow : public UiTest {
protected:
    ui::Form2& open(int customerRows = 40)
    {
        const auto folder = foxProFolder("customers", customerRows);
        addFoxProTable(folder, "orders", 5);
        storeWorkingSettings(folder);
        ui::Form1& form1 = startForm1();
        EXPECT_TRUE(form1.hasTablesWindow() && form1.tablesWindow().isVisible());
        return form1.tablesWindow();
    }
};

TEST_F(TablesWindow, ASendFromTheWindowMovesTheRowsAndTheProgressBar)
{
    ui::Form2& form2 = open();
    ASSERT_EQ(entries(form2.list1()), (std::vector<std::string>{"customers", "orders"}));
    form2.list1().setCurrentRow(0);
    std::vector<int> progress;
    QObject::connect(&form2.progressBar(), &QProgressBar::valueChanged, [&](int v) { progress.push_back(v); });
    control<QPushButton>(form2, "PushButton3").click();

    EXPECT_TRUE(m_dialogs.shown().empty()) << (m_dialogs.shown().empty() ? "" : m_dialogs.shown()[0].text);
    EXPECT_EQ(entries(form2.list2()), std::vector<std::string>{"customers"});
    EXPECT_EQ(serverRowCount("customers"), 40);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(*std::max_element(progress.begin(), progress.end()), 100);
    EXPECT_EQ(form2.progressBar().value(), 0);
    EXPECT_EQ(form2.progressBar().text(), "Progress Bar");
    EXPECT_EQ(form2.pointer().value(), frame::PointerState::Default);
}

TEST_F(TablesWindow, DuringASendTheHourglassStaysAndOtherCommandsAreIgnored)
{
    ui::Form2& form2 = open();
    form2.list1().setCurrentRow(0); // customers only
    // Delivered at the send's first yield: a hover over a button, then a click on Select All, then a look.
    postHover(control<QPushButton>(form2, "PushButton12"));
    QPushButton& selectAll = control<QPushButton>(form2, "PushButton10");
    QMetaObject::invokeMethod(
        &selectAll, [&selectAll] { selectAll.click(); }, Qt::QueuedConnection);
    frame::PointerState pointerSeen = frame::PointerState::Default;
    Qt::CursorShape shapeSeen = Qt::BlankCursor;
    QMetaObject::invokeMethod(
        &form2,
        [&] {
            pointerSeen = form2.pointer().value();
            shapeSeen = form2.cursor().shape();
        },
        Qt::QueuedConnection);
    control<QPushButton>(form2, "PushButton3").click();

    EXPECT_EQ(pointerSeen, frame::PointerState::Hourglass);
    EXPECT_EQ(shapeSeen, Qt::WaitCursor);
    EXPECT_EQ(entries(form2.list2()), std::vector<std::string>{"customers"}) << "Select All ran in the middle";
    EXPECT_FALSE(form2.list1().item(1)->isSelected());
}

TEST_F(TablesWindow, HoveringButtonsShowsTheCustomPointerAndTheListsTheDefault)
{
    ui::Form2& form2 = open(1);
    hover(control<QPushButton>(form2, "PushButton4"));
    EXPECT_EQ(form2.pointer().value(), frame::PointerState::Custom);
    hover(*form2.list2().viewport());
    EXPECT_EQ(form2.pointer().value(), frame::PointerState::Default);
    hover(control<QPushButton>(form2, "PushButton2"));
    hover(form2);
    EXPECT_EQ(form2.pointer().value(), frame::PointerState::Default);
    form2.pointer().set(frame::PointerState::Hourglass);
    hover(control<QPushButton>(form2, "PushButton2"));
    hover(form2.list1());
    EXPECT_EQ(form2.pointer().value(), frame::PointerState::Hourglass);
}

TEST_F(TablesWindow, SelectAndDeselectAllTouchOnlyTheSelection)
{
    ui::Form2& form2 = open(1);
    control<QPushButton>(form2, "PushButton10").click();
    EXPECT_EQ(form2.list1().selectedItems().size(), 2);
    EXPECT_EQ(entries(form2.list1()), (std::vector<std::string>{"customers", "orders"}));
    control<QPushButton>(form2, "PushButton11").click();
    EXPECT_TRUE(form2.list1().selectedItems().isEmpty());
    control<QPushButton>(form2, "PushButton8").click(); // the empty ASE list: nothing to do, nothing said
    control<QPushButton>(form2, "PushButton9").click();
    EXPECT_TRUE(m_dialogs.shown().empty());
}

TEST_F(TablesWindow, HelpNamesTheContactPage)
{
    ui::Form2& form2 = open(1);
    control<QPushButton>(form2, "PushButton12").click();
    ASSERT_EQ(m_dialogs.messages().size(), 1u);
    EXPECT_TRUE(m_dialogs.messages()[0].starts_with("Questions? Please contact Team Haddlemere at http"));
    EXPECT_EQ(m_dialogs.shown()[0].style, 0);
}

TEST_F(TablesWindow, AnUnreachableServerIsReportedAndTheFoxProListStays)
{
    const auto folder = foxProFolder("customers", 1);
    storeWorkingSettings(folder);
    ui::Form1& form1 = startForm1();
    ui::Form2& form2 = form1.tablesWindow();
    control<QLineEdit>(form1, "Text1")
        .setText(QString::fromStdString("sqlite:" + (m_data.path() / "gone" / "x.db").string()));
    form2.Form_Load();
    EXPECT_EQ(entries(form2.list1()), std::vector<std::string>{"customers"});
    EXPECT_EQ(form2.list2().count(), 0);
    ASSERT_EQ(m_dialogs.messages().size(), 1u);
    EXPECT_NE(m_dialogs.messages()[0].find("in Corvalen2021/08/31.Form2.Form_Load at line 122"), std::string::npos);
}

} // namespace
