#include "ui/TextField.h"

#include <QFocusEvent>
#include <QPointer>
#include <QTimer>

namespace ui {

void TextField::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    selectAll();
    if (event->reason() == Qt::MouseFocusReason) {
        // The click that brought the focus places the caret after this event; select again once it has.
        QPointer<TextField> self(this);
        QTimer::singleShot(0, this, [self] {
            if (self && self->hasFocus())
                self->selectAll();
        });
    }
}

} // namespace ui
