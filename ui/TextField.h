#pragma once

#include <QLineEdit>

namespace ui {

// A text box of the connection window: its whole text is selected whenever it takes the focus, by the tab key
// or by a click.
class TextField : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent* event) override;
};

} // namespace ui
