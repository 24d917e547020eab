#pragma once

#include "frame/ConnectionFields.h"
#include "frame/WindowControls.h"

#include <string>

namespace commands {

// The ASE connection string from the fields as they stand:
// "Provider=ASEOLEDB;Data Source=" server ":" port ";User Id=" user ";Password=" password ";;Catalog=" database,
// each value quoted by the connection-string rules when it would otherwise break the string (a ';', a quote, a
// brace, a blank at either end), so that no field can add or replace an attribute. Then, only when set,
// ";Connect Deadline=" and ";Query Timeout=" with the settings' seconds.
std::string aseConnectionString(const frame::ConnectionFields& fields);

// The silent check: whether a connection opens with that string (default cursor location). Nothing is shown.
bool canConnectAse(const frame::ConnectionFields& fields);

// Fills `list` with the server's tables: schema rowset rows whose TABLE_TYPE is exactly "TABLE" and whose
// upper-cased name nowhere contains "SYS". Yields to the user interface before each table row. Failures reach
// the caller; the list is emptied only once the schema rowset is there.
void listAseTables(frame::ListControl& list, const frame::ConnectionFields& fields, const frame::YieldFn& yield);

// The connection window's ASE Test Connection command: "Connection successful." or "Could not connect.",
// under the hourglass.
void testAseConnection(const frame::ConnectionFields& fields, const frame::SetPointerFn& setPointer);

} // namespace commands
