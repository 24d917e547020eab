#pragma once

#include "commands/TablesWindowSeam.h"

namespace commands {

// The table commands of the tables window, each under its own error trap. While one runs (it yields to the
// event loop), a second command started from the window returns at once without doing anything.

// Send Table/s To Sybase ASE: the selected FoxPro tables, bottom of the list first.
void sendToAse(TablesWindowSeam& window);
// Send Table/s To FoxPro: the selected ASE tables, bottom of the list first.
void sendToFoxPro(TablesWindowSeam& window);
// Delete Table/s, FoxPro side and ASE side.
void deleteFoxProTables(TablesWindowSeam& window);
void deleteAseTables(TablesWindowSeam& window);
// Rename Table: the FoxPro side renames the list entry only; the ASE side is disabled.
void renameFoxProEntry(TablesWindowSeam& window);
void renameAseEntry(TablesWindowSeam& window);

} // namespace commands
