#include "db/builtin/BuiltinProviders.h"
#include "ui/AddFolder.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/QtDialogs.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QStyle>
#include <QTimer>

namespace {

// "--screenshot <file>": once the start-up is over, saves a picture of the window it left open and ends.
// Grabbing the widget needs no window manager, so this works under Xvfb and offscreen alike.
QString screenshotFile(const QStringList& arguments)
{
    const qsizetype at = arguments.indexOf("--screenshot");
    return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1] : QString();
}

void saveScreenshotAndQuit(ui::Form1& form1, const QString& file)
{
    QWidget* shown = &form1;
    if (form1.hasTablesWindow() && form1.tablesWindow().isVisible())
        shown = &form1.tablesWindow();
    const bool saved = shown->grab().save(file, "PNG");
    QCoreApplication::exit(saved ? 0 : 1);
}

} // namespace

// Start of the program: the connection window loads and takes the user on from there.
int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    // The desktop entry's name and the icon installed with it; a build folder has no icon theme entry.
    QGuiApplication::setDesktopFileName("io.github.corvalen.Corvalen");
    application.setWindowIcon(
        QIcon::fromTheme("io.github.corvalen.Corvalen", application.style()->standardIcon(QStyle::SP_DriveNetIcon)));
    db::registerBuiltinProviders();

    ui::QtDialogs dialogs;
    dialogs.setFolderChooser([](QWidget* owner, const std::string& prompt, const std::string& initial) {
        return ui::BrowseForFolder(owner, QString::fromStdString(prompt), QString::fromStdString(initial))
            .toStdString();
    });
    frame::setDialogs(&dialogs);

    ui::Form1 form1;
    form1.start();
    const QString screenshot = screenshotFile(QApplication::arguments());
    if (!screenshot.isEmpty())
        QTimer::singleShot(500, &form1, [&form1, screenshot] { saveScreenshotAndQuit(form1, screenshot); });
    const int result = QApplication::exec();
    frame::setDialogs(nullptr);
    return result;
}
