#include "ui/QtDialogs.h"

#include "ui/WindowHelpers.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QStringList>

namespace ui {

namespace {

QString titleOrApplication(const std::string& title)
{
    return title.empty() ? applicationTitle() : QString::fromStdString(title);
}

// A Yes/No question has no way out but its two buttons: Esc and the close button do nothing.
class QuestionBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape && standardButtons() == (QMessageBox::Yes | QMessageBox::No)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override
    {
        if (standardButtons() == (QMessageBox::Yes | QMessageBox::No) && !clickedButton()) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }
};

} // namespace

QString displayText(const std::string& text)
{
    QString s = QString::fromStdString(text);
    s.replace("\r\n", "\n");
    s.replace('\r', '\n');
    return s;
}

QString qtFileFilter(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString pattern = QString(parts[i + 1]).replace(';', ' ');
        // A description that already names its pattern, like "Microsoft Database (*.dbc)", is shown as it is.
        filters << (parts[i].contains('(') ? parts[i] : parts[i] + " (" + pattern + ")");
    }
    return filters.join(";;");
}

int QtDialogs::messageBox(const std::string& text, int style, const std::string& title)
{
    // Owned by the window that asks: centred over it and modal to it.
    QuestionBox box(QApplication::activeWindow());
    box.setWindowTitle(titleOrApplication(title));
    box.setText(displayText(text));
    if ((style & 0xF) == frame::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    if ((style & 0x30) == frame::Exclamation)
        box.setIcon(QMessageBox::Warning);
    const int pressed = box.exec();
    if ((style & 0xF) == frame::YesNo)
        return pressed == QMessageBox::Yes ? frame::AnswerYes : frame::AnswerNo;
    return frame::AnswerOk;
}

std::string QtDialogs::inputBox(const std::string& prompt, const std::string& title, const std::string& defaultText)
{
    bool ok = false;
    const QString answer =
        QInputDialog::getText(QApplication::activeWindow(), titleOrApplication(title), displayText(prompt),
                              QLineEdit::Normal, QString::fromStdString(defaultText), &ok);
    return ok ? answer.toStdString() : std::string();
}

std::string QtDialogs::fileOpen(QWidget* owner, const frame::FileOpenRequest& request)
{
    return QFileDialog::getOpenFileName(owner, QString::fromStdString(request.title),
                                        QString::fromStdString(request.fileName), qtFileFilter(request.filter))
        .toStdString();
}

std::string QtDialogs::browseForFolder(QWidget* owner, const std::string& prompt, const std::string& initialFolder)
{
    if (m_folderChooser)
        return m_folderChooser(owner, prompt, initialFolder);
    return QFileDialog::getExistingDirectory(owner, QString::fromStdString(prompt),
                                             QString::fromStdString(initialFolder))
        .toStdString();
}

} // namespace ui
