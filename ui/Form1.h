#pragma once

#include "frame/ConnectionFields.h"
#include "frame/WindowControls.h"
#include "ui/WindowHelpers.h"

#include <QWidget>
#include <functional>
#include <memory>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace ui {

class Form2;
class MousePointer;
class TextField;

// The connection window and the start-up window: the ASE connection, the FoxPro source, the two connection tests
// and "Next >". Its fields are the one source of connection values for every command; each field writes its
// setting the moment it changes.
class Form1 : public QWidget {
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // Load, then show unless the stored settings took the user straight to the tables window.
    void start();
    // The start-up sequence: look, title, hand cursor, the stored settings, and the two silent checks.
    void Form_Load();

    // The fields as they stand now.
    const frame::ConnectionFields& fields();

    // The tables window, created on first use; it lives as long as this window.
    Form2& tablesWindow();
    bool hasTablesWindow() const { return m_form2 != nullptr; }
    MousePointer& pointer() { return *m_pointer; }
    // The start-up visit to the maker's web site; tests replace it so that no browser ever opens.
    void setWebSiteVisit(std::function<void()> visit) { m_visitWebSite = std::move(visit); }

    void PushButton1_Click(); // browse for the free-table folder
    void PushButton2_Click(); // Test Connection, ASE
    void PushButton3_Click(); // ASE help note
    void PushButton4_Click(); // Next >
    void PushButton5_Click(); // browse for the DBC file
    void PushButton6_Click(); // Test Connection, FoxPro
    void PushButton7_Click(); // FoxPro note
    void PushButton8_Click(); // use the sample folder

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildAseFrame();
    void buildFoxProFrame();
    void connectCommands();
    void bindSetting(TextField* field, const char* key);
    void storeSetting(const char* key, const QString& value);
    bool busy() const;
    void setPointer(frame::PointerState value);
    void showTablesWindow(bool reload);

    QGroupBox* m_frame1 = nullptr;
    QGroupBox* m_frame2 = nullptr;
    TextField* m_text[8] = {}; // Text1 … Text7 at their numbers
    QRadioButton* m_option1 = nullptr;
    QRadioButton* m_option2 = nullptr;
    QPushButton* m_button[9] = {}; // PushButton1 … PushButton8 at their numbers
    MousePointer* m_pointer = nullptr;
    std::unique_ptr<Form2> m_form2;
    frame::ConnectionFields m_fields;
    std::function<void()> m_visitWebSite = [] { ui::VisitWebSiteAtRandom(); };
    bool m_centred = false;
    bool m_storeFailureShown = false;
};

} // namespace ui
