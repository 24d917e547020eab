#include "db/SybaseAse.h"

#include "app/Dialogs.h"
#include "app/ErrorTrap.h"
#include "app/Locations.h"
#include "db/Connection.h"
#include "db/Recordset.h"

#include <memory>
#include <stdexcept>

namespace db {

std::string AseConnectionString(const ConnectionFields& fields)
{
    return "Provider=ASEOLEDB;Data Source=" + fields.text1 + ":" + fields.text2 + ";User Id=" + fields.text3 +
           ";Password=" + fields.text4 + ";" + ";Catalog=" + fields.text5;
}

bool CanConnectAse(const ConnectionFields& fields)
{
    Connection connection;
    try {
        connection.Open(AseConnectionString(fields));
        return true;
    } catch (...) {
        return false;
    }
}

void ListAseTables(TableListSink& list, const ConnectionFields& fields, const YieldFn& yield)
{
    Connection connection;
    connection.Open(AseConnectionString(fields));
    Recordset rs = connection.OpenSchema(ado::SchemaTables);
    list.clear();
    while (!rs.Eof()) {
        if (rs.fields("TABLE_TYPE").value().toText() == "TABLE") {
            if (yield)
                yield();
            std::string name = rs.fields("TABLE_NAME").value().toText();
            // Names that look like system tables are left out wherever "SYS" occurs in them.
            if (toUpperAscii(name).find("SYS") == std::string::npos)
                list.add(name);
        }
        rs.MoveNext();
    }
    rs.Close();
    connection.Close();
}

void AseTestConnection(const ConnectionFields& fields, const SetPointerFn& setPointer)
{
    app::ErrorTrap trap(app::loc::Form1_PushButton2_Click);
    std::unique_ptr<Connection> connection;
    trap.step(100, [&] { connection = std::make_unique<Connection>(); });
    // From here on the command's own handler answers every failure.
    bool failed = false;
    try {
        setPointer(11);
        if (!connection)
            throw std::runtime_error("no connection object");
        connection->Open(AseConnectionString(fields));
        app::MsgBox("Connection successful.", app::OkOnly);
        setPointer(0);
    } catch (...) {
        failed = true;
    }
    if (failed) {
        // The hourglass stays up until the user has dismissed the message.
        app::MsgBox("Could not connect.", app::OkOnly);
        setPointer(0);
    }
    // The connection is released here, without an explicit close.
}

} // namespace db
