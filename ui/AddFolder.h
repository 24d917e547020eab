#pragma once

#include <QString>

class QWidget;

namespace ui {

// The folder chooser: a modal folder dialog over `owner` with the prompt as its title, where only folders can be
// confirmed. With an initial folder that exists, that folder is selected when the dialog opens; with an empty one
// the dialog opens at its default place. Returns the chosen folder's full path, or empty text on Cancel.
QString BrowseForFolder(QWidget* owner, const QString& prompt, const QString& initialFolder);

} // namespace ui
