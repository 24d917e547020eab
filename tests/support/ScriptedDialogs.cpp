#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace testsupport {

ScriptedDialogs::ScriptedDialogs()
{
    frame::setDialogs(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    frame::setDialogs(nullptr);
    EXPECT_TRUE(m_buttons.empty()) << m_buttons.size() << " scripted button answers were never asked for";
    EXPECT_TRUE(m_texts.empty()) << m_texts.size() << " scripted text answers were never asked for";
}

int ScriptedDialogs::messageBox(const std::string& text, int style, const std::string& title)
{
    m_shown.push_back({"message", text, style, title, {}});
    if (onMessage)
        onMessage(text);
    if ((style & 0xF) == frame::OkOnly)
        return frame::AnswerOk;
    if (m_buttons.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return frame::AnswerNo;
    }
    int b = m_buttons.front();
    m_buttons.pop_front();
    return b;
}

std::string ScriptedDialogs::nextText(const char* kind)
{
    if (m_texts.empty()) {
        ADD_FAILURE() << "unexpected " << kind << " dialog";
        return {};
    }
    std::string t = m_texts.front();
    m_texts.pop_front();
    return t;
}

std::string ScriptedDialogs::inputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultText)
{
    m_shown.push_back({"input", prompt, 0, title, defaultText});
    return nextText("input");
}

std::string ScriptedDialogs::fileOpen(QWidget*, const frame::FileOpenRequest& request)
{
    m_shown.push_back({"file", request.fileName, static_cast<int>(request.flags), request.title, request.filter});
    return nextText("file-open");
}

std::string ScriptedDialogs::browseForFolder(QWidget*, const std::string& prompt, const std::string& initialFolder)
{
    m_shown.push_back({"folder", prompt, 0, {}, initialFolder});
    return nextText("folder");
}

std::vector<std::string> ScriptedDialogs::messages() const
{
    std::vector<std::string> out;
    for (const auto& s : m_shown)
        if (s.kind == "message")
            out.push_back(s.text);
    return out;
}

} // namespace testsupport
