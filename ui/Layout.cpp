#include "ui/Layout.h"

#include <QScreen>
#include <QWidget>

namespace ui {

void placeTwips(QWidget& control, int left, int top, int width, int height)
{
    control.setGeometry(twips(left), twips(top), twips(width), twips(height));
}

void centreOnScreen(QWidget& window)
{
    if (const QScreen* screen = window.screen()) {
        const QRect area = screen->availableGeometry();
        window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
    }
}

QFont arialFont(double pointSize, bool bold)
{
    QFont font;
    // Liberation Sans and Arimo share Arial's metrics, so captions fit the designed sizes.
    font.setFamilies({"Arial", "Liberation Sans", "Arimo"});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace ui
