#pragma once

#include "cli/Console.h"

#include <string>
#include <vector>

namespace cli {

// Exit statuses of the command line.
inline constexpr int kAllWell = 0;
inline constexpr int kReported = 1; // something was reported: a failure, a table or row that did not go
inline constexpr int kUsage = 2;    // the command line or the settings cannot be used; nothing was touched

// Runs one command line (the arguments after the program's name) with the providers registered. Installs its own
// dialogs for the run.
int run(const std::vector<std::string>& args, Console& console);

} // namespace cli
