#pragma once

#include <iosfwd>
#include <string>

namespace cli {

// Where the command line reads and writes, and whether a person is at the other end.
struct Console {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool inIsTerminal = false;  // answers can be asked for
    bool errIsTerminal = false; // progress is one line, written over
};

// The one progress line on a terminal's standard error, written over as it changes. Everything else written to
// standard error clears it first. Off a terminal it writes nothing.
class StatusLine {
public:
    explicit StatusLine(Console& console) : m_console(console) {}
    void show(const std::string& text);
    void clear();

private:
    Console& m_console;
    bool m_shown = false;
};

} // namespace cli
