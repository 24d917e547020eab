#include "commands/CommandSupport.h"
#include "commands/Commands.h"
#include "frame/Dialogs.h"
#include "frame/ErrorTrap.h"
#include "frame/Locations.h"

namespace commands {

namespace {

using namespace detail;

// Rename Table, FoxPro side: only the list entry changes; the FoxPro source is not touched.
void renameFoxProSteps(TablesWindowSeam& w)
{
    frame::ErrorTrap trap(frame::loc::Form2_PushButton6_Click);
    frame::ListControl& list = *w.foxProList;
    if (trap.test(100, [&] { return list.selectedCount() != 1; })) {
        trap.step(102, [] { frame::MsgBox("Please select just one table to rename.", frame::OkOnly); });
        return;
    }
    if (trap.test(104, [&] { return list.currentRow() == -1; })) {
        trap.step(106, [] { frame::MsgBox("Please select a table to rename.", frame::OkOnly); });
        return;
    }
    trap.step(108, [&] { w.setPointer(frame::PointerState::Hourglass); });
    std::string name;
    int selectedIndex = -1;
    for (int index = 0; index < list.count(); ++index) { // 110
        if (trap.test(112, [&] { return list.isSelected(index); })) {
            trap.step(114, [&] { name = list.text(index); });
            trap.step(116, [&] { selectedIndex = index; });
        }
    }
    std::string answer;
    trap.step(120, [&] {
        answer = frame::dialogs().inputBox("Enter new name of " + list.text(list.currentRow()) + ":", {}, name);
    });
    if (!answer.empty()) { // 122
        trap.step(124, [&] { list.removeAt(selectedIndex); });
        trap.step(126, [&] { list.add(answer); });
    }
    trap.step(128, [&] { w.setPointer(frame::PointerState::Default); });
}

} // namespace

void renameFoxProEntry(TablesWindowSeam& window)
{
    Busy::Scope busy(window.busy);
    if (busy.entered())
        renameFoxProSteps(window);
}

// Rename Table, ASE side.
void renameAseEntry(TablesWindowSeam& window)
{
    Busy::Scope busy(window.busy);
    if (!busy.entered())
        return;
    frame::ErrorTrap trap(frame::loc::Form2_PushButton7_Click);
    trap.step(100, [] { frame::MsgBox("This feature is disabled.", frame::OkOnly); });
}

} // namespace commands
