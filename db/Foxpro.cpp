#include "db/Foxpro.h"

#include "app/Locations.h"
#include "db/ConnectionChecks.h"

namespace db {

std::string FoxProConnectionString(const ConnectionFields& fields)
{
    if (fields.option1)
        return "Provider=vfpoledb.1;Data Source=" + fields.text6 + ";Collating Sequence=machine;";
    return "Provider=vfpoledb.1;Data Source=" + fields.text7 + ";Collating Sequence=general;";
}

bool CanConnectFoxPro(const ConnectionFields& fields)
{
    return canOpen(FoxProConnectionString(fields), ado::UseServer);
}

void ListFoxProTables(TableListSink& list, const std::string& connectionString, const YieldFn& yield)
{
    listTables(list, connectionString, yield, {});
}

void FoxProTestConnection(const ConnectionFields& fields, const SetPointerFn& setPointer)
{
    testConnection(app::loc::Form1_PushButton6_Click, FoxProConnectionString(fields), ado::UseServer, setPointer);
}

} // namespace db
