#include "app/ListHelpers.h"

#include <QListWidget>

namespace app {

bool ListContains(const QListWidget& list, const QString& text)
{
    bool found = false;
    const QString wanted = text.toLower();
    for (int i = 0; i < list.count(); ++i) {
        if (list.item(i)->text().toLower() == wanted)
            found = true;
    }
    return found;
}

void RemoveListItem(QListWidget& list, const QString& text)
{
    const int count = list.count();
    for (int i = 0; i < count; ++i) {
        // Past the end once items have gone: the original's loop bound was fixed at the start.
        if (i >= list.count())
            break;
        if (list.item(i)->text() == text)
            delete list.takeItem(i);
    }
}

db::Value NullToDefault(const db::Value& value, const db::Value& fallback)
{
    return value.isNull() ? fallback : value;
}

} // namespace app
