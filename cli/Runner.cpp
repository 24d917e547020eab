#include "cli/Runner.h"

#include "cli/ConsoleDialogs.h"
#include "cli/Options.h"
#include "cli/SendProgress.h"
#include "cli/Settings.h"
#include "cli/TableLists.h"
#include "commands/AseConnection.h"
#include "commands/Commands.h"
#include "commands/FoxProConnection.h"
#include "frame/ListHelpers.h"

#include <algorithm>
#include <iterator>
#include <ostream>
#include <stdexcept>
#include <utility>

namespace cli {

namespace {

constexpr const char* kProgram = "corvalen-cli: ";

void noPointer(frame::PointerState /*state*/) {}

// What one run works with: its settings, its console, the dialogs the commands show.
class Run {
public:
    Run(const Options& options, frame::ConnectionFields fields, Console& console)
        : m_options(options), m_fields(std::move(fields)), m_console(console), m_status(console),
          m_dialogs(console, m_status, options.overwrite)
    {
    }

    int execute();

private:
    int list();
    int test();
    int send();
    int remove();
    int outcome() const { return m_dialogs.reports() > 0 ? kReported : kAllWell; }
    commands::TablesWindowSeam seam(TableLists& lists);
    // Selects the tables named on the command line; false (after saying which) when a name is not in the list.
    bool select(frame::TableList& list, const char* side);

    const Options& m_options;
    frame::ConnectionFields m_fields;
    Console& m_console;
    StatusLine m_status;
    ConsoleDialogs m_dialogs;
};

int Run::execute()
{
    switch (m_options.command) {
    case Command::List:
        return list();
    case Command::Test:
        return test();
    case Command::SendToAse:
    case Command::SendToFoxPro:
        return send();
    case Command::DeleteFoxPro:
    case Command::DeleteAse:
        return remove();
    }
    return kUsage;
}

int Run::list()
{
    TableLists lists;
    readTableLists(m_fields, lists, true, true);
    for (const auto& name : lists.foxPro.texts())
        m_console.out << "foxpro: " << name << "\n";
    for (const auto& name : lists.ase.texts())
        m_console.out << "ase: " << name << "\n";
    m_console.out.flush();
    return outcome();
}

int Run::test()
{
    bool connected = true;
    auto testOne = [&](const char* side, void (*command)(const frame::ConnectionFields&, const frame::SetPointerFn&)) {
        std::vector<std::string> answers;
        m_dialogs.keepMessages = &answers;
        command(m_fields, noPointer);
        m_dialogs.keepMessages = nullptr;
        for (const auto& answer : answers) {
            m_console.out << side << consoleLines(answer) << "\n";
            connected = connected && answer == "Connection successful.";
        }
        connected = connected && !answers.empty();
        m_console.out.flush();
    };
    testOne("foxpro: ", commands::testFoxProConnection);
    testOne("ase: ", commands::testAseConnection);
    return connected ? outcome() : kReported;
}

commands::TablesWindowSeam Run::seam(TableLists& lists)
{
    commands::TablesWindowSeam w;
    w.foxProList = &lists.foxPro;
    w.aseList = &lists.ase;
    w.setPointer = noPointer;
    w.fields = [this]() -> const frame::ConnectionFields& { return m_fields; };
    return w;
}

bool Run::select(frame::TableList& list, const char* side)
{
    const auto unknown = selectTables(list, m_options.tables, m_options.all);
    for (const auto& name : unknown)
        m_console.err << kProgram << "the " << side << " side has no table " << name << "\n";
    return unknown.empty();
}

int Run::send()
{
    const bool toAse = m_options.command == Command::SendToAse;
    const char* sourceSide = toAse ? "FoxPro" : "ASE";
    const char* targetSide = toAse ? "ASE" : "FoxPro";
    TableLists lists;
    if (!readTableLists(m_fields, lists, true, true))
        return kReported;
    frame::TableList& source = toAse ? lists.foxPro : lists.ase;
    frame::TableList& target = toAse ? lists.ase : lists.foxPro;
    if (!select(source, sourceSide))
        return kUsage;
    const auto selected = selectedTables(source);
    if (selected.empty()) {
        m_console.out << "The " << sourceSide << " side has no tables to send.\n";
        return kAllWell;
    }
    if (m_options.overwrite == Overwrite::Ask && !m_console.inIsTerminal) {
        // The question would find nobody to answer it: stop before anything is touched.
        std::vector<std::string> existing;
        std::copy_if(selected.begin(), selected.end(), std::back_inserter(existing),
                     [&](const std::string& name) { return frame::ListContains(target, name); });
        for (const auto& name : existing)
            m_console.err << kProgram << "the " << targetSide << " side already has a table " << name << "\n";
        if (!existing.empty()) {
            m_console.err << kProgram
                          << "there is no terminal to ask whether to replace a table: give --overwrite yes or "
                             "--overwrite no\n";
            return kUsage;
        }
    }
    SendProgress progress(m_console, m_status, targetSide);
    commands::TablesWindowSeam w = seam(lists);
    w.progress = &progress;
    w.sendObserver = &progress;
    if (toAse)
        commands::sendToAse(w);
    else
        commands::sendToFoxPro(w);
    m_status.clear();
    progress.writeSummary(m_console.out);
    m_console.out.flush();
    return outcome();
}

int Run::remove()
{
    const bool foxPro = m_options.command == Command::DeleteFoxPro;
    TableLists lists;
    if (!readTableLists(m_fields, lists, foxPro, !foxPro))
        return kReported;
    frame::TableList& list = foxPro ? lists.foxPro : lists.ase;
    if (!select(list, foxPro ? "FoxPro" : "ASE"))
        return kUsage;
    const auto selected = selectedTables(list);
    if (selected.empty()) {
        m_console.out << "The " << (foxPro ? "FoxPro" : "ASE") << " side has no tables to delete.\n";
        return kAllWell;
    }
    commands::TablesWindowSeam w = seam(lists);
    if (foxPro)
        commands::deleteFoxProTables(w);
    else
        commands::deleteAseTables(w);
    // The command takes an entry out of its list only when its table was dropped.
    const auto left = list.texts();
    int dropped = 0;
    for (const auto& name : selected) {
        const bool gone = std::find(left.begin(), left.end(), name) == left.end();
        dropped += gone ? 1 : 0;
        m_console.out << name << (gone ? ": deleted\n" : ": not deleted\n");
    }
    m_console.out << "total: " << dropped << " deleted";
    if (dropped < static_cast<int>(selected.size()))
        m_console.out << ", " << selected.size() - static_cast<std::size_t>(dropped) << " not deleted";
    m_console.out << "\n" << std::flush;
    return outcome();
}

} // namespace

int run(const std::vector<std::string>& args, Console& console)
{
    Options options;
    try {
        options = parseOptions(args);
    } catch (const UsageError& e) {
        console.err << kProgram << e.what() << "\nTry 'corvalen-cli --help' for more.\n";
        return kUsage;
    }
    if (options.help) {
        console.out << helpText();
        return kAllWell;
    }
    frame::ConnectionFields fields;
    try {
        fields = connectionFields(loadSettings(options));
    } catch (const std::exception& e) {
        console.err << kProgram << e.what() << "\n";
        return kUsage;
    }
    return Run(options, std::move(fields), console).execute();
}

} // namespace cli
