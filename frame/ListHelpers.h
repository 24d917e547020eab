#pragma once

#include "db/Value.h"
#include "frame/WindowControls.h"

#include <string>

namespace frame {

// True when any entry equals the text once both are lower-cased. Every entry is looked at.
bool ListContains(const ListControl& list, const std::string& text);

// Removes the entries equal to the text, exactly (case-sensitive). The count is taken once at the start and the
// scan goes on with the next index after a removal, as the list commands have always done.
void RemoveListItem(ListControl& list, const std::string& text);

// The default when the value is Null, else the value unchanged (empty text, 0 and false stay as they are).
db::Value NullToDefault(const db::Value& value, const db::Value& fallback);

// UTF-8 text with every character in its lower-case form by Unicode's simple case mapping ("ÄBC" -> "äbc"); bytes
// that are not UTF-8 stay as they are.
std::string lowerText(const std::string& text);

} // namespace frame
