#include "ui/WindowHelpers.h"

#include "support/TestSupport.h"
#include "ui/QtDialogs.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <set>

namespace {

TEST(WindowHelpers, FileExistsNeverFails)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir.path() / "HAND-M.CUR", "x");
    EXPECT_TRUE(ui::FileExists(QString::fromStdString((dir.path() / "HAND-M.CUR").string())));
    EXPECT_FALSE(ui::FileExists(QString::fromStdString((dir.path() / "missing").string())));
    EXPECT_FALSE(ui::FileExists(""));
}

TEST(WindowHelpers, FilesBesideTheProgramUseThePlatformSeparator)
{
    EXPECT_EQ(ui::besideProgram("\\x\\o.cjs"), ui::ProgramFolder() + "/x/o.cjs");
}

TEST(WindowHelpers, TitleLosesWholeWordsDownToFortyCharacters)
{
    // 50 characters, last word 6, the one before 5: the first cut leaves 43, the second 37.
    const QString fifty = "Aaaaaaaaa Bbbbbbbbb Cccccccccc Dddddd Eeeee Ffffff";
    ASSERT_EQ(fifty.size(), 50);
    EXPECT_EQ(ui::shortenedTitle(fifty).size(), 37);
    const QString forty = "Aaaaaaaaa Bbbbbbbbb Cccccccccc Ddddddddd";
    ASSERT_EQ(forty.size(), 40);
    EXPECT_EQ(ui::shortenedTitle(forty), "Aaaaaaaaa Bbbbbbbbb Cccccccccc");
    EXPECT_EQ(ui::shortenedTitle("Corvalen"), "Corvalen");
    EXPECT_EQ(ui::SetApplicationTitle(), "Corvalen");
    EXPECT_EQ(ui::applicationTitle(), "Corvalen");
}

TEST(WindowHelpers, WebSiteOpensOnlyOnSevenAndAboutOnceInAHundredStarts)
{
    int opened = 0;
    QString address;
    auto open = [&](const QString& a) {
        ++opened;
        address = a;
        return true;
    };
    for (int n = 1; n <= 100; ++n)
        ui::VisitWebSiteAtRandom([n] { return n; }, open);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(address, "https://www.example.com/");

    // Starts at different times of day: about one in a hundred draws a 7, and every number comes up.
    int sevens = 0;
    std::set<int> seen;
    for (unsigned msOfDay = 0; msOfDay < 20000; ++msOfDay) {
        const int n = ui::drawOneToHundred(msOfDay);
        seen.insert(n);
        sevens += n == 7;
    }
    EXPECT_GT(sevens, 140);
    EXPECT_LT(sevens, 260);
    EXPECT_EQ(seen.size(), 100u);
    EXPECT_EQ(*seen.begin(), 1);
    EXPECT_EQ(*seen.rbegin(), 100);
}

TEST(WindowHelpers, ResetBackColorsPaintsFramesAndLabelsButNotTextBoxes)
{
    QWidget window;
    auto* frame = new QGroupBox(&window);
    auto* label = new QLabel(frame);
    auto* text = new QLineEdit(frame);
    const QColor before = text->palette().color(QPalette::Window);
    ui::ResetBackColors(window);
    const QColor face = QApplication::palette().color(QPalette::Button);
    EXPECT_EQ(window.palette().color(QPalette::Window), face);
    EXPECT_EQ(frame->palette().color(QPalette::Window), face);
    EXPECT_EQ(label->palette().color(QPalette::Window), face);
    EXPECT_FALSE(text->autoFillBackground());
    EXPECT_EQ(text->palette().color(QPalette::Window), before);
}

TEST(WindowHelpers, SkinIsLeftAloneWhenTheFileIsMissing)
{
    QWidget form1;
    ui::ApplySkin(form1); // no x/o.cjs beside the test program
    EXPECT_FALSE(form1.autoFillBackground());
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

TEST(WindowHelpers, ABrowserThatDoesNotStartIsAFailureNamingTheAddress)
{
    try {
        ui::VisitWebSiteAtRandom([] { return 7; }, [](const QString&) { return false; });
        FAIL() << "a browser that did not start passed as opened";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("https://www.example.com/"), std::string::npos) << e.what();
    }
    EXPECT_NO_THROW(ui::VisitWebSiteAtRandom([] { return 8; }, [](const QString&) { return false; }));
}

// Runs `step` once the message box the dialogs are about to show is up; the box answers through its buttons.
void whenTheBoxIsUp(const std::function<void(QMessageBox&)>& step)
{
    QTimer::singleShot(0, [step] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        step(*box);
    });
}

TEST(QtDialogs, AYesNoQuestionBelongsToTheAskingWindowAndEscDoesNothing)
{
    QWidget window;
    window.show();
    QApplication::setActiveWindow(&window);
    ui::QtDialogs dialogs;
    QWidget* owner = nullptr;
    bool visibleAfterEsc = false;
    whenTheBoxIsUp([&](QMessageBox& box) {
        owner = box.parentWidget();
        QTest::keyClick(&box, Qt::Key_Escape);
        box.close();
        visibleAfterEsc = box.isVisible();
        box.button(QMessageBox::No)->click();
    });
    EXPECT_EQ(dialogs.messageBox("Would you like to overwrite x?", frame::YesNo, "Overwrite?"), frame::AnswerNo);
    EXPECT_EQ(owner, &window);
    EXPECT_TRUE(visibleAfterEsc);

    // An OK message still closes with Esc.
    whenTheBoxIsUp([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_EQ(dialogs.messageBox("Connection successful.", frame::OkOnly, ""), frame::AnswerOk);
}

TEST(QtDialogs, LoneCarriageReturnsBreakLinesOnScreenAndFiltersReadAsQtFilters)
{
    EXPECT_EQ(ui::displayText("a\r\nb\r\rc"), "a\nb\n\nc");
    EXPECT_EQ(ui::qtFileFilter("Microsoft Database (*.dbc)|*.dbc|"), "Microsoft Database (*.dbc)");
    EXPECT_EQ(ui::qtFileFilter("Tables|*.dbf|All|*.*|"), "Tables (*.dbf);;All (*.*)");
}

} // namespace
