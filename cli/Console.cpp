#include "cli/Console.h"

#include <ostream>

namespace cli {

namespace {
constexpr const char* kClearLine = "\r\033[K";
} // namespace

void StatusLine::show(const std::string& text)
{
    if (!m_console.errIsTerminal)
        return;
    m_console.err << kClearLine << text << std::flush;
    m_shown = true;
}

void StatusLine::clear()
{
    if (!m_shown)
        return;
    m_console.err << kClearLine << std::flush;
    m_shown = false;
}

} // namespace cli
