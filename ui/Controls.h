#pragma once

#include <QList>

class QColor;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QString;
class QWidget;

namespace ui {

class TextField;

// Designed geometry in twips: left, top, width, height within the container.
struct Twips {
    int left, top, width, height;
};

// The controls of the two windows, each named as the windows' code names it, placed in twips and given its font:
// frames, labels, option buttons and text boxes Arial 9 pt bold, push buttons Arial 11.25 pt bold.
QGroupBox* makeFrame(QWidget* container, const char* name, const QString& caption, Twips at);
QLabel* makeLabel(QWidget* container, const char* name, const QString& caption, Twips at);
TextField* makeTextBox(QWidget* container, const char* name, Twips at);
QRadioButton* makeOption(QWidget* container, const char* name, const QString& caption, Twips at);
QPushButton* makePushButton(QWidget* container, const char* name, const QString& caption, Twips at);
// A list that keeps its entries in alphabetical order (ignoring case, as list boxes sort) with extended selection.
QListWidget* makeList(QWidget* container, const char* name, Twips at);

// The window's designed background colour, given to the window and its frames, labels and option buttons.
void paintDesignColour(QWidget& window, const QColor& colour);

// Chains the focus in the order given (the controls' tab indexes).
void chainTabOrder(const QList<QWidget*>& order);

} // namespace ui
