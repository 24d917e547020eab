#include "UiFixture.h"
#include "ui/AddFolder.h"
#include "ui/Form2.h"
#include "ui/MousePointer.h"
#include "ui/SortedList.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {

using Layout = UiTest;

TEST_F(Layout, ControlsSitWhereTheWindowsWereDrawn)
{
    ui::Form1& form1 = startForm1();
    EXPECT_EQ(form1.size(), QSize(536, 371));
    EXPECT_EQ(control<QLineEdit>(form1, "Text1").geometry(), QRect(96, 24, 289, 22));
    EXPECT_EQ(control<QPushButton>(form1, "PushButton4").geometry(), QRect(8, 337, 520, 27));
    EXPECT_EQ(control<QPushButton>(form1, "PushButton8").text(), "Load Sample/Example Datab");
    EXPECT_EQ(control<QRadioButton>(form1, "Option2").parentWidget()->objectName(), "Frame1");
    EXPECT_EQ(control<QLineEdit>(form1, "Text4").echoMode(), QLineEdit::Password);
    const QFont label = control<QLabel>(form1, "Label3").font();
    EXPECT_EQ(label.families().value(0), "Arial");
    EXPECT_TRUE(label.bold());
    EXPECT_DOUBLE_EQ(control<QPushButton>(form1, "PushButton2").font().pointSizeF(), 11.25);

    ui::Form2& form2 = form1.tablesWindow();
    EXPECT_EQ(form2.size(), QSize(536, 370));
    EXPECT_EQ(control<QGroupBox>(form2, "Frame2").title(), "Sybase ASE Tables");
    EXPECT_EQ(control<QProgressBar>(form2, "ProgressBar1").text(), "Progress Bar");
    for (int i = 1; i <= 12; ++i)
        EXPECT_NO_THROW(control<QPushButton>(form2, ("PushButton" + std::to_string(i)).c_str())) << i;
}

TEST(SortedList, KeepsEntriesInOrderIgnoringCaseWhereverTheyComeFrom)
{
    ui::SortedList list;
    list.setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (const char* name : {"orders", "Customers", "zeta", "ALPHA"})
        list.addItem(name);
    EXPECT_EQ(entries(list), (std::vector<std::string>{"ALPHA", "Customers", "orders", "zeta"}));
    list.item(2)->setSelected(true);
    list.addItem("beta");
    EXPECT_EQ(entries(list), (std::vector<std::string>{"ALPHA", "beta", "Customers", "orders", "zeta"}));
    EXPECT_TRUE(list.item(3)->isSelected()) << "an entry's selection stays with it";
}

TEST(SortedList, TakingTheFocusMakesNoEntryCurrent)
{
    ui::SortedList list;
    list.addItem("orders");
    list.show();
    list.activateWindow();
    list.setFocus(Qt::TabFocusReason);
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(&list, &focus);
    EXPECT_EQ(list.currentRow(), -1);
}

TEST(HandCursor, TheDrawnCursorLoadsWithItsHotSpotAtTheFingertip)
{
    const auto cursor = ui::loadCursorFile(CORVALEN_PROGRAM_DIR "/HAND-M.CUR");
    ASSERT_TRUE(cursor.has_value());
    EXPECT_EQ(cursor->hotSpot(), QPoint(5, 0));
    EXPECT_EQ(cursor->pixmap().size(), QSize(32, 32));
    EXPECT_EQ(cursor->pixmap().toImage().pixelColor(5, 0).alpha(), 255) << "the hot spot is on the outline";
    EXPECT_EQ(cursor->pixmap().toImage().pixelColor(31, 31).alpha(), 0);
}

TEST(HandCursor, AMissingFileLeavesTheDefaultLookAndABadOneFails)
{
    testsupport::TempDir dir;
    EXPECT_FALSE(ui::loadCursorFile(QString::fromStdString((dir.path() / "none.cur").string())).has_value());
    static const char bad[] = "\0\0\2\0\1\0 not a cursor at all";
    testsupport::writeFile(dir.path() / "bad.cur", std::string(bad, sizeof bad - 1));
    EXPECT_THROW(ui::readCursorFile(QString::fromStdString((dir.path() / "bad.cur").string())), std::runtime_error);

    QWidget window;
    ui::MousePointer pointer(window);
    pointer.set(frame::PointerState::Custom);
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    pointer.setCustomIcon(ui::loadCursorFile(CORVALEN_PROGRAM_DIR "/HAND-M.CUR"));
    EXPECT_EQ(window.cursor().shape(), Qt::BitmapCursor);
    pointer.set(frame::PointerState::Hourglass);
    EXPECT_EQ(window.cursor().shape(), Qt::WaitCursor);
}

using Pointer = UiTest;

TEST_F(Pointer, LabelsKeepTheHandUntilAFrameOrTextBoxIsReached)
{
    ui::Form1& form1 = startForm1();
    auto move = [](QWidget& w) {
        QMouseEvent e(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &e);
    };
    move(control<QPushButton>(form1, "PushButton2"));
    EXPECT_EQ(form1.pointer().value(), frame::PointerState::Custom);
    move(control<QLabel>(form1, "Label2"));
    EXPECT_EQ(form1.pointer().value(), frame::PointerState::Custom);
    move(control<QLineEdit>(form1, "Text3"));
    EXPECT_EQ(form1.pointer().value(), frame::PointerState::Default);
    move(control<QPushButton>(form1, "PushButton7"));
    move(control<QGroupBox>(form1, "Frame1"));
    EXPECT_EQ(form1.pointer().value(), frame::PointerState::Default);
}

} // namespace

namespace {

// Answers the next modal folder dialog: accepts it with its current selection, or cancels it.
void answerFolderDialog(bool accept, QString* selectedOnOpen)
{
    QTimer::singleShot(0, [accept, selectedOnOpen] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        if (selectedOnOpen && !dialog->selectedFiles().isEmpty())
            *selectedOnOpen = dialog->selectedFiles().first();
        QDialog* asDialog = dialog; // accept() is public on the base
        accept ? asDialog->accept() : asDialog->reject();
    });
}

TEST(FolderChooser, CancelGivesEmptyTextAndAcceptGivesTheInitiallySelectedFolder)
{
    testsupport::TempDir dir;
    const QString folder = QString::fromStdString((dir.path() / "free tables").string());
    std::filesystem::create_directories(dir.path() / "free tables");

    answerFolderDialog(false, nullptr);
    EXPECT_EQ(ui::BrowseForFolder(nullptr, "Please select folder:", folder), "");

    QString selected;
    answerFolderDialog(true, &selected);
    EXPECT_EQ(ui::BrowseForFolder(nullptr, "Please select folder:", folder), folder);
    EXPECT_EQ(selected, folder) << "the initial folder is selected when the dialog opens";
}

} // namespace
