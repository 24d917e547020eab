#pragma once

#include "db/Value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace db::vfp {

// Plain decimal text: optional '-', at least one digit, optional '.' and digits ("-0.50", "12").
// Accepts surrounding blanks, a leading '+', ".5" and "5."; returns nothing for anything else.
std::optional<std::string> parseDecimalText(std::string_view text);
// The same into `out` (its storage kept); false, with `out` unspecified, for anything but a number.
bool parseDecimalInto(std::string_view text, std::string& out);

// Rounds plain decimal text half away from zero to exactly `decimals` digits after the point.
std::string roundDecimalText(const std::string& digits, int decimals);

// The value as plain decimal text for a numeric column; throws naming `column` when it is not a number.
std::string numberTextOf(const db::Value& v, const std::string& column);

// N/F field text: right-aligned in `width`, exactly `decimals` decimals; throws when the integer part does not fit.
std::string formatNumericField(const std::string& digits, int width, int decimals, const std::string& column);

// Whole ten-thousandths, rounded half away from zero; throws when out of range.
std::int64_t currencyOfText(const std::string& digits, const std::string& column);

// Whole number, rounded half away from zero; throws when outside [min, max].
std::int64_t integerOfText(const std::string& digits, std::int64_t min, std::int64_t max, const std::string& column);

// Julian day numbers as Visual FoxPro's DateTime stores them (1970-01-01 = 2440588).
std::int64_t julianDayOf(const db::Date& d);
db::Date dateOfJulianDay(std::int64_t jd);
bool isValidDate(const db::Date& d);

} // namespace db::vfp
