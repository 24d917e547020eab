#pragma once

#include "db/ConnectionFields.h"

#include <string>

namespace db {

// The FoxPro connection string, built from the connection window's fields as they stand: the container file
// with the "machine" collating sequence when Option1 is chosen, else the free-table folder with "general".
std::string FoxProConnectionString(const ConnectionFields& fields);

// The silent check: whether a server-side connection opens with that string. Nothing is shown.
bool CanConnectFoxPro(const ConnectionFields& fields);

// Fills `list` with the provider's tables (schema rowset rows whose TABLE_TYPE is exactly "TABLE"), yielding to
// the user interface before each entry. Failures reach the caller; the list is emptied only once the schema
// rowset is there.
void ListFoxProTables(TableListSink& list, const std::string& connectionString, const YieldFn& yield);

// The connection window's FoxPro Test Connection command: "Connection successful." or "Could not connect.",
// under the hourglass.
void FoxProTestConnection(const ConnectionFields& fields, const SetPointerFn& setPointer);

} // namespace db
