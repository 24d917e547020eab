#include "app/Dialogs.h"
#include "app/ErrorTrap.h"
#include "app/Locations.h"
#include "db/Connection.h"
#include "db/Foxpro.h"
#include "db/SybaseAse.h"
#include "transfer/CommandSupport.h"
#include "transfer/Commands.h"

namespace transfer {

namespace {

using namespace detail;

// Drops each selected table of a list, from the last entry up so that a removal never shifts an entry still to
// be visited. An entry leaves its list only when its DROP went through: a refused drop is reported and stays.
// The first line is the step that walks the list; the three after it test, drop and remove.
void dropSelected(app::ErrorTrap& trap, int firstLine, QListWidget& list, db::Connection* connection,
                  std::string (*delimit)(const std::string&))
{
    int lastIndex = -1;
    trap.step(firstLine, [&] { lastIndex = list.count() - 1; });
    for (int index = lastIndex; index >= 0; --index) {
        if (!trap.test(firstLine + 2, [&] { return itemAt(list, index).isSelected(); }))
            continue;
        const bool dropped = stepSucceeded(trap, firstLine + 4, [&] {
            if (!connection)
                throw std::runtime_error("Object variable or With block variable not set");
            connection->Execute("DROP TABLE " + delimit(text(itemAt(list, index))));
        });
        if (dropped)
            trap.step(firstLine + 6, [&] { delete list.takeItem(index); });
    }
}

// Delete Table/s, FoxPro side: no question is asked before a table is dropped.
void deleteFoxProTables(TablesWindowSeam& w)
{
    app::ErrorTrap trap(app::loc::Form2_PushButton1_Click);
    std::unique_ptr<db::Connection> connection;
    trap.step(100, [&] { connection = std::make_unique<db::Connection>(); });
    trap.step(102, [&] { w.setPointer(Hourglass); });
    trap.step(104, [&] { obj(connection).CursorLocation = db::ado::UseServer; });
    trap.step(106, [&] { obj(connection).Mode = 3; }); // read and write
    trap.step(108, [&] { obj(connection).Open(db::FoxProConnectionString(w.fields())); });
    if (!trap.test(110, [&] { return w.list1->currentRow() != -1; }))
        trap.step(112, [] { app::MsgBox("Please select a table", app::OkOnly); });
    else
        dropSelected(trap, 116, *w.list1, connection.get(), foxProName);
    trap.step(124, [&] { w.setPointer(DefaultPointer); });
}

// Delete Table/s, ASE side: the same on List2, with no cursor location or mode set.
void deleteAseTables(TablesWindowSeam& w)
{
    app::ErrorTrap trap(app::loc::Form2_PushButton5_Click);
    std::unique_ptr<db::Connection> connection;
    trap.step(100, [&] { connection = std::make_unique<db::Connection>(); });
    trap.step(102, [&] { w.setPointer(Hourglass); });
    trap.step(104, [&] { obj(connection).Open(db::AseConnectionString(w.fields())); });
    if (!trap.test(106, [&] { return w.list2->currentRow() != -1; }))
        trap.step(108, [] { app::MsgBox("Please select a table", app::OkOnly); });
    else
        dropSelected(trap, 112, *w.list2, connection.get(), aseName);
    trap.step(120, [&] { w.setPointer(DefaultPointer); });
}

} // namespace

void PushButton1_Click(TablesWindowSeam& window)
{
    Busy::Scope busy(window.busy);
    if (busy.entered())
        deleteFoxProTables(window);
}

void PushButton5_Click(TablesWindowSeam& window)
{
    Busy::Scope busy(window.busy);
    if (busy.entered())
        deleteAseTables(window);
}

} // namespace transfer
