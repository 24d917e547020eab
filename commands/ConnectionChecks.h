#pragma once

#include "db/Connection.h"
#include "frame/WindowControls.h"

#include <functional>
#include <string>

namespace commands {

// What the two sides' checks, tests and listings share; each side passes its own connection string and settings.

// Whether a connection with these settings opens. Nothing is shown; every failure answers false.
bool canOpen(const std::string& connectionString, db::CursorLocation cursorLocation);

// A Test Connection command: the common trap covers creating the connection object, then the command's own
// handler answers every failure with "Could not connect." (the hourglass stays up until it is dismissed).
// Success shows "Connection successful.". The connection is released without an explicit close.
void testConnection(const char* location, const std::string& connectionString, db::CursorLocation cursorLocation,
                    const frame::SetPointerFn& setPointer);

// Fills `list` from the schema rowset: rows whose TABLE_TYPE is exactly "TABLE" and that `keep` accepts, yielding
// before each table row. Failures reach the caller; the list is emptied only once the rowset is there.
void listTables(frame::ListControl& list, const std::string& connectionString, const frame::YieldFn& yield,
                const std::function<bool(const std::string&)>& keep);

} // namespace commands
