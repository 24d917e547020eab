#pragma once

#include "db/ConnectionFields.h"

#include <string>

namespace db {

// The ASE connection string, by plain concatenation of the fields as they stand:
// "Provider=ASEOLEDB;Data Source=" server ":" port ";User Id=" user ";Password=" password ";;Catalog=" database.
std::string AseConnectionString(const ConnectionFields& fields);

// The silent check: whether a connection opens with that string (default cursor location). Nothing is shown.
bool CanConnectAse(const ConnectionFields& fields);

// Fills `list` with the server's tables: schema rowset rows whose TABLE_TYPE is exactly "TABLE" and whose
// upper-cased name nowhere contains "SYS". Yields to the user interface before each table row. Failures reach
// the caller; the list is emptied only once the schema rowset is there.
void ListAseTables(TableListSink& list, const ConnectionFields& fields, const YieldFn& yield);

// The connection window's ASE Test Connection command: "Connection successful." or "Could not connect.",
// under the hourglass.
void AseTestConnection(const ConnectionFields& fields, const SetPointerFn& setPointer);

} // namespace db
