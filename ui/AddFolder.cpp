#include "ui/AddFolder.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace ui {

QString BrowseForFolder(QWidget* owner, const QString& prompt, const QString& initialFolder)
{
    QFileDialog dialog(owner, prompt);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setWindowModality(Qt::ApplicationModal);
    const QFileInfo initial(initialFolder);
    if (!initialFolder.isEmpty() && initial.isDir()) {
        // Open in the parent so the initial folder shows as the selected entry.
        QDir parent = initial.absoluteDir();
        dialog.setDirectory(parent);
        dialog.selectFile(initial.fileName().isEmpty() ? initial.absoluteFilePath() : initial.fileName());
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return {};
    return QDir::toNativeSeparators(chosen.first());
}

} // namespace ui
