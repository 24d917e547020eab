#pragma once

#include "db/Value.h"

#include <optional>
#include <string>

namespace db::vfp {

// Reads "YYYY-MM-DD", "YYYYMMDD" or either followed by " hh:mm[:ss[.fff]]" (or 'T' instead of the blank).
// Nothing when the text is not such a date; the parts are checked for range.
std::optional<db::DateTime> parseDateTimeText(const std::string& text);

// The date and time a value stands for (a Date is midnight; a Time is on 1899-12-30, Visual FoxPro's day of a
// time without a date). Throws naming `column` when the value is no date.
db::DateTime dateTimeOfValue(const db::Value& v, const std::string& column);

} // namespace db::vfp
