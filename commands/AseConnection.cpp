#include "commands/AseConnection.h"

#include "commands/ConnectionChecks.h"
#include "db/ConnectionString.h"
#include "frame/Locations.h"

namespace commands {

std::string aseConnectionString(const frame::ConnectionFields& fields)
{
    using db::connectionStringValue;
    std::string text =
        "Provider=ASEOLEDB;Data Source=" + connectionStringValue(fields.aseServer + ":" + fields.asePort) +
        ";User Id=" + connectionStringValue(fields.aseUser) + ";Password=" + connectionStringValue(fields.asePassword) +
        ";" + ";Catalog=" + connectionStringValue(fields.aseDatabase);
    if (!fields.connectDeadline.empty())
        text += std::string(";") + db::kConnectDeadlineKey + "=" + connectionStringValue(fields.connectDeadline);
    if (!fields.queryTimeout.empty())
        text += std::string(";") + db::kQueryTimeoutKey + "=" + connectionStringValue(fields.queryTimeout);
    return text;
}

// The ASE connection keeps the default cursor location: the connection object's own.
bool canConnectAse(const frame::ConnectionFields& fields)
{
    return canOpen(aseConnectionString(fields), db::Connection().CursorLocation);
}

void listAseTables(frame::ListControl& list, const frame::ConnectionFields& fields, const frame::YieldFn& yield)
{
    // Names that look like system tables are left out wherever "SYS" occurs in them.
    listTables(list, aseConnectionString(fields), yield,
               [](const std::string& name) { return db::toUpperAscii(name).find("SYS") == std::string::npos; });
}

void testAseConnection(const frame::ConnectionFields& fields, const frame::SetPointerFn& setPointer)
{
    testConnection(frame::loc::Form1_PushButton2_Click, aseConnectionString(fields), db::Connection().CursorLocation,
                   setPointer);
}

} // namespace commands
