#pragma once

#include "transfer/TablesWindowSeam.h"

namespace transfer {

// The table commands of the tables window, each under its own error trap. While one runs (it yields to the
// event loop), a second command started from the window returns at once without doing anything.

// Send Table/s To Sybase ASE: the selected List1 tables, bottom of the list first.
void PushButton3_Click(TablesWindowSeam& window);
// Send Table/s To FoxPro: the selected List2 tables, bottom of the list first.
void PushButton4_Click(TablesWindowSeam& window);
// Delete Table/s, FoxPro side (List1) and ASE side (List2).
void PushButton1_Click(TablesWindowSeam& window);
void PushButton5_Click(TablesWindowSeam& window);
// Rename Table: the FoxPro side renames the list entry only; the ASE side is disabled.
void PushButton6_Click(TablesWindowSeam& window);
void PushButton7_Click(TablesWindowSeam& window);

} // namespace transfer
