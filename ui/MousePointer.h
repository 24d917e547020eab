#pragma once

#include "frame/WindowControls.h"

#include <QCursor>
#include <QObject>
#include <QSet>
#include <optional>

class QWidget;

namespace ui {

using frame::PointerState;

// A Windows cursor file (.cur) as a Qt cursor with its hot spot; nothing when the file is missing or unreadable.
std::optional<QCursor> loadCursorFile(const QString& path);
// The same for a file that is known to be there: a file that is no cursor is a failure.
QCursor readCursorFile(const QString& path);

// One window's mouse pointer: the value its commands and hover handlers share, shown as a Qt cursor.
// Hover: over a watched button the pointer becomes custom, over a watched background it becomes the default,
// both only while it is not the hourglass, so a working command keeps its hourglass wherever the mouse goes.
class MousePointer : public QObject {
public:
    explicit MousePointer(QWidget& window);

    PointerState value() const { return m_value; }
    void set(PointerState value);
    // The custom pointer's picture; without one the custom pointer looks like the default one.
    void setCustomIcon(std::optional<QCursor> icon);
    bool hasCustomIcon() const { return m_custom.has_value(); }
    // The cursor the window shows now.
    QCursor cursor() const;

    void watchButton(QWidget& button);
    void watchBackground(QWidget& area);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static bool overChild(QObject* watched, QEvent* event);
    void hover(PointerState value);
    void apply();

    QWidget& m_window;
    PointerState m_value = PointerState::Default;
    std::optional<QCursor> m_custom;
    QSet<QObject*> m_buttons;
    QSet<QObject*> m_backgrounds;
};

} // namespace ui
