#pragma once

#include "db/Provider.h"
#include "db/Value.h"

#include <string>
#include <vector>

namespace tools {

// A JSON string literal: quotes, backslashes and control characters escaped; bytes that are not UTF-8 become
// U+FFFD, so every line is valid JSON whatever a table holds.
std::string jsonString(const std::string& text);

// The first line of a rowset: [{"name":"A","type":129},...]
std::string fieldsLine(const std::vector<db::FieldInfo>& fields);

// One row: each value's text, or null.
std::string rowLine(const std::vector<db::Value>& row);

} // namespace tools
