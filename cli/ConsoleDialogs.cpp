#include "cli/ConsoleDialogs.h"

#include <istream>
#include <ostream>

namespace cli {

namespace {
constexpr const char* kApplicationError = "Application Error";
} // namespace

std::string consoleLines(const std::string& text)
{
    std::string lines;
    lines.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            lines += text[i];
            continue;
        }
        lines += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    return lines;
}

ConsoleDialogs::ConsoleDialogs(Console& console, StatusLine& status, Overwrite overwrite)
    : m_console(console), m_status(status), m_overwrite(overwrite)
{
    frame::setDialogs(this);
}

ConsoleDialogs::~ConsoleDialogs()
{
    frame::setDialogs(nullptr);
}

int ConsoleDialogs::messageBox(const std::string& text, int style, const std::string& title)
{
    if ((style & 0xF) == frame::YesNo)
        return ask(text);
    if (keepMessages && title != kApplicationError) {
        keepMessages->push_back(text);
        return frame::AnswerOk;
    }
    ++m_reports;
    m_status.clear();
    if (title == kApplicationError)
        m_console.err << "corvalen-cli: " << kApplicationError << "\n" << consoleLines(text) << "\n\n";
    else
        m_console.err << "corvalen-cli: " << consoleLines(text) << "\n";
    m_console.err.flush();
    return frame::AnswerOk;
}

int ConsoleDialogs::ask(const std::string& question)
{
    if (m_overwrite == Overwrite::Yes)
        return frame::AnswerYes;
    if (m_overwrite == Overwrite::No)
        return frame::AnswerNo;
    m_status.clear();
    if (!m_console.inIsTerminal) {
        // The runner checks before it starts that no question will come; should one come all the same, keeping
        // the table is the answer that loses nothing.
        ++m_reports;
        m_console.err << "corvalen-cli: " << question << " No: there is no terminal to ask on.\n" << std::flush;
        return frame::AnswerNo;
    }
    for (;;) {
        m_console.err << question << " [y/n] " << std::flush;
        std::string answer;
        if (!std::getline(m_console.in, answer)) {
            m_console.err << "\n";
            return frame::AnswerNo;
        }
        if (answer == "y" || answer == "Y" || answer == "yes")
            return frame::AnswerYes;
        if (answer == "n" || answer == "N" || answer == "no")
            return frame::AnswerNo;
    }
}

std::string ConsoleDialogs::inputBox(const std::string& /*prompt*/, const std::string& /*title*/,
                                     const std::string& /*defaultText*/)
{
    return {};
}

std::string ConsoleDialogs::fileOpen(QWidget* /*owner*/, const frame::FileOpenRequest& /*request*/)
{
    return {};
}

std::string ConsoleDialogs::browseForFolder(QWidget* /*owner*/, const std::string& /*prompt*/,
                                            const std::string& /*initialFolder*/)
{
    return {};
}

} // namespace cli
