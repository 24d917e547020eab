#include "cli/Options.h"

#include <algorithm>

namespace cli {

namespace {

struct CommandName {
    const char* name;
    Command command;
};

constexpr CommandName kCommands[] = {
    {"list", Command::List},
    {"test", Command::Test},
    {"send-to-ase", Command::SendToAse},
    {"send-to-foxpro", Command::SendToFoxPro},
    {"delete-foxpro", Command::DeleteFoxPro},
    {"delete-ase", Command::DeleteAse},
};

bool isSend(Command c)
{
    return c == Command::SendToAse || c == Command::SendToFoxPro;
}

Overwrite overwriteAnswer(const std::string& value)
{
    if (value == "ask")
        return Overwrite::Ask;
    if (value == "yes")
        return Overwrite::Yes;
    if (value == "no")
        return Overwrite::No;
    throw UsageError("--overwrite takes ask, yes or no, not '" + value + "'");
}

std::pair<std::string, std::string> setting(const std::string& text)
{
    const auto equals = text.find('=');
    if (equals == std::string::npos)
        throw UsageError("--set takes KEY=VALUE, not '" + text + "'");
    std::string key = text.substr(0, equals);
    const auto& keys = settingKeys();
    if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
        std::string known;
        for (const auto& k : keys)
            known += (known.empty() ? "" : ", ") + k;
        throw UsageError("--set knows no setting '" + key + "' (the settings are " + known + ")");
    }
    return {std::move(key), text.substr(equals + 1)};
}

// Reads an option's value, given as "--name=value" or as the next argument.
class Arguments {
public:
    explicit Arguments(const std::vector<std::string>& args) : m_args(args) {}
    bool more() const { return m_at < m_args.size(); }
    const std::string& next() { return m_args[m_at++]; }
    std::string valueOf(const std::string& option, const std::optional<std::string>& given)
    {
        if (given)
            return *given;
        if (!more())
            throw UsageError(option + " needs a value");
        return next();
    }

private:
    const std::vector<std::string>& m_args;
    std::size_t m_at = 0;
};

void checkCombination(const Options& o, bool commandGiven, bool overwriteGiven)
{
    if (!commandGiven)
        throw UsageError("no command given (list, test, send-to-ase, send-to-foxpro, delete-foxpro or delete-ase)");
    if (overwriteGiven && !isSend(o.command))
        throw UsageError("--overwrite goes with send-to-ase and send-to-foxpro only");
    if (!sendsOrDeletes(o.command)) {
        if (o.all || !o.tables.empty())
            throw UsageError("list and test take no tables");
        return;
    }
    if (o.all && !o.tables.empty())
        throw UsageError("give either --all or table names, not both");
    if (!o.all && o.tables.empty())
        throw UsageError("name the tables, or give --all");
}

} // namespace

const std::vector<std::string>& settingKeys()
{
    static const std::vector<std::string> keys{"ASEServer",       "ASEPort",     "ASEUser",         "ASEPassword",
                                               "ASEDatabase",     "DBCFile",     "FreeTableFolder", "FoxproOption",
                                               "ConnectDeadline", "QueryTimeout"};
    return keys;
}

bool sendsOrDeletes(Command command)
{
    return command != Command::List && command != Command::Test;
}

Options parseOptions(const std::vector<std::string>& args)
{
    Options o;
    bool commandGiven = false;
    bool overwriteGiven = false;
    bool optionsEnded = false;
    Arguments in(args);
    while (in.more()) {
        const std::string arg = in.next();
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            if (commandGiven) {
                o.tables.push_back(arg);
                continue;
            }
            const auto* found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                             [&](const CommandName& c) { return arg == c.name; });
            if (found == std::end(kCommands))
                throw UsageError("unknown command '" + arg + "'");
            o.command = found->command;
            commandGiven = true;
            continue;
        }
        const auto equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const std::optional<std::string> inlineValue =
            equals == std::string::npos ? std::nullopt : std::optional(arg.substr(equals + 1));
        if (arg == "--")
            optionsEnded = true;
        else if (arg == "--help" || arg == "-h")
            o.help = true;
        else if (arg == "--all")
            o.all = true;
        else if (arg == "--samples")
            o.samples = true;
        else if (name == "--settings")
            o.settingsFile = in.valueOf(name, inlineValue);
        else if (name == "--set")
            o.overrides.push_back(setting(in.valueOf(name, inlineValue)));
        else if (name == "--overwrite") {
            o.overwrite = overwriteAnswer(in.valueOf(name, inlineValue));
            overwriteGiven = true;
        } else
            throw UsageError("unknown option '" + arg + "'");
    }
    if (!o.help)
        checkCombination(o, commandGiven, overwriteGiven);
    return o;
}

std::string helpText()
{
    return R"(Usage: corvalen-cli [--settings FILE] [--samples] [--set KEY=VALUE]... COMMAND [--overwrite ask|yes|no]
                    [--all | TABLE...]

Runs the commands of Corvalen's tables window without a window, on the settings the windows keep.

Commands:
  list            print the tables of both sides as the tables window lists them, one a line, each
                  prefixed "foxpro:" or "ase:"
  test            test both connections, FoxPro first, and print what each test says
  send-to-ase     copy the named FoxPro tables (or --all of them) into the ASE database
  send-to-foxpro  copy the named ASE tables (or --all of them) into the FoxPro data
  delete-foxpro   drop the named FoxPro tables (or --all of them); nothing is asked first
  delete-ase      drop the named ASE tables (or --all of them); nothing is asked first

Options:
  --settings FILE   read the settings from FILE, an INI file in the format of the settings store
                    (group [Corvalen]), instead of your own settings
  --samples         use the sample free tables shipped with the program as the FoxPro side
  --set KEY=VALUE   use VALUE for the setting KEY in this run only; it is never saved. Keys: ASEServer,
                    ASEPort, ASEUser, ASEPassword, ASEDatabase, DBCFile, FreeTableFolder, FoxproOption
                    (1: the DBC file, 2: the free-table folder), ConnectDeadline, QueryTimeout
  --overwrite ask|yes|no
                    how to answer "Would you like to overwrite ...?" when a table of the same name is
                    already on the other side. ask (the default) asks on the terminal; without a terminal
                    the command stops before it touches anything
  --all             every table of the side the command takes from
  -h, --help        show this text

Table names are matched as the list shows them, letter case aside. Reports of failures are written to
standard error in the words of the windows' "Application Error" box; the send commands end with a line
per table on standard output.

Exit status: 0 when every table and row went through, 1 when anything was reported, 2 for a usage
error, a table that is not there, settings that cannot be read, or a question with nobody to answer it
(nothing is touched then).
)";
}

} // namespace cli
