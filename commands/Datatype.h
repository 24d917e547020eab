#pragma once

#include <cstdint>
#include <string>

namespace commands {

// The name of ADO's DataTypeEnum member for a column type number ("adVarChar" for 200), or the empty text for a
// number without one. The whole 16-bit value is compared: a type with a flag bit such as adArray has no name.
std::string AdoTypeName(std::int16_t type);

} // namespace commands
