#pragma once

#include "cli/Options.h"
#include "frame/ConnectionFields.h"

#include <map>
#include <string>

namespace cli {

using SettingValues = std::map<std::string, std::string>;

// The settings of this run: the user's store or --settings FILE, then --samples, then each --set. Nothing is ever
// written back. Throws std::runtime_error naming the file when the settings cannot be read.
SettingValues loadSettings(const Options& options);

// The connection fields as the connection window fills them from the same settings: the port "5000" when its key
// is missing, the free-table folder only when FoxproOption is exactly "2".
frame::ConnectionFields connectionFields(const SettingValues& settings);

} // namespace cli
