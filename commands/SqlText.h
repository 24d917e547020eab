#pragma once

#include <stdexcept>
#include <string>

namespace commands {

// The failure of a name that cannot be put between its delimiters.
class RefusedName : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A table or column name between the delimiters of a statement. Names are not escaped, so a name holding the
// closing delimiter would end early and let the rest run as SQL: such a name is refused with an error instead.
std::string aseName(const std::string& name);    // [name]
std::string foxProName(const std::string& name); // "name"

// A value's text for between single quotes: each single quotation mark doubled, nothing else changed.
std::string doubleQuotes(const std::string& text);

// The same for a Sybase ASE statement. ASE takes a backslash immediately before a line break inside a literal as
// a line continuation and drops both, so where a backslash is followed by CR or LF the literal ends after the
// backslash and continues as a second literal joined by + ('C:\temp\' + '<CR><LF>next'): every character arrives.
// A value without that sequence gives exactly doubleQuotes().
std::string aseQuotes(const std::string& text);

} // namespace commands
