#include "ui/Form1.h"

#include "commands/AseConnection.h"
#include "commands/FoxProConnection.h"
#include "commands/TablesWindowSeam.h"
#include "frame/BuildConstants.h"
#include "frame/Dialogs.h"
#include "frame/ErrorTrap.h"
#include "frame/Locations.h"
#include "frame/ProgramFiles.h"
#include "frame/SettingsStore.h"
#include "ui/ConnectionNotes.h"
#include "ui/Controls.h"
#include "ui/Form2.h"
#include "ui/Layout.h"
#include "ui/MousePointer.h"
#include "ui/TextField.h"
#include "ui/WindowHelpers.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColor>
#include <QGroupBox>
#include <QLabel>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>

namespace ui {

namespace {

// The password box shows "*" for every character, whatever the platform's own password character.
class StarPasswordStyle : public QProxyStyle {
public:
    explicit StarPasswordStyle(QObject* owner) : QProxyStyle() { setParent(owner); }
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QString readSetting(const char* key, const QString& fallback = {})
{
    return frame::GetSetting(frame::build::SettingsApp, frame::build::SettingsSection, key, fallback);
}

} // namespace

Form1::Form1(QWidget* parent) : QWidget(parent)
{
    setObjectName("Form1");
    setWindowTitle("Form1"); // the design caption; start-up sets the real one
    setFont(arialFont(9, false));
    setFixedSize(twips(8040), twips(5565));
    m_pointer = new MousePointer(*this);
    buildAseFrame();
    buildFoxProFrame();
    m_button[4] = makePushButton(this, "PushButton4", "Next >", {120, 5055, 7800, 405});
    // Designed in white; the skin, when present, turns it to the button face at start-up.
    paintDesignColour(*this, Qt::white);
    chainTabOrder({m_text[1], m_text[2], m_text[3], m_text[4], m_text[5], m_button[2], m_button[3], m_text[6],
                   m_button[5], m_text[7], m_button[1], m_button[6], m_button[7], m_button[4], m_option2, m_option1,
                   m_button[8]});
    connectCommands();
    m_text[1]->setFocus();
}

Form1::~Form1() = default;

void Form1::buildAseFrame()
{
    m_frame2 = makeFrame(this, "Frame2", "Sybase ASE Database", {120, 120, 7800, 2850});
    makeLabel(m_frame2, "Label2", "Server:", {240, 405, 855, 255});
    m_text[1] = makeTextBox(m_frame2, "Text1", {1440, 360, 4335, 330});
    makeLabel(m_frame2, "Label6", "Port:", {6000, 405, 495, 255});
    m_text[2] = makeTextBox(m_frame2, "Text2", {6600, 360, 975, 330});
    makeLabel(m_frame2, "Label1", "User:", {240, 885, 855, 255});
    m_text[3] = makeTextBox(m_frame2, "Text3", {1440, 840, 6135, 330});
    makeLabel(m_frame2, "Label3", "Password:", {240, 1365, 975, 255});
    m_text[4] = makeTextBox(m_frame2, "Text4", {1440, 1320, 6135, 330});
    m_text[4]->setEchoMode(QLineEdit::Password);
    m_text[4]->setStyle(new StarPasswordStyle(m_text[4]));
    makeLabel(m_frame2, "Label4", "Database:", {240, 1845, 855, 255});
    m_text[5] = makeTextBox(m_frame2, "Text5", {1440, 1800, 6135, 330});
    m_button[2] = makePushButton(m_frame2, "PushButton2", "Test Connection", {240, 2280, 3600, 405});
    m_button[3] = makePushButton(m_frame2, "PushButton3", "Help", {3960, 2280, 3600, 405});
}

void Form1::buildFoxProFrame()
{
    m_frame1 = makeFrame(this, "Frame1", "FoxPro Login", {120, 3045, 7800, 1875});
    m_option1 = makeOption(m_frame1, "Option1", "DBC File:", {240, 390, 1095, 255});
    m_option1->setChecked(true);
    m_text[6] = makeTextBox(m_frame1, "Text6", {1440, 360, 5415, 345});
    m_button[5] = makePushButton(m_frame1, "PushButton5", "...", {6960, 360, 600, 345});
    m_option2 = makeOption(m_frame1, "Option2", "Free Table Folder:", {240, 870, 1815, 255});
    m_text[7] = makeTextBox(m_frame1, "Text7", {2160, 840, 4695, 345});
    m_button[1] = makePushButton(m_frame1, "PushButton1", "...", {6960, 840, 600, 345});
    m_button[6] = makePushButton(m_frame1, "PushButton6", "Test Connection", {240, 1320, 3240, 405});
    m_button[8] = makePushButton(m_frame1, "PushButton8", "Load Sample/Example Datab", {3600, 1320, 3240, 405});
    m_button[7] = makePushButton(m_frame1, "PushButton7", "?", {6960, 1320, 600, 405});
}

void Form1::connectCommands()
{
    using Command = void (Form1::*)();
    const Command commands[] = {nullptr,
                                &Form1::PushButton1_Click,
                                &Form1::PushButton2_Click,
                                &Form1::PushButton3_Click,
                                &Form1::PushButton4_Click,
                                &Form1::PushButton5_Click,
                                &Form1::PushButton6_Click,
                                &Form1::PushButton7_Click,
                                &Form1::PushButton8_Click};
    for (int i = 1; i <= 8; ++i) {
        const Command command = commands[i];
        connect(m_button[i], &QPushButton::clicked, this, [this, command] {
            // A click that arrives while a command yields is ignored.
            if (!busy())
                (this->*command)();
        });
        m_pointer->watchButton(*m_button[i]);
    }
    const char* keys[] = {nullptr,       "ASEServer",   "ASEPort", "ASEUser",
                          "ASEPassword", "ASEDatabase", "DBCFile", "FreeTableFolder"};
    for (int i = 1; i <= 7; ++i) {
        bindSetting(m_text[i], keys[i]);
        m_pointer->watchBackground(*m_text[i]);
    }
    m_pointer->watchBackground(*m_frame1);
    m_pointer->watchBackground(*m_frame2);
    connect(m_option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            storeSetting("FoxproOption", "1");
    });
    connect(m_option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            storeSetting("FoxproOption", "2");
    });
}

void Form1::bindSetting(TextField* field, const char* key)
{
    connect(field, &QLineEdit::textChanged, this, [this, key](const QString& text) { storeSetting(key, text); });
}

void Form1::storeSetting(const char* key, const QString& value)
{
    try {
        frame::SaveSetting(frame::build::SettingsApp, frame::build::SettingsSection, key, value);
    } catch (const std::exception& e) {
        // The change handlers have no trap; rather than lose settings unnoticed, say so once per run.
        if (!m_storeFailureShown) {
            m_storeFailureShown = true;
            frame::MsgBox(e.what());
        }
    }
}

const frame::ConnectionFields& Form1::fields()
{
    auto text = [this](int i) { return m_text[i]->text().toStdString(); };
    // The time limits are settings of their own, kept in the same group but not shown in the window.
    m_fields = {text(1),
                text(2),
                text(3),
                text(4),
                text(5),
                text(6),
                text(7),
                m_option1->isChecked(),
                readSetting("ConnectDeadline").toStdString(),
                readSetting("QueryTimeout").toStdString()};
    return m_fields;
}

Form2& Form1::tablesWindow()
{
    if (!m_form2)
        m_form2 = std::make_unique<Form2>(*this);
    return *m_form2;
}

bool Form1::busy() const
{
    return m_form2 && m_form2->seam().busy.active();
}

void Form1::setPointer(PointerState value)
{
    m_pointer->set(value);
}

void Form1::start()
{
    Form_Load();
    if (!(m_form2 && m_form2->isVisible()))
        show();
}

void Form1::Form_Load()
{
    frame::ErrorTrap trap(frame::loc::Form1_Form_Load);
    trap.step(100, [&] { ui::ApplySkin(*this); });
    trap.step(104, [&] { setWindowTitle(QString::fromUtf8(frame::build::ProductTitle)); });
    trap.step(104, [&] { setWindowIcon(QApplication::windowIcon()); });
    trap.step(104, [] { ui::SetApplicationTitle(); });
    trap.step(106, [&] { m_visitWebSite(); });
    const QString handCursor = ui::besideProgram("\\HAND-M.CUR");
    if (trap.test(124, [&] { return ui::FileExists(handCursor); }))
        trap.step(126, [&] { m_pointer->setCustomIcon(readCursorFile(handCursor)); });
    trap.step(128, [&] { m_text[1]->setText(readSetting("ASEServer")); });
    trap.step(130, [&] { m_text[2]->setText(readSetting("ASEPort", "5000")); });
    trap.step(132, [&] { m_text[3]->setText(readSetting("ASEUser")); });
    trap.step(134, [&] { m_text[4]->setText(readSetting("ASEPassword")); });
    trap.step(136, [&] { m_text[5]->setText(readSetting("ASEDatabase")); });
    trap.step(138, [&] { m_text[6]->setText(readSetting("DBCFile")); });
    trap.step(140, [&] { m_text[7]->setText(readSetting("FreeTableFolder")); });
    if (trap.test(142, [] { return readSetting("FoxproOption") != "2"; }))
        trap.step(144, [&] { m_option1->setChecked(true); });
    else
        trap.step(148, [&] { m_option2->setChecked(true); });
    bool connects = true; // a check that fails outright goes on with the next line
    trap.step(152, [&] { connects = commands::canConnectFoxPro(fields()); });
    if (!connects)
        return;
    trap.step(154, [&] { connects = commands::canConnectAse(fields()); });
    if (!connects)
        return;
    trap.step(156, [&] { showTablesWindow(false); });
    trap.step(158, [&] { hide(); });
}

void Form1::showTablesWindow(bool reload)
{
    Form2& tables = tablesWindow();
    if (reload || !tables.loaded())
        tables.Form_Load();
    tables.show();
}

void Form1::PushButton4_Click()
{
    frame::ErrorTrap trap(frame::loc::Form1_PushButton4_Click);
    trap.step(100, [&] { setPointer(PointerState::Hourglass); });
    bool connects = true;
    trap.step(102, [&] { connects = commands::canConnectFoxPro(fields()); });
    if (connects)
        trap.step(104, [&] { connects = commands::canConnectAse(fields()); });
    if (connects) {
        trap.step(106, [&] { tablesWindow().Form_Load(); });
        trap.step(108, [&] { showTablesWindow(false); });
        trap.step(110, [&] { hide(); });
    }
    trap.step(112, [&] { setPointer(PointerState::Default); });
}

void Form1::PushButton2_Click()
{
    commands::testAseConnection(fields(), [this](frame::PointerState value) { setPointer(value); });
}

void Form1::PushButton6_Click()
{
    commands::testFoxProConnection(fields(), [this](frame::PointerState value) { setPointer(value); });
}

void Form1::PushButton5_Click()
{
    frame::ErrorTrap trap(frame::loc::Form1_PushButton5_Click);
    frame::FileOpenRequest request;
    trap.step(100, [&] { request.fileName.clear(); });
    trap.step(102, [&] { request.flags = 0x280001; });
    trap.step(104, [&] { request.title = "Select Foxpro Database"; });
    trap.step(106, [&] { request.filter = "Microsoft Database (*.dbc)|*.dbc|"; });
    std::string chosen;
    trap.step(108, [&] { chosen = frame::dialogs().fileOpen(this, request); });
    bool cancelled = false;
    trap.step(110, [&] { cancelled = chosen.empty(); });
    if (cancelled)
        return;
    trap.step(112, [&] { m_text[6]->setText(QString::fromStdString(chosen)); });
}

void Form1::PushButton1_Click()
{
    frame::ErrorTrap trap(frame::loc::Form1_PushButton1_Click);
    std::string folder;
    trap.step(100, [&] { folder = frame::dialogs().browseForFolder(this, "Please select folder:", ""); });
    bool cancelled = false;
    trap.step(102, [&] { cancelled = folder.empty(); });
    if (cancelled)
        return;
    trap.step(104, [&] { m_text[7]->setText(QString::fromStdString(folder)); });
}

void Form1::PushButton8_Click()
{
    frame::ErrorTrap trap(frame::loc::Form1_PushButton8_Click);
    trap.step(100, [&] { m_option2->setChecked(true); });
    trap.step(102, [&] {
        m_text[7]->setText(frame::sampleFolder(QCoreApplication::applicationDirPath(), frame::userDataFolder()));
    });
}

void Form1::PushButton3_Click()
{
    frame::ErrorTrap trap(frame::loc::Form1_PushButton3_Click);
    std::string note;
    trap.step(100, [&] { note = aseHelpNote(); });
    trap.step(124, [&] { frame::MsgBox(note, frame::OkOnly); });
}

void Form1::PushButton7_Click()
{
    frame::ErrorTrap trap(frame::loc::Form1_PushButton7_Click);
    trap.step(100, [] { frame::MsgBox(foxProNote(), frame::OkOnly); });
}

void Form1::showEvent(QShowEvent* event)
{
    if (!m_centred) {
        m_centred = true;
        centreOnScreen(*this);
    }
    QWidget::showEvent(event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    event->accept();
    endProgram(m_form2.get());
}

} // namespace ui
