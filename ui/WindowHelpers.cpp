#include "ui/WindowHelpers.h"

#include "frame/BuildConstants.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTime>
#include <QUrl>
#include <QWidget>
#include <random>
#include <stdexcept>

namespace ui {

namespace {

QString g_applicationTitle = frame::build::ProductTitle;

void setBackground(QWidget& w, const QColor& colour)
{
    QPalette p = w.palette();
    p.setColor(QPalette::Window, colour);
    w.setPalette(p);
    w.setAutoFillBackground(true);
}

// The window and its option buttons, check boxes, frames and labels take the button-face colour.
void paintButtonFace(QWidget& window)
{
    const QColor face = QApplication::palette().color(QPalette::Button);
    setBackground(window, face);
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child) || qobject_cast<QGroupBox*>(child) ||
            qobject_cast<QLabel*>(child))
            setBackground(*child, face);
    }
}

} // namespace

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

void ApplySkin(QWidget& form1)
{
    const QString skin = besideProgram("\\x\\o.cjs");
    if (!QFileInfo(skin).isFile())
        return;
    paintButtonFace(form1);
    QFile file(skin);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw std::runtime_error("Cannot read the skin file " + skin.toStdString() + ": " +
                                 file.errorString().toStdString());
    // The skin stays in force for the rest of the run, for the windows opened later too.
    qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
}

void ResetBackColors(QWidget& window)
{
    paintButtonFace(window);
}

QString shortenedTitle(const QString& productTitle)
{
    QString title = productTitle;
    do {
        const auto blank = title.lastIndexOf(' ');
        if (blank < 0)
            break;
        title.truncate(blank);
    } while (title.size() > 40);
    return title;
}

QString SetApplicationTitle()
{
    g_applicationTitle = shortenedTitle(frame::build::ProductTitle);
    // The same name on the desktop: the window class the task list groups the windows by. (Not the display
    // name: Qt would add it to every caption, message boxes included.)
    QCoreApplication::setApplicationName(g_applicationTitle);
    return g_applicationTitle;
}

QString applicationTitle()
{
    return g_applicationTitle;
}

int drawOneToHundred(unsigned seed)
{
    std::mt19937 generator(seed);
    return std::uniform_int_distribution<int>(1, 100)(generator);
}

void VisitWebSiteAtRandom(const std::function<int()>& draw, const std::function<bool(const QString&)>& open)
{
    int number = 0;
    if (draw) {
        number = draw();
    } else {
        // Seeded from the time of day at each call.
        number = drawOneToHundred(static_cast<unsigned>(QTime::currentTime().msecsSinceStartOfDay()));
    }
    if (number != 7)
        return;
    const QString address = frame::build::MakerWebSite;
    // Both return without waiting for the browser; they only tell whether one could be started.
    const bool started = open ? open(address) : QDesktopServices::openUrl(QUrl(address));
    if (!started)
        throw std::runtime_error("No web browser could be started for " + address.toStdString() + ".");
}

} // namespace ui
