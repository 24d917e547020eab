#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace cli {

enum class Command { List, Test, SendToAse, SendToFoxPro, DeleteFoxPro, DeleteAse };

// How the question before replacing a table is answered: asked on the terminal, or always Yes or No.
enum class Overwrite { Ask, Yes, No };

struct Options {
    bool help = false;
    std::optional<std::string> settingsFile;                    // --settings FILE instead of the user's store
    std::vector<std::pair<std::string, std::string>> overrides; // --set KEY=VALUE, in order, for this run only
    bool samples = false; // --samples: the free-table folder of sample tables beside the program
    Command command = Command::List;
    Overwrite overwrite = Overwrite::Ask;
    bool all = false;
    std::vector<std::string> tables;
};

// A command line that cannot be run as it stands; the text says what is wrong.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The arguments after the program's name. Throws UsageError.
Options parseOptions(const std::vector<std::string>& args);

// The settings keys --set may name: those the windows keep.
const std::vector<std::string>& settingKeys();

// What --help prints.
std::string helpText();

// Whether the command takes tables: the sends and the deletions.
bool sendsOrDeletes(Command command);

} // namespace cli
