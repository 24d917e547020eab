#pragma once

#include <functional>
#include <string>

class QWidget;

namespace frame {

// Message box styles and answers, as the commands name them.
enum MessageStyle : int { OkOnly = 0, YesNo = 4, Exclamation = 48 };
enum MessageAnswer : int { AnswerOk = 1, AnswerYes = 6, AnswerNo = 7 };

struct FileOpenRequest {
    std::string fileName; // initial file name
    long flags = 0;
    std::string title;
    std::string filter; // "Description (*.ext)|*.ext|"
};

// Every dialog the program shows goes through this one interface, so tests can script them.
// Texts are UTF-8. An empty title means the application title.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual int messageBox(const std::string& text, int style, const std::string& title) = 0;
    // The typed answer, or empty text on Cancel.
    virtual std::string inputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) = 0;
    // The chosen file's full path, or empty text on Cancel.
    virtual std::string fileOpen(QWidget* owner, const FileOpenRequest& request) = 0;
    // The chosen folder's full path, or empty text on Cancel.
    virtual std::string browseForFolder(QWidget* owner, const std::string& prompt,
                                        const std::string& initialFolder) = 0;
};

// The dialogs in force: the Qt ones in the program, scripted ones in tests.
Dialogs& dialogs();
void setDialogs(Dialogs* d);

// Work that must be done before the user sees any message box, held for as long as the object lives (a send
// commits the rows it has sent, so that what a box reports is on disk while the user reads it). One at a time; the
// one it replaced is back when it ends.
class BeforeMessageBox {
public:
    explicit BeforeMessageBox(std::function<void()> work);
    ~BeforeMessageBox();
    BeforeMessageBox(const BeforeMessageBox&) = delete;
    BeforeMessageBox& operator=(const BeforeMessageBox&) = delete;

private:
    std::function<void()> m_previous;
};

// Runs the work registered with BeforeMessageBox, if any; every message box calls it first.
void runBeforeMessageBox();

// Shorthand for a message box; an empty title takes the application title.
int MsgBox(const std::string& text, int style = OkOnly, const std::string& title = {});

} // namespace frame
