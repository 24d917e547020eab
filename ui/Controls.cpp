#include "ui/Controls.h"

#include "ui/Layout.h"
#include "ui/SortedList.h"
#include "ui/TextField.h"

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
    return place(new QGroupBox(caption, container), name, at, ControlPoints);
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
    return place(new QRadioButton(caption, container), name, at, ControlPoints);
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

void chainTabOrder(const QList<QWidget*>& order)
{
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace ui
