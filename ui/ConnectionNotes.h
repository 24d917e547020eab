#pragma once

#include <string>

namespace ui {

// The help note of the ASE frame: ten lines, each followed by two lone carriage returns.
std::string aseHelpNote();

// The note of the FoxPro frame's "?" button.
std::string foxProNote();

// The tables window's Help message.
std::string tablesHelpNote();

} // namespace ui
