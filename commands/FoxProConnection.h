#pragma once

#include "frame/ConnectionFields.h"
#include "frame/WindowControls.h"

#include <string>

namespace commands {

// The FoxPro connection string, built from the connection window's fields as they stand: the container file
// with the "machine" collating sequence when the container is chosen, else the free-table folder with "general".
// A path that would break the string (a ';', a quote, a brace, a blank at either end) is quoted.
std::string foxProConnectionString(const frame::ConnectionFields& fields);

// The silent check: whether a server-side connection opens with that string. Nothing is shown.
bool canConnectFoxPro(const frame::ConnectionFields& fields);

// Fills `list` with the provider's tables (schema rowset rows whose TABLE_TYPE is exactly "TABLE"), yielding to
// the user interface before each entry. Failures reach the caller; the list is emptied only once the schema
// rowset is there.
void listFoxProTables(frame::ListControl& list, const std::string& connectionString, const frame::YieldFn& yield);

// The connection window's FoxPro Test Connection command: "Connection successful." or "Could not connect.",
// under the hourglass.
void testFoxProConnection(const frame::ConnectionFields& fields, const frame::SetPointerFn& setPointer);

} // namespace commands
