#include "commands/FoxProConnection.h"

#include "commands/ConnectionChecks.h"
#include "db/ConnectionString.h"
#include "frame/Locations.h"

namespace commands {

std::string foxProConnectionString(const frame::ConnectionFields& fields)
{
    if (fields.useDbcFile)
        return "Provider=vfpoledb.1;Data Source=" + db::connectionStringValue(fields.dbcFile) +
               ";Collating Sequence=machine;";
    return "Provider=vfpoledb.1;Data Source=" + db::connectionStringValue(fields.freeTableFolder) +
           ";Collating Sequence=general;";
}

bool canConnectFoxPro(const frame::ConnectionFields& fields)
{
    return canOpen(foxProConnectionString(fields), db::CursorLocation::Server);
}

void listFoxProTables(frame::ListControl& list, const std::string& connectionString, const frame::YieldFn& yield)
{
    listTables(list, connectionString, yield, {});
}

void testFoxProConnection(const frame::ConnectionFields& fields, const frame::SetPointerFn& setPointer)
{
    testConnection(frame::loc::Form1_PushButton6_Click, foxProConnectionString(fields), db::CursorLocation::Server,
                   setPointer);
}

} // namespace commands
