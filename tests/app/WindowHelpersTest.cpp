#include "app/WindowHelpers.h"

#include "app/ListHelpers.h"
#include "app/QtDialogs.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QWidget>
#include <gtest/gtest.h>
#include <set>

namespace {

QListWidget* listOf(QWidget& owner, std::initializer_list<const char*> items)
{
    auto* list = new QListWidget(&owner);
    for (auto* i : items)
        list->addItem(i);
    return list;
}

TEST(ListHelpers, ContainsComparesWholeItemsIgnoringCaseAndRemoveIsExact)
{
    QWidget owner;
    auto* list = listOf(owner, {"Customers", "Orders"});
    EXPECT_TRUE(app::ListContains(*list, "ORDERS"));
    EXPECT_FALSE(app::ListContains(*list, "Order"));
    EXPECT_FALSE(app::ListContains(*listOf(owner, {}), "x"));

    app::RemoveListItem(*list, "orders");
    EXPECT_EQ(list->count(), 2);
    app::RemoveListItem(*list, "Orders");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "Customers");
}

TEST(ListHelpers, RemoveSkipsTheItemThatMovesIntoTheFreedPlace)
{
    QWidget owner;
    auto* list = listOf(owner, {"a", "a", "b"});
    app::RemoveListItem(*list, "a");
    ASSERT_EQ(list->count(), 2); // the second "a" moved to index 0 and is not looked at again
    EXPECT_EQ(list->item(0)->text(), "a");
}

TEST(ListHelpers, NullToDefaultReplacesOnlyNull)
{
    EXPECT_EQ(app::NullToDefault(db::Value(), db::Value("")), db::Value(""));
    EXPECT_EQ(app::NullToDefault(db::Value(0), db::Value("")), db::Value(0));
    EXPECT_EQ(app::NullToDefault(db::Value(false), db::Value("")), db::Value(false));
}

TEST(WindowHelpers, FileExistsNeverFails)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir.path() / "HAND-M.CUR", "x");
    EXPECT_TRUE(app::FileExists(QString::fromStdString((dir.path() / "HAND-M.CUR").string())));
    EXPECT_FALSE(app::FileExists(QString::fromStdString((dir.path() / "missing").string())));
    EXPECT_FALSE(app::FileExists(""));
}

TEST(WindowHelpers, FilesBesideTheProgramUseThePlatformSeparator)
{
    EXPECT_EQ(app::besideProgram("\\x\\o.cjs"), app::ProgramFolder() + "/x/o.cjs");
}

TEST(WindowHelpers, TitleLosesWholeWordsDownToFortyCharacters)
{
    // 50 characters, last word 6, the one before 5: the first cut leaves 43, the second 37.
    const QString fifty = "Aaaaaaaaa Bbbbbbbbb Cccccccccc Dddddd Eeeee Ffffff";
    ASSERT_EQ(fifty.size(), 50);
    EXPECT_EQ(app::shortenedTitle(fifty).size(), 37);
    const QString forty = "Aaaaaaaaa Bbbbbbbbb Cccccccccc Ddddddddd";
    ASSERT_EQ(forty.size(), 40);
    EXPECT_EQ(app::shortenedTitle(forty), "Aaaaaaaaa Bbbbbbbbb Cccccccccc");
    EXPECT_EQ(app::shortenedTitle("Corvalen"), "Corvalen");
    EXPECT_EQ(app::SetApplicationTitle(), "Corvalen");
    EXPECT_EQ(app::applicationTitle(), "Corvalen");
}

TEST(WindowHelpers, WebSiteOpensOnlyOnSevenAndAboutOnceInAHundredStarts)
{
    int opened = 0;
    QString address;
    auto open = [&](const QString& a) {
        ++opened;
        address = a;
    };
    for (int n = 1; n <= 100; ++n)
        app::VisitWebSiteAtRandom([n] { return n; }, open);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(address, "https://www.example.com/");

    // Starts at different times of day: about one in a hundred draws a 7, and every number comes up.
    int sevens = 0;
    std::set<int> seen;
    for (unsigned msOfDay = 0; msOfDay < 20000; ++msOfDay) {
        const int n = app::drawOneToHundred(msOfDay);
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
    app::ResetBackColors(window);
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
    app::ApplySkin(form1); // no x/o.cjs beside the test program
    EXPECT_FALSE(form1.autoFillBackground());
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

TEST(QtDialogs, LoneCarriageReturnsBreakLinesOnScreenAndFiltersReadAsQtFilters)
{
    EXPECT_EQ(app::displayText("a\r\nb\r\rc"), "a\nb\n\nc");
    EXPECT_EQ(app::qtFileFilter("Microsoft Database (*.dbc)|*.dbc|"), "Microsoft Database (*.dbc)");
    EXPECT_EQ(app::qtFileFilter("Tables|*.dbf|All|*.*|"), "Tables (*.dbf);;All (*.*)");
}

} // namespace
