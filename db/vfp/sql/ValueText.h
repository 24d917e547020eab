#pragma once

#include "db/Value.h"

#include <optional>
#include <string>

namespace db::vfp::sqltext {

// Readers of the text forms db::Value::toText() writes, so that a value sent as text comes back equal. Each
// returns nothing when the text is not of its form (surrounding blanks are not allowed; callers trim).

// Optional sign, digits, optional '.' and digits, optional exponent; ".5" and "5." too. The result is the plain
// form: optional '-', digits without leading zeros (at least one), and the fraction as written.
std::optional<Decimal> parseDecimalText(const std::string& text);

// A decimal rounded to four places, half away from zero; nothing when it is outside the currency range.
std::optional<Currency> parseCurrencyText(const std::string& text);

// YYYY-MM-DD, YYYYMMDD or {^YYYY-MM-DD}; a real calendar day of the years 1 to 9999.
std::optional<Date> parseDateText(const std::string& text);

// YYYY-MM-DD hh:mm:ss[.fff] (also with 'T' between), a date alone (midnight), a time alone (on 1899-12-30, as
// FoxPro keeps a time of day), and either within {^...}.
std::optional<DateTime> parseDateTimeText(const std::string& text);

// True/False, T/F, .T./.F., Y/N, Yes/No, 1/0, any letter case.
std::optional<bool> parseLogicalText(const std::string& text);

// A double as doubleToText writes it, also NaN and [-]Infinity.
std::optional<double> parseDoubleText(const std::string& text);

// "0x" followed by pairs of hex digits.
std::optional<Bytes> parseHexText(const std::string& text);

} // namespace db::vfp::sqltext
