#include "ui/MousePointer.h"

#include <QEvent>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QWidget>
#include <stdexcept>

namespace ui {

namespace {

std::uint16_t readWord(const QByteArray& bytes, int at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

} // namespace

std::optional<QCursor> loadCursorFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    // Header: reserved 0, type 2 (cursor), image count; the first entry carries the hot spot.
    if (bytes.size() < 22 || readWord(bytes, 0) != 0 || readWord(bytes, 2) != 2 || readWord(bytes, 4) < 1)
        return std::nullopt;
    QImage picture;
    if (!picture.loadFromData(bytes, "cur") && !picture.loadFromData(bytes, "ico"))
        return std::nullopt;
    return QCursor(QPixmap::fromImage(picture), readWord(bytes, 10), readWord(bytes, 12));
}

QCursor readCursorFile(const QString& path)
{
    std::optional<QCursor> cursor = loadCursorFile(path);
    if (!cursor)
        throw std::runtime_error("Invalid picture: " + path.toStdString());
    return *cursor;
}

MousePointer::MousePointer(QWidget& window) : QObject(&window), m_window(window)
{
    watchBackground(window);
}

void MousePointer::set(PointerState value)
{
    m_value = value;
    apply();
}

void MousePointer::setCustomIcon(std::optional<QCursor> icon)
{
    m_custom = std::move(icon);
    apply();
}

QCursor MousePointer::cursor() const
{
    switch (m_value) {
    case PointerState::Hourglass:
        return QCursor(Qt::WaitCursor);
    case PointerState::Custom:
        return m_custom ? *m_custom : QCursor(Qt::ArrowCursor);
    default:
        return QCursor(Qt::ArrowCursor);
    }
}

void MousePointer::apply()
{
    m_window.setCursor(cursor());
    // Text boxes keep their text cursor, except that the hourglass shows over them too.
    for (QLineEdit* box : m_window.findChildren<QLineEdit*>())
        box->setCursor(m_value == PointerState::Hourglass ? QCursor(Qt::WaitCursor) : QCursor(Qt::IBeamCursor));
}

void MousePointer::watchButton(QWidget& button)
{
    m_buttons.insert(&button);
    button.setMouseTracking(true);
    button.installEventFilter(this);
}

void MousePointer::watchBackground(QWidget& area)
{
    m_backgrounds.insert(&area);
    area.setMouseTracking(true);
    area.installEventFilter(this);
}

// A move that a button did not take goes on to the frame around it; it counts only where the frame itself is.
bool MousePointer::overChild(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseMove)
        return false;
    const auto* area = static_cast<QWidget*>(watched);
    return area->childAt(static_cast<QMouseEvent*>(event)->position().toPoint()) != nullptr;
}

void MousePointer::hover(PointerState value)
{
    if (m_value != PointerState::Hourglass && m_value != value)
        set(value);
}

bool MousePointer::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        if (m_buttons.contains(watched))
            hover(PointerState::Custom);
        else if (m_backgrounds.contains(watched) && !overChild(watched, event))
            hover(PointerState::Default);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace ui
