#pragma once

#include "db/Value.h"

#include <QString>

class QListWidget;

namespace app {

// True when any item equals the text once both are lower-cased. Every item is looked at.
bool ListContains(const QListWidget& list, const QString& text);

// Removes the items equal to the text, exactly (case-sensitive). The count is taken once at the start and the
// scan goes on with the next index after a removal, as the list commands have always done.
void RemoveListItem(QListWidget& list, const QString& text);

// The default when the value is Null, else the value unchanged (empty text, 0 and false stay as they are).
db::Value NullToDefault(const db::Value& value, const db::Value& fallback);

} // namespace app
