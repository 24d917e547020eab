#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tools {

// Opens the connection string through db::Connection and runs each statement in turn: SELECT … prints its
// recordset as JSON lines (the fields, then one line per row), SCHEMA prints the tables schema rowset the same
// way, anything else is executed. Stops at the first failure, writing its description to `err`.
// Returns the process exit code: 0 when every statement ran, 1 otherwise.
int runStatements(const std::string& connectionString, const std::vector<std::string>& statements, std::ostream& out,
                  std::ostream& err);

} // namespace tools
