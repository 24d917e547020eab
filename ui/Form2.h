#pragma once

#include "commands/TablesWindowSeam.h"
#include "ui/WindowAdapters.h"

#include <QWidget>
#include <memory>

class QGroupBox;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace ui {

class Form1;
class MousePointer;

// The tables window: the FoxPro tables (List1) and the ASE tables (List2) with the commands that send, delete
// and rename them, a progress bar for the sends, "< Back" and Help. The table commands themselves live in
// transfer/; this window hands them its lists, progress bar, pointer and the connection window's fields.
class Form2 : public QWidget {
public:
    explicit Form2(Form1& connectionWindow);
    ~Form2() override;

    // Reads both catalogues afresh into the lists. The connection window calls it before every showing.
    void Form_Load();
    bool loaded() const { return m_loaded; }

    commands::TablesWindowSeam& seam() { return m_seam; }
    MousePointer& pointer() { return *m_pointer; }
    QListWidget& list1() { return *m_list1; }
    QListWidget& list2() { return *m_list2; }
    QProgressBar& progressBar() { return *m_progressBar; }

    void PushButton1_Click();  // Delete Table/s, FoxPro
    void PushButton2_Click();  // < Back
    void PushButton3_Click();  // Send Table/s To Sybase ASE
    void PushButton4_Click();  // Send Table/s To FoxPro
    void PushButton5_Click();  // Delete Table/s, ASE
    void PushButton6_Click();  // Rename Table, FoxPro
    void PushButton7_Click();  // Rename Table, ASE
    void PushButton8_Click();  // Select All, ASE
    void PushButton9_Click();  // Deselect All, ASE
    void PushButton10_Click(); // Select All, FoxPro
    void PushButton11_Click(); // Deselect All, FoxPro
    void PushButton12_Click(); // Help

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildFoxProFrame();
    void buildAseFrame();
    void connectCommands();
    void selectAll(QListWidget& list, const char* location, bool selected);

    Form1& m_form1;
    QGroupBox* m_frame1 = nullptr;
    QGroupBox* m_frame2 = nullptr;
    QListWidget* m_list1 = nullptr;
    QListWidget* m_list2 = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QPushButton* m_button[13] = {}; // PushButton1 … PushButton12 at their numbers
    MousePointer* m_pointer = nullptr;
    std::unique_ptr<ProgressBarControl> m_progress;
    std::unique_ptr<ListWidgetControl> m_foxProList;
    std::unique_ptr<ListWidgetControl> m_aseList;
    commands::TablesWindowSeam m_seam;
    bool m_loaded = false;
    bool m_centred = false;
};

// Closing either window ends the program at once (also in the middle of a command).
void endProgram(Form2* tablesWindow);

} // namespace ui
