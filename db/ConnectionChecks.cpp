#include "db/ConnectionChecks.h"

#include "app/Dialogs.h"
#include "app/ErrorTrap.h"
#include "db/Recordset.h"

#include <memory>
#include <stdexcept>

namespace db {

bool canOpen(const std::string& connectionString, int cursorLocation)
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

void testConnection(const char* location, const std::string& connectionString, int cursorLocation,
                    const SetPointerFn& setPointer)
{
    app::ErrorTrap trap(location);
    std::unique_ptr<Connection> connection;
    trap.step(100, [&] { connection = std::make_unique<Connection>(); });
    bool failed = false;
    try {
        setPointer(11);
        if (!connection)
            throw std::runtime_error("no connection object");
        connection->CursorLocation = cursorLocation;
        connection->Open(connectionString);
        app::MsgBox("Connection successful.", app::OkOnly);
        setPointer(0);
    } catch (...) {
        failed = true;
    }
    if (failed) {
        app::MsgBox("Could not connect.", app::OkOnly);
        setPointer(0);
    }
}

void listTables(TableListSink& list, const std::string& connectionString, const YieldFn& yield,
                const std::function<bool(const std::string&)>& keep)
{
    Connection connection;
    connection.Open(connectionString);
    Recordset rs = connection.OpenSchema(ado::SchemaTables);
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

} // namespace db
