#include "ui/Form2.h"

#include "commands/AseConnection.h"
#include "commands/Commands.h"
#include "commands/FoxProConnection.h"
#include "frame/BuildConstants.h"
#include "frame/Dialogs.h"
#include "frame/ErrorTrap.h"
#include "frame/Locations.h"
#include "ui/ConnectionNotes.h"
#include "ui/Controls.h"
#include "ui/Form1.h"
#include "ui/Layout.h"
#include "ui/MousePointer.h"
#include "ui/WindowAdapters.h"
#include "ui/WindowHelpers.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

namespace ui {

namespace {

// The window's outer height is set to the bottom of "< Back" plus 580 twips, of which a fixed-single window's
// caption and borders take about 460.
constexpr int BottomMarginTwips = 580 - 460;

} // namespace

Form2::Form2(Form1& connectionWindow) : m_form1(connectionWindow)
{
    setObjectName("Form2");
    setWindowTitle("Form2");
    setFont(arialFont(9, true));
    m_pointer = new MousePointer(*this);
    buildFoxProFrame();
    buildAseFrame();
    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName("ProgressBar1");
    placeTwips(*m_progressBar, 120, 4485, 7800, 405);
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setFormat("Progress Bar");
    m_progressBar->setTextVisible(true);
    m_progressBar->setAlignment(Qt::AlignCenter);
    m_button[2] = makePushButton(this, "PushButton2", "< Back", {120, 5025, 3840, 405});
    m_button[12] = makePushButton(this, "PushButton12", "Help", {4080, 5025, 3840, 405});
    setFixedSize(twips(8040), m_button[2]->geometry().bottom() + 1 + twips(BottomMarginTwips));
    chainTabOrder({m_list1, m_button[10], m_button[11], m_button[3], m_button[1], m_button[6], m_list2, m_button[8],
                   m_button[9], m_button[4], m_button[5], m_button[7], m_button[2], m_button[12]});

    m_progress = std::make_unique<ProgressBarControl>(*m_progressBar);
    m_foxProList = std::make_unique<ListWidgetControl>(*m_list1);
    m_aseList = std::make_unique<ListWidgetControl>(*m_list2);
    m_seam.foxProList = m_foxProList.get();
    m_seam.aseList = m_aseList.get();
    m_seam.yield = processEvents;
    m_seam.progress = m_progress.get();
    m_seam.setPointer = [this](frame::PointerState value) { m_pointer->set(value); };
    m_seam.fields = [this]() -> const frame::ConnectionFields& { return m_form1.fields(); };
    connectCommands();
}

Form2::~Form2() = default;

void Form2::buildFoxProFrame()
{
    m_frame1 = makeFrame(this, "Frame1", "FoxPro Tables", {120, 120, 3840, 4215});
    m_list1 = makeList(m_frame1, "List1", {240, 360, 3330, 1635});
    m_button[10] = makePushButton(m_frame1, "PushButton10", "Select All", {240, 2100, 1600, 400});
    m_button[11] = makePushButton(m_frame1, "PushButton11", "Deselect All", {1960, 2100, 1600, 400});
    m_button[3] = makePushButton(m_frame1, "PushButton3", "Send Table/s To Sybase ASE", {240, 2600, 3330, 400});
    m_button[1] = makePushButton(m_frame1, "PushButton1", "Delete Table/s", {240, 3100, 3330, 400});
    m_button[6] = makePushButton(m_frame1, "PushButton6", "Rename Table", {240, 3600, 3330, 400});
}

void Form2::buildAseFrame()
{
    m_frame2 = makeFrame(this, "Frame2", "Sybase ASE Tables", {4080, 120, 3840, 4215});
    m_list2 = makeList(m_frame2, "List2", {240, 360, 3330, 1635});
    m_button[8] = makePushButton(m_frame2, "PushButton8", "Select All", {240, 2100, 1600, 405});
    m_button[9] = makePushButton(m_frame2, "PushButton9", "Deselect All", {1960, 2100, 1600, 405});
    m_button[4] = makePushButton(m_frame2, "PushButton4", "Send Table/s To FoxPro", {240, 2600, 3330, 405});
    m_button[5] = makePushButton(m_frame2, "PushButton5", "Delete Table/s", {240, 3100, 3330, 405});
    m_button[7] = makePushButton(m_frame2, "PushButton7", "Rename Table", {240, 3600, 3330, 405});
}

void Form2::connectCommands()
{
    using Command = void (Form2::*)();
    const Command commands[] = {nullptr,
                                &Form2::PushButton1_Click,
                                &Form2::PushButton2_Click,
                                &Form2::PushButton3_Click,
                                &Form2::PushButton4_Click,
                                &Form2::PushButton5_Click,
                                &Form2::PushButton6_Click,
                                &Form2::PushButton7_Click,
                                &Form2::PushButton8_Click,
                                &Form2::PushButton9_Click,
                                &Form2::PushButton10_Click,
                                &Form2::PushButton11_Click,
                                &Form2::PushButton12_Click};
    for (int i = 1; i <= 12; ++i) {
        const Command command = commands[i];
        connect(m_button[i], &QPushButton::clicked, this, [this, command] {
            // While a command yields, a click on another command of the window is ignored.
            if (!m_seam.busy.active())
                (this->*command)();
        });
        m_pointer->watchButton(*m_button[i]);
    }
    for (QWidget* area :
         {static_cast<QWidget*>(m_frame1), static_cast<QWidget*>(m_frame2), static_cast<QWidget*>(m_list1),
          m_list1->viewport(), static_cast<QWidget*>(m_list2), m_list2->viewport()})
        m_pointer->watchBackground(*area);
}

void Form2::Form_Load()
{
    // The listings yield to the event loop; the window's commands wait until the lists are read.
    commands::Busy::Scope busy(m_seam.busy);
    m_loaded = true;
    frame::ErrorTrap trap(frame::loc::Form2_Form_Load);
    trap.step(100, [&] { ui::ResetBackColors(*this); });
    trap.step(102, [&] { setWindowIcon(QApplication::windowIcon()); });
    const QString handCursor = ui::besideProgram("\\HAND-M.CUR");
    if (trap.test(106, [&] { return ui::FileExists(handCursor); }))
        trap.step(108, [&] { m_pointer->setCustomIcon(readCursorFile(handCursor)); });
    trap.step(112, [&] { setWindowTitle(QString::fromUtf8(frame::build::ProductTitle)); });
    trap.step(114, [&] { m_list1->clear(); });
    trap.step(116, [&] { m_list2->clear(); });
    std::string connection;
    trap.step(118, [&] { connection = commands::foxProConnectionString(m_form1.fields()); });
    trap.step(120, [&] { commands::listFoxProTables(*m_foxProList, connection, m_seam.yield); });
    trap.step(122, [&] { commands::listAseTables(*m_aseList, m_form1.fields(), m_seam.yield); });
    trap.step(126, [&] { setFixedHeight(m_button[2]->geometry().bottom() + 1 + twips(BottomMarginTwips)); });
}

void Form2::PushButton3_Click()
{
    commands::sendToAse(m_seam);
}

void Form2::PushButton4_Click()
{
    commands::sendToFoxPro(m_seam);
}

void Form2::PushButton1_Click()
{
    commands::deleteFoxProTables(m_seam);
}

void Form2::PushButton5_Click()
{
    commands::deleteAseTables(m_seam);
}

void Form2::PushButton6_Click()
{
    commands::renameFoxProEntry(m_seam);
}

void Form2::PushButton7_Click()
{
    commands::renameAseEntry(m_seam);
}

void Form2::selectAll(QListWidget& list, const char* location, bool selected)
{
    frame::ErrorTrap trap(location);
    int count = 0;
    trap.step(100, [&] { count = list.count(); });
    for (int i = 0; i < count; ++i)
        trap.step(102, [&] { list.item(i)->setSelected(selected); });
}

void Form2::PushButton10_Click()
{
    selectAll(*m_list1, frame::loc::Form2_PushButton10_Click, true);
}

void Form2::PushButton11_Click()
{
    selectAll(*m_list1, frame::loc::Form2_PushButton11_Click, false);
}

void Form2::PushButton8_Click()
{
    selectAll(*m_list2, frame::loc::Form2_PushButton8_Click, true);
}

void Form2::PushButton9_Click()
{
    selectAll(*m_list2, frame::loc::Form2_PushButton9_Click, false);
}

void Form2::PushButton2_Click()
{
    frame::ErrorTrap trap(frame::loc::Form2_PushButton2_Click);
    trap.step(100, [&] { m_form1.show(); });
    trap.step(102, [&] { hide(); });
}

void Form2::PushButton12_Click()
{
    frame::ErrorTrap trap(frame::loc::Form2_PushButton12_Click);
    trap.step(100, [] { frame::MsgBox(tablesHelpNote(), frame::OkOnly); });
}

void Form2::showEvent(QShowEvent* event)
{
    if (!m_centred) {
        m_centred = true;
        centreOnScreen(*this);
    }
    QWidget::showEvent(event);
}

void Form2::closeEvent(QCloseEvent* event)
{
    event->accept();
    endProgram(this);
}

void endProgram(Form2* tablesWindow)
{
    static const commands::Busy idle;
    ui::endProgram(tablesWindow ? tablesWindow->seam().busy : idle);
}

} // namespace ui
