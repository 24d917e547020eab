#pragma once

#include <QFont>

class QWidget;

namespace ui {

// The windows are laid out in twips, 15 to a pixel at the standard 96 dpi; Qt scales on high-DPI screens.
constexpr int twips(int value)
{
    return value / 15;
}

// Places a control at its designed left, top, width and height (twips, relative to its container).
void placeTwips(QWidget& control, int left, int top, int width, int height);

// Moves a window to the middle of its screen.
void centreOnScreen(QWidget& window);

// Arial, or a font of the same metrics where Arial is not installed.
QFont arialFont(double pointSize, bool bold);

} // namespace ui
