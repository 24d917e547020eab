#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace db::vfp {

struct SqlToken {
    enum class Kind { Word, QuotedName, Text, Number, Symbol, End };
    Kind kind = Kind::End;
    std::string text;        // word as written, name or text with doubled quotes undone, number, or the symbol
    std::string_view source; // the token exactly as it stands in the statement, for error messages
    size_t position = 0;     // 1-based character position of the token's first byte
};

// Splits a statement into tokens: bare words, "quoted names" ("" stands for "), 'texts' ('' stands for '),
// unsigned numbers (digits, optional fraction and exponent) and single-character symbols. Blanks, tabs and line
// breaks separate tokens anywhere. The list always ends with an End token. Throws on an unclosed quote.
// Tokens view `sql` for their source, so it must outlive them.
std::vector<SqlToken> tokenizeSql(const std::string& sql);

} // namespace db::vfp
