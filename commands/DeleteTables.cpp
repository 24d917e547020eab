#include "commands/AseConnection.h"
#include "commands/CommandSupport.h"
#include "commands/Commands.h"
#include "commands/FoxProConnection.h"
#include "db/Connection.h"
#include "frame/Dialogs.h"
#include "frame/ErrorTrap.h"
#include "frame/Locations.h"

namespace commands {

namespace {

using namespace detail;

// Drops each selected table of a list, from the last entry up so that a removal never shifts an entry still to
// be visited. An entry leaves its list only when its DROP went through: a refused drop is reported and stays.
// The first line is the step that walks the list; the three after it test, drop and remove.
void dropSelected(frame::ErrorTrap& trap, int firstLine, frame::ListControl& list, db::Connection* connection,
                  std::string (*delimit)(const std::string&))
{
    int lastIndex = -1;
    trap.step(firstLine, [&] { lastIndex = list.count() - 1; });
    for (int index = lastIndex; index >= 0; --index) {
        if (!trap.test(firstLine + 2, [&] { return list.isSelected(index); }))
            continue;
        const bool dropped = stepSucceeded(trap, firstLine + 4, [&] {
            if (!connection)
                throw std::runtime_error("Object variable or With block variable not set");
            connection->Execute("DROP TABLE " + delimit(list.text(index)));
        });
        if (dropped)
            trap.step(firstLine + 6, [&] { list.removeAt(index); });
    }
}

// Delete Table/s, FoxPro side: no question is asked before a table is dropped.
void deleteFoxProSteps(TablesWindowSeam& w)
{
    frame::ErrorTrap trap(frame::loc::Form2_PushButton1_Click);
    std::unique_ptr<db::Connection> connection;
    trap.step(100, [&] { connection = std::make_unique<db::Connection>(); });
    trap.step(102, [&] { w.setPointer(frame::PointerState::Hourglass); });
    trap.step(104, [&] { obj(connection).CursorLocation = db::CursorLocation::Server; });
    trap.step(106, [&] { obj(connection).Mode = db::ConnectMode::ReadWrite; });
    trap.step(108, [&] { obj(connection).Open(foxProConnectionString(w.fields())); });
    if (!trap.test(110, [&] { return w.foxProList->currentRow() != -1; }))
        trap.step(112, [] { frame::MsgBox("Please select a table", frame::OkOnly); });
    else
        dropSelected(trap, 116, *w.foxProList, connection.get(), foxProName);
    trap.step(124, [&] { w.setPointer(frame::PointerState::Default); });
}

// Delete Table/s, ASE side: the same on List2, with no cursor location or mode set.
void deleteAseSteps(TablesWindowSeam& w)
{
    frame::ErrorTrap trap(frame::loc::Form2_PushButton5_Click);
    std::unique_ptr<db::Connection> connection;
    trap.step(100, [&] { connection = std::make_unique<db::Connection>(); });
    trap.step(102, [&] { w.setPointer(frame::PointerState::Hourglass); });
    trap.step(104, [&] { obj(connection).Open(aseConnectionString(w.fields())); });
    if (!trap.test(106, [&] { return w.aseList->currentRow() != -1; }))
        trap.step(108, [] { frame::MsgBox("Please select a table", frame::OkOnly); });
    else
        dropSelected(trap, 112, *w.aseList, connection.get(), aseName);
    trap.step(120, [&] { w.setPointer(frame::PointerState::Default); });
}

} // namespace

void deleteFoxProTables(TablesWindowSeam& window)
{
    Busy::Scope busy(window.busy);
    if (busy.entered())
        deleteFoxProSteps(window);
}

void deleteAseTables(TablesWindowSeam& window)
{
    Busy::Scope busy(window.busy);
    if (busy.entered())
        deleteAseSteps(window);
}

} // namespace commands
