#pragma once

#include "cli/Console.h"
#include "cli/Options.h"
#include "frame/Dialogs.h"

#include <string>
#include <vector>

namespace cli {

// The commands' dialogs on a console. Message boxes (the "Application Error" report among them) are written to
// standard error in the box's words and counted as reports. The one question the commands ask, whether to replace
// a table, is answered by --overwrite, or asked on the terminal. Installed for as long as it lives.
class ConsoleDialogs : public frame::Dialogs {
public:
    ConsoleDialogs(Console& console, StatusLine& status, Overwrite overwrite);
    ~ConsoleDialogs() override;
    ConsoleDialogs(const ConsoleDialogs&) = delete;
    ConsoleDialogs& operator=(const ConsoleDialogs&) = delete;

    int messageBox(const std::string& text, int style, const std::string& title) override;
    // Not asked by the commands the command line runs: answered as cancelled.
    std::string inputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override;
    std::string fileOpen(QWidget* owner, const frame::FileOpenRequest& request) override;
    std::string browseForFolder(QWidget* owner, const std::string& prompt, const std::string& initialFolder) override;

    // Message boxes written to standard error so far.
    int reports() const { return m_reports; }

    // While set, plain messages (not the error report) are kept here instead of written: the connection tests' answers.
    std::vector<std::string>* keepMessages = nullptr;

private:
    int ask(const std::string& question);

    Console& m_console;
    StatusLine& m_status;
    Overwrite m_overwrite;
    int m_reports = 0;
};

// A message box's text as console lines: its CR LF and lone CR line breaks become LF.
std::string consoleLines(const std::string& text);

} // namespace cli
