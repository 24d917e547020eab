#pragma once

#include "db/odbc/OdbcError.h"

#include <cstddef>
#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace db::odbc {

// How many INSERT statements of a group go to ASE in one request.
inline constexpr std::size_t kBatchStatements = 100;

// What became of the statements of one request.
struct BatchOutcome {
    // The statements that failed on their own, each with its own error; every other statement before resendFrom
    // ran.
    std::vector<std::pair<std::size_t, std::exception_ptr>> failed;
    // The statements from here on did not run (the request failed as a whole, or stopped there): they are for
    // sending again one at a time. The count of statements when all of them ran.
    std::size_t resendFrom = 0;
};

// Sends the statements to the server as one request, one statement per line, and reads every result to the end,
// also past a failed one. Results come one per statement in order; a failure also names the line it happened on.
// A request that brings back fewer results than statements stopped at its last result: what ran before that
// keeps its outcome and the rest is to be sent again.
BatchOutcome sendBatch(Dbc dbc, const std::vector<std::string>& statements);

} // namespace db::odbc
