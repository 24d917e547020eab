#pragma once

#include "frame/Dialogs.h"

#include <QString>
#include <functional>

namespace ui {

// The dialogs of the running program, on Qt.
class QtDialogs : public frame::Dialogs {
public:
    using FolderChooser = std::function<std::string(QWidget*, const std::string&, const std::string&)>;

    int messageBox(const std::string& text, int style, const std::string& title) override;
    std::string inputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override;
    std::string fileOpen(QWidget* owner, const frame::FileOpenRequest& request) override;
    std::string browseForFolder(QWidget* owner, const std::string& prompt, const std::string& initialFolder) override;

    // The folder chooser of the windows; until one is set, a plain directory dialog.
    void setFolderChooser(FolderChooser chooser) { m_folderChooser = std::move(chooser); }

private:
    FolderChooser m_folderChooser;
};

// Message texts use lone carriage returns as line breaks; Qt's labels want line feeds. For display only.
QString displayText(const std::string& text);

// "Description (*.ext)|*.ext|" as a Qt name filter: "Description (*.ext)".
QString qtFileFilter(const std::string& filter);

} // namespace ui
