#pragma once

#include "frame/Dialogs.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// Dialogs for tests: every dialog shown is recorded; answers come from a queue. An OK-only message box needs
// no answer. A dialog that needs an answer when the queue is empty fails the test and is answered as cancelled
// (No, empty text), so nothing ever blocks.
class ScriptedDialogs : public frame::Dialogs {
public:
    struct Shown {
        std::string kind; // "message", "input", "file", "folder"
        std::string text; // message text, prompt
        int style = 0;
        std::string title;
        std::string initial; // default text, initial folder, file dialog filter
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;

    void answer(int button) { m_buttons.push_back(button); }
    void answer(const std::string& text) { m_texts.push_back(text); }

    int messageBox(const std::string& text, int style, const std::string& title) override;
    std::string inputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override;
    std::string fileOpen(QWidget* owner, const frame::FileOpenRequest& request) override;
    std::string browseForFolder(QWidget* owner, const std::string& prompt, const std::string& initialFolder) override;

    // Called with each message box's text as it is shown, before it is answered.
    std::function<void(const std::string& text)> onMessage;

    const std::vector<Shown>& shown() const { return m_shown; }
    std::vector<std::string> messages() const; // texts of the message boxes, in order
    void clear() { m_shown.clear(); }

private:
    std::string nextText(const char* kind);

    std::deque<int> m_buttons;
    std::deque<std::string> m_texts;
    std::vector<Shown> m_shown;
    frame::Dialogs* m_previous = nullptr;
};

} // namespace testsupport
