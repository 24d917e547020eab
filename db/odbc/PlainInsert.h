#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace db::odbc {

// An INSERT of the plain shape the send command builds: INSERT INTO <name> VALUES('..', '..', ...), the name in
// brackets or a bare identifier, every value a quoted text with its quotes doubled, or several joined by + (the
// send splits a text after a backslash that ends a line, which ASE would take for a line continuation; ASE joins
// the pieces, where SQLite would add them as numbers). `head` is the statement up to the opening parenthesis of
// the values, as written.
struct PlainInsert {
    std::string_view head;
    std::size_t count = 0; // values found
};

// Reads `sql` as a plain INSERT and puts the values, unquoted, into values[0..count) (the strings are reused, so
// a caller that keeps the vector makes no new allocation per row once they have grown). Returns false for
// anything else, including a NUL byte anywhere or text after the closing parenthesis: such a statement runs as
// text, as it always did.
bool readPlainInsert(std::string_view sql, std::vector<std::string>& values, PlainInsert& out);

} // namespace db::odbc
