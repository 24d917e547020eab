#include "cli/TableLists.h"

#include "commands/AseConnection.h"
#include "commands/FoxProConnection.h"
#include "frame/ErrorTrap.h"
#include "frame/ListHelpers.h"
#include "frame/Locations.h"

#include <algorithm>

namespace cli {

namespace {

// The window's list boxes keep their entries sorted this way wherever they come from.
void sortLikeTheWindow(frame::TableList& list)
{
    std::vector<std::string> texts = list.texts();
    std::stable_sort(texts.begin(), texts.end(), [](const std::string& a, const std::string& b) {
        const std::string la = frame::lowerText(a);
        const std::string lb = frame::lowerText(b);
        return la != lb ? la < lb : a < b;
    });
    list.clear();
    for (const auto& t : texts)
        list.add(t);
}

} // namespace

bool readTableLists(const frame::ConnectionFields& fields, TableLists& lists, bool foxPro, bool ase)
{
    // The same steps, under the same location text, as the tables window's load: a failure reads the same.
    frame::ErrorTrap trap(frame::loc::Form2_Form_Load);
    if (foxPro) {
        std::string connection;
        trap.step(118, [&] { connection = commands::foxProConnectionString(fields); });
        trap.step(120, [&] { commands::listFoxProTables(lists.foxPro, connection, {}); });
        sortLikeTheWindow(lists.foxPro);
    }
    if (ase) {
        trap.step(122, [&] { commands::listAseTables(lists.ase, fields, {}); });
        sortLikeTheWindow(lists.ase);
    }
    return trap.failures() == 0;
}

std::vector<std::string> selectTables(frame::TableList& list, const std::vector<std::string>& names, bool all)
{
    if (all) {
        for (int i = 0; i < list.count(); ++i)
            list.select(i);
        return {};
    }
    std::vector<std::string> unknown;
    for (const auto& name : names) {
        bool found = false;
        for (int i = 0; i < list.count(); ++i)
            if (list.text(i) == name) {
                list.select(i);
                found = true;
            }
        for (int i = 0; i < list.count() && !found; ++i)
            if (frame::lowerText(list.text(i)) == frame::lowerText(name)) {
                list.select(i);
                found = true;
            }
        if (!found)
            unknown.push_back(name);
    }
    return unknown;
}

std::vector<std::string> selectedTables(const frame::TableList& list)
{
    std::vector<std::string> selected;
    for (int i = 0; i < list.count(); ++i)
        if (list.isSelected(i))
            selected.push_back(list.text(i));
    return selected;
}

} // namespace cli
