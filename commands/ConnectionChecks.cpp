#include "commands/ConnectionChecks.h"

#include "db/Recordset.h"
#include "frame/Dialogs.h"
#include "frame/ErrorTrap.h"

#include <memory>
#include <stdexcept>

namespace commands {

using db::Connection;
using frame::PointerState;

bool canOpen(const std::string& connectionString, db::CursorLocation cursorLocation)
{
    Connection connection;
    connection.CursorLocation = cursorLocation;
    try {
        connection.Open(connectionString);
        return true;
    } catch (...) {
        return false;
    }
}

void testConnection(const char* location, const std::string& connectionString, db::CursorLocation cursorLocation,
                    const frame::SetPointerFn& setPointer)
{
    frame::ErrorTrap trap(location);
    std::unique_ptr<Connection> connection;
    trap.step(100, [&] { connection = std::make_unique<Connection>(); });
    bool failed = false;
    try {
        setPointer(PointerState::Hourglass);
        if (!connection)
            throw std::runtime_error("no connection object");
        connection->CursorLocation = cursorLocation;
        connection->Open(connectionString);
        frame::MsgBox("Connection successful.", frame::OkOnly);
        setPointer(PointerState::Default);
    } catch (...) {
        failed = true;
    }
    if (failed) {
        frame::MsgBox("Could not connect.", frame::OkOnly);
        setPointer(PointerState::Default);
    }
}

void listTables(frame::ListControl& list, const std::string& connectionString, const frame::YieldFn& yield,
                const std::function<bool(const std::string&)>& keep)
{
    Connection connection;
    connection.Open(connectionString);
    db::Recordset rs = connection.OpenSchema(db::Schema::Tables);
    list.clear();
    while (!rs.Eof()) {
        if (rs.fields("TABLE_TYPE").value().toText() == "TABLE") {
            if (yield)
                yield();
            std::string name = rs.fields("TABLE_NAME").value().toText();
            if (!keep || keep(name))
                list.add(name);
        }
        rs.MoveNext();
    }
    rs.Close();
    connection.Close();
}

} // namespace commands
