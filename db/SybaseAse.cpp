#include "db/SybaseAse.h"

#include "app/Locations.h"
#include "db/ConnectionChecks.h"

namespace db {

std::string AseConnectionString(const ConnectionFields& fields)
{
    return "Provider=ASEOLEDB;Data Source=" + fields.text1 + ":" + fields.text2 + ";User Id=" + fields.text3 +
           ";Password=" + fields.text4 + ";" + ";Catalog=" + fields.text5;
}

// The ASE connection keeps the default cursor location: the connection object's own.
bool CanConnectAse(const ConnectionFields& fields)
{
    return canOpen(AseConnectionString(fields), Connection().CursorLocation);
}

void ListAseTables(TableListSink& list, const ConnectionFields& fields, const YieldFn& yield)
{
    // Names that look like system tables are left out wherever "SYS" occurs in them.
    listTables(list, AseConnectionString(fields), yield,
               [](const std::string& name) { return toUpperAscii(name).find("SYS") == std::string::npos; });
}

void AseTestConnection(const ConnectionFields& fields, const SetPointerFn& setPointer)
{
    testConnection(app::loc::Form1_PushButton2_Click, AseConnectionString(fields), Connection().CursorLocation,
                   setPointer);
}

} // namespace db
