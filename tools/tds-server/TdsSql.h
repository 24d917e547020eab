#pragma once

#include "TdsTypes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tds {

// ASE stores '' inserted into varchar or text as a single blank. SQLite keeps '', so INSERT statements have each
// empty string literal rewritten to ' ' before SQLite sees them; other statements pass unchanged.
std::string rewriteEmptyLiterals(std::string_view sql);

// ASE's string rules that SQLite lacks, applied to any batch: inside a '…' literal a backslash immediately before a
// line break (LF or CR LF) is a line continuation, and the backslash and the line break both vanish; outside
// literals, `+` between two string literals joins them (SQLite's ||).
std::string applyStringRules(std::string_view sql);

// SQLite's failure text in ASE's words and numbers (102 syntax, 207 column, 208 table, 213 value count,
// 2714 already exists, 2601 duplicate key, 233 null into a not-null column, 257 conversion); anything else keeps
// SQLite's text under the number 30000 + SQLite's result code.
AseError aseErrorFromSqlite(int sqliteCode, const std::string& message);
// The same for a failure of `statement`, with what only the statement tells: DROP TABLE of a missing table is 3701.
AseError aseErrorForStatement(std::string_view statement, int sqliteCode, const std::string& message);
// Whether SQLite's failure is one ASE finds while it compiles a batch (syntax), which stops the whole batch.
bool isParseError(const std::string& message);
// ASE sends "Command has been aborted." (3621) after these errors of a statement.
bool followedByCommandAborted(int number);
AseError commandAborted();
// CREATE, DROP and ALTER, which ASE refuses inside a transaction (2762) unless `ddl in tran` is on.
bool isDefinition(std::string_view statement);
AseError definitionInTransaction(std::string_view statement, const std::string& database);
// INSERT, UPDATE and DELETE.
bool changesRows(std::string_view statement);
// Statements that begin a transaction in chained mode: SELECT, INSERT, UPDATE, DELETE.
bool startsTransactionWhenChained(std::string_view statement);

// One argument of `exec proc a, @name = 'b', NULL`: its name (empty when positional) and value (none for NULL).
struct ProcArgument {
    std::string name;
    std::optional<std::string> value;
};

// `exec`/`execute` followed by a procedure name and arguments; nullopt when the text is not such a call.
struct ProcCall {
    std::string procedure;
    std::vector<ProcArgument> arguments;
};
std::optional<ProcCall> parseExec(std::string_view sql);

// An ASE LIKE pattern (% and _) as an SQLite GLOB pattern, which like ASE's default order is case sensitive.
std::string likeToGlob(std::string_view pattern);

// The words of a `set ...`, `select @@spid` or `use db` batch that FreeTDS sends while connecting, split into its
// commands; empty when the batch holds anything else.
std::vector<std::vector<std::string>> sessionCommands(std::string_view sql);

} // namespace tds
