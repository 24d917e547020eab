#pragma once

#include "frame/ConnectionFields.h"
#include "frame/TableList.h"

#include <string>
#include <vector>

namespace cli {

// Both sides' tables, read as the tables window reads them when it loads (same listings, same filters, same
// error report), each list in the window's order: alphabetical, letter case aside.
struct TableLists {
    frame::TableList foxPro;
    frame::TableList ase;
};

// Fills the lists asked for. False when a listing failed; the error report has said why.
bool readTableLists(const frame::ConnectionFields& fields, TableLists& lists, bool foxPro, bool ase);

// Selects the entries named (the same text, or failing that the same text letter case aside), or every entry.
// Returns the names that match no entry.
std::vector<std::string> selectTables(frame::TableList& list, const std::vector<std::string>& names, bool all);

// The texts of the selected entries, from the top of the list.
std::vector<std::string> selectedTables(const frame::TableList& list);

} // namespace cli
