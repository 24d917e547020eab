#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tds {

// The text with ASCII letters in lower case.
std::string lowerAscii(std::string_view s);

// One statement of a batch and the line of the batch it starts on (the first line is 1).
struct BatchStatement {
    std::string text;
    int line = 1;
};

// A language request split into its statements as ASE reads a batch: a statement ends at `;` or where a line
// (outside literals, quoted names and comments) begins with a word that starts a statement. A line beginning with
// SELECT goes on an INSERT that has no VALUES yet (INSERT ... SELECT). Blank statements are left out.
std::vector<BatchStatement> splitBatch(std::string_view sql);

// The transaction commands ASE knows, as the test server models them.
enum class TransactionCommand { Begin, Commit, Rollback };
// `begin tran[saction] [name]`, `commit [tran[saction]|work] [name]`, `rollback [tran[saction]|work] [name]`;
// nullopt for anything else.
std::optional<TransactionCommand> transactionCommand(std::string_view statement);

// What FreeTDS sends to end a transaction when autocommit is off: `IF @@TRANCOUNT > 0 COMMIT|ROLLBACK` and, to go on
// in manual-commit mode, `BEGIN TRANSACTION` after it. The end runs only inside a transaction.
struct ConditionalEnd {
    TransactionCommand end;
    bool beginAfter = false;
};
std::optional<ConditionalEnd> conditionalEnd(std::string_view statement);

} // namespace tds
