#include "ui/Controls.h"

#include "ui/Layout.h"
#include "ui/SortedList.h"
#include "ui/TextField.h"

#include <QColor>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace ui {

namespace {

template <typename W> W* place(W* control, const char* name, Twips at, double pointSize)
{
    control->setObjectName(QString::fromLatin1(name));
    placeTwips(*control, at.left, at.top, at.width, at.height);
    control->setFont(arialFont(pointSize, true));
    return control;
}

constexpr double ControlPoints = 9.0;
constexpr double ButtonPoints = 11.25;

} // namespace

QGroupBox* makeFrame(QWidget* container, const char* name, const QString& caption, Twips at)
{
    auto* frame = place(new QGroupBox(caption, container), name, at, ControlPoints);
    // A frame's caption sits on its border, and the frame shows its own background colour inside.
    frame->setStyleSheet("QGroupBox { border: 1px solid #a9a9a9; border-radius: 2px; margin-top: 7px; }"
                         "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }");
    return frame;
}

QLabel* makeLabel(QWidget* container, const char* name, const QString& caption, Twips at)
{
    return place(new QLabel(caption, container), name, at, ControlPoints);
}

TextField* makeTextBox(QWidget* container, const char* name, Twips at)
{
    return place(new TextField(container), name, at, ControlPoints);
}

QRadioButton* makeOption(QWidget* container, const char* name, const QString& caption, Twips at)
{
    auto* option = place(new QRadioButton(caption, container), name, at, ControlPoints);
    // The platform's option buttons keep their caption close to the circle; so must ours to fit the design width.
    option->setStyleSheet("QRadioButton { spacing: 3px; }");
    return option;
}

QPushButton* makePushButton(QWidget* container, const char* name, const QString& caption, Twips at)
{
    auto* button = place(new QPushButton(caption, container), name, at, ButtonPoints);
    button->setAutoDefault(false);
    return button;
}

QListWidget* makeList(QWidget* container, const char* name, Twips at)
{
    auto* list = place(new SortedList(container), name, at, ControlPoints);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    return list;
}

void paintDesignColour(QWidget& window, const QColor& colour)
{
    auto paint = [&colour](QWidget& w) {
        QPalette palette = w.palette();
        palette.setColor(QPalette::Window, colour);
        w.setPalette(palette);
        w.setAutoFillBackground(true);
    };
    paint(window);
    for (QWidget* child : window.findChildren<QWidget*>())
        if (qobject_cast<QGroupBox*>(child) || qobject_cast<QLabel*>(child) || qobject_cast<QRadioButton*>(child))
            paint(*child);
}

void chainTabOrder(const QList<QWidget*>& order)
{
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace ui
