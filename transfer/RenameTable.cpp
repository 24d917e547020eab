#include "app/Dialogs.h"
#include "app/ErrorTrap.h"
#include "app/Locations.h"
#include "transfer/CommandSupport.h"
#include "transfer/Commands.h"

namespace transfer {

namespace {

using namespace detail;

// Rename Table, FoxPro side: only the list entry changes; the FoxPro source is not touched.
void renameFoxProEntry(TablesWindowSeam& w)
{
    app::ErrorTrap trap(app::loc::Form2_PushButton6_Click);
    QListWidget& list = *w.list1;
    if (trap.test(100, [&] { return list.selectedItems().size() != 1; })) {
        trap.step(102, [] { app::MsgBox("Please select just one table to rename.", app::OkOnly); });
        return;
    }
    if (trap.test(104, [&] { return list.currentRow() == -1; })) {
        trap.step(106, [] { app::MsgBox("Please select a table to rename.", app::OkOnly); });
        return;
    }
    trap.step(108, [&] { w.setPointer(Hourglass); });
    std::string name;
    int selectedIndex = -1;
    for (int index = 0; index < list.count(); ++index) { // 110
        if (trap.test(112, [&] { return itemAt(list, index).isSelected(); })) {
            trap.step(114, [&] { name = text(itemAt(list, index)); });
            trap.step(116, [&] { selectedIndex = index; });
        }
    }
    std::string answer;
    trap.step(120, [&] {
        answer = app::dialogs().inputBox("Enter new name of " + text(itemAt(list, list.currentRow())) + ":", {}, name);
    });
    if (!answer.empty()) { // 122
        trap.step(124, [&] {
            itemAt(list, selectedIndex);
            delete list.takeItem(selectedIndex);
        });
        trap.step(126, [&] { list.addItem(qt(answer)); });
    }
    trap.step(128, [&] { w.setPointer(DefaultPointer); });
}

} // namespace

void PushButton6_Click(TablesWindowSeam& window)
{
    Busy::Scope busy(window.busy);
    if (busy.entered())
        renameFoxProEntry(window);
}

// Rename Table, ASE side.
void PushButton7_Click(TablesWindowSeam& window)
{
    Busy::Scope busy(window.busy);
    if (!busy.entered())
        return;
    app::ErrorTrap trap(app::loc::Form2_PushButton7_Click);
    trap.step(100, [] { app::MsgBox("This feature is disabled.", app::OkOnly); });
}

} // namespace transfer
