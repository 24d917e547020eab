#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace db::odbc {

// How the stand-in groups the INSERT statements of a send into transactions: a group is committed once it holds
// this many statements or is this old, whichever comes first.
inline constexpr std::size_t kGroupStatements = 1000;
inline constexpr std::chrono::milliseconds kGroupAge{250};

// Groups are aged by db::groupNow() (db/GroupClock.h).

// A fault tests put in the way of every statement a session executes, to play failures SQLite gives only on a
// full disk or a failing device: it is called before the statement runs, with a way to run SQL on the session's
// own connection, and may throw in the statement's place. None in the program.
using RunSql = std::function<void(const std::string& sql)>;
using StatementFault = std::function<void(const std::string& sql, const RunSql& runOnConnection)>;
StatementFault setStatementFault(StatementFault fault);
void applyStatementFault(const std::string& sql, const RunSql& runOnConnection);

} // namespace db::odbc
