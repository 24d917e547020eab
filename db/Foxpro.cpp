#include "db/Foxpro.h"

#include "app/Dialogs.h"
#include "app/ErrorTrap.h"
#include "app/Locations.h"
#include "db/Connection.h"
#include "db/Recordset.h"

#include <memory>
#include <stdexcept>

namespace db {

std::string FoxProConnectionString(const ConnectionFields& fields)
{
    if (fields.option1)
        return "Provider=vfpoledb.1;Data Source=" + fields.text6 + ";Collating Sequence=machine;";
    return "Provider=vfpoledb.1;Data Source=" + fields.text7 + ";Collating Sequence=general;";
}

bool CanConnectFoxPro(const ConnectionFields& fields)
{
    Connection connection;
    connection.CursorLocation = ado::UseServer;
    try {
        connection.Open(FoxProConnectionString(fields));
        return true;
    } catch (...) {
        return false;
    }
}

void ListFoxProTables(TableListSink& list, const std::string& connectionString, const YieldFn& yield)
{
    Connection connection;
    connection.Open(connectionString);
    Recordset rs = connection.OpenSchema(ado::SchemaTables);
    list.clear();
    while (!rs.Eof()) {
        if (rs.fields("TABLE_TYPE").value().toText() == "TABLE") {
            if (yield)
                yield();
            list.add(rs.fields("TABLE_NAME").value().toText());
        }
        rs.MoveNext();
    }
    rs.Close();
    connection.Close();
}

void FoxProTestConnection(const ConnectionFields& fields, const SetPointerFn& setPointer)
{
    app::ErrorTrap trap(app::loc::Form1_PushButton6_Click);
    std::unique_ptr<Connection> connection;
    trap.step(100, [&] { connection = std::make_unique<Connection>(); });
    // From here on the command's own handler answers every failure.
    try {
        setPointer(11);
        if (!connection)
            throw std::runtime_error("no connection object");
        connection->CursorLocation = ado::UseServer;
        connection->Open(FoxProConnectionString(fields));
        app::MsgBox("Connection successful.", app::OkOnly);
        setPointer(0);
    } catch (...) {
        app::MsgBox("Could not connect.", app::OkOnly);
        setPointer(0);
    }
    // The connection is released here, without an explicit close.
}

} // namespace db
