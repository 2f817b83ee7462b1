#include "widgets/shell/frmMDIMain.h"

#include "data/AppState.h"
#include "data/LinkNotes.h"
#include "data/OnlineMode.h"
#include "data/ShiftExport.h"
#include "data/pages/ColorControlTable.h"
#include "link/ProgramFolder.h"
#include "link/RSComm.h"
#include "link/SerialPort.h"
#include "widgets/dialogs/frmSetupComm.h"
#include "widgets/report/ReportCommands.h"
#include "widgets/shell/AboutBox.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QScrollArea>
#include <QTimer>
#include <QUrl>

namespace kalvex {

frmMDIMain::frmMDIMain(ShellContext context, QWidget* parent)
    : QMainWindow(parent), m_ctx(std::move(context)),
      m_host(m_ctx.link, m_ctx.prompt, [this] { mnuViewOnline_Click(); }),
      m_transfers(m_ctx.state, m_ctx.link, m_ctx.prompt, m_host),
      m_files(m_ctx.state, m_ctx.prompt, m_ctx.chooser, m_transfers),
      m_background(m_ctx.link, m_ctx.state) {
    setObjectName(QStringLiteral("frmMDIMain"));
    m_ctx.link.attachPort(m_ctx.port);
    connect(&m_ctx.link, &RSComm::onlineModeChanged, this, &frmMDIMain::UpdateOnlineMode);
    connect(&m_ctx.link, &RSComm::valueNotWritten, this, &frmMDIMain::noteNotWritten);
    m_host.setParentWindow(this);
    m_host.setMarkerFolder(m_ctx.markerFolder);
    m_report =
        std::make_unique<ReportCommands>(m_ctx.state, m_ctx.link, m_ctx.prompt, m_host, this);
    ui.tmrBackgroungUpdate = new QTimer(this);
    ui.tmrBackgroungUpdate->setObjectName(QStringLiteral("tmrBackgroungUpdate"));
    ui.tmrBackgroungUpdate->setInterval(500);
    connect(ui.tmrBackgroungUpdate, &QTimer::timeout, this, &frmMDIMain::tmrBackgroungUpdate_Timer);
    ui.mdiArea = new QMdiArea(this);
    ui.mdiArea->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(ui.mdiArea);
    buildMenus();
    buildToolbar();
    connectReportCommands();
    ui.sbrMain = new StatusBar(this);
    setStatusBar(ui.sbrMain);
    connect(ui.sbrMain, &StatusBar::panelDblClick, this, &frmMDIMain::sbrMain_PanelDblClick);
    resize(1000, 700);

    // Start-up: offline, nothing sent on the port until the user goes online.
    m_ctx.state.gFileNameCaption = QStringLiteral("[unnamed]");
    showCaption();
    m_ctx.state.InitDataTables();
    m_ctx.state.gFileNamePath = QDir(m_ctx.programFolder).filePath(QStringLiteral("*.sdt"));
    mnuFileNew_Click();
    mnuWindowForm_Click(0);
    FormLoaded = true;
    ui.tmrBackgroungUpdate->start();
}

frmMDIMain::~frmMDIMain() = default;

void frmMDIMain::showCaption() {
    setWindowTitle(m_ctx.state.windowCaption());
}

// Runs on every change of the link's mode, whoever switched it. A board lost during the first
// reads switches back to offline, which runs this again.
void frmMDIMain::UpdateOnlineMode() {
    settleOnlineMode(m_ctx.link, m_ctx.state);
    showMode();
}

void frmMDIMain::showMode() {
    const bool online = m_ctx.link.OnlineMode();
    ui.sbrMain->panel(StatusBar::Mode)
        ->setText(online ? QStringLiteral("ONLINE") : QStringLiteral("OFFLINE"));
    ui.mnuViewOnline->setChecked(online);
    ui.mnuViewOffline->setChecked(!online);
    ui.mnuEditPasscode->setEnabled(online);
}

void frmMDIMain::tmrBackgroungUpdate_Timer() {
    if (m_ctx.link.isBusy()) return;
    const BackgroundTick t = m_background.tick();
    ui.sbrMain->panel(StatusBar::Mode)->setToolTip(lineHealthText(m_ctx.link.lineHealth()));
    if (!t.changed) return;
    m_status = t.statusPanel;
    if (m_noteShown.hasExpired()) showStatus();
    if (t.showFaultBox) showFaultBox();
}

// The background's message as it is, then the advice after a failed switch to online.
void frmMDIMain::showStatus() {
    ui.sbrMain->panel(StatusBar::Status)
        ->setText(m_noBoard.isEmpty() ? m_status : m_status + QStringLiteral("  ") + m_noBoard);
}

// The operator's value did not reach the board: said where the eye goes after Enter, and held
// there a while so the next alarm text does not wipe it at once.
void frmMDIMain::noteNotWritten(const QString& address, const QString& value, LinkFailure why) {
    ui.sbrMain->panel(StatusBar::Status)->setText(notWrittenText(address, value, why));
    m_noteShown.setRemainingTime(8000);
}

// Shown without waiting for OK, so the status texts and the ticks go on behind it.
void frmMDIMain::showFaultBox() {
    auto* box =
        new QMessageBox(QMessageBox::Critical, kProgramTitle, kFaultBoxText, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("FaultBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
}

void frmMDIMain::sbrMain_PanelDblClick(int index) {
    if (index != StatusBar::Mode) return;
    if (m_ctx.link.OnlineMode())
        m_ctx.link.setOnlineMode(false);
    else
        mnuViewOnline_Click();
}

// The box says the board did not answer in the system's own words; the status bar keeps
// which port was tried and how to choose another.
void frmMDIMain::mnuViewOnline_Click() {
    if (!m_quitStatus && leaveProgramModeFirst()) m_ctx.link.setOnlineMode(true);
    m_noBoard.clear();
    if (!m_ctx.link.OnlineMode()) {
        const SerialPort* port = m_ctx.link.port();
        const QString device = port ? port->deviceName() : QString();
        m_noBoard = device.isEmpty() ? QStringLiteral("No board: the port could not be set up.")
                    : m_ctx.link.portFailed()
                        ? QStringLiteral("No board: %1 could not be opened.").arg(device)
                        : QStringLiteral("No board answered on %1 at %2 baud.")
                              .arg(device)
                              .arg(m_ctx.link.portSettings().baud);
        m_noBoard += QStringLiteral(" Edit > Comm Port chooses another port (Find Board searches "
                                    "them); kalvex --device PATH names one.");
    }
    if (m_status.isEmpty()) m_status = ui.sbrMain->panel(StatusBar::Status)->text();
    showStatus();
    showMode(); // the item ticked itself when chosen; a switch that failed announced nothing
}

void frmMDIMain::mnuViewOffline_Click() {
    m_ctx.link.setOnlineMode(false);
    showMode();
}

void frmMDIMain::mnuEditOfflineEditing_Click() {
    const bool on = !m_ctx.state.gOfflineEdit;
    m_ctx.state.gOfflineEdit = on;
    ui.mnuEditOfflineEditing->setChecked(on);
    ui.toolbarButtons[8]->setChecked(on);
}

void frmMDIMain::mnuEditPasscode_Click() {
    const QString title = QStringLiteral("Color Control Passcode");
    const QString& address = kColorPasscodeAddress;
    RSComm& link = m_ctx.link;
    // Pre-filled only with what the board sent: a failed read leaves the box empty.
    const LinkResult current = link.readValue(address);
    const std::optional<QString> answer =
        m_ctx.prompt.inputBox(title, QStringLiteral("Please Enter New Passcode (0-65535)"),
                              current ? QString::number(current.value) : QString());
    if (answer && !answer->isEmpty() && link.OnlineMode()) (void)link.writeValue(address, *answer);
}

void frmMDIMain::mnuEditCommPort_Click() {
    frmSetupComm dialog(m_ctx.link, m_ctx.port, m_ctx.prompt, m_ctx.programFolder, this);
    dialog.exec();
    UpdateOnlineMode(); // the MODE panel and menus show how the dialog left the link
}

void frmMDIMain::mnuFileNew_Click() {
    m_files.New();
    showCaption();
}

void frmMDIMain::mnuFileOpen_Click() {
    m_files.Open();
    showCaption();
}

void frmMDIMain::openAtStart(const QString& path) {
    if (m_files.OpenPath(path)) m_files.Open();
    showCaption();
}

void frmMDIMain::mnuFileSave_Click() {
    m_files.Save();
    showCaption();
}

void frmMDIMain::mnuFileSaveAs_Click() {
    m_files.SaveAs();
    showCaption();
}

void frmMDIMain::mnuFileExport_Click() {
    ExportShiftData(m_ctx.state, m_ctx.prompt, m_ctx.chooser, m_transfers);
}

void frmMDIMain::mnuFileUploadData_Click(int index) {
    m_transfers.UploadData(index);
}

void frmMDIMain::mnuFileDownloadData_Click(int index) {
    m_transfers.DownloadData(index);
}

QWidget* frmMDIMain::pageWindow() const {
    const auto* scroll = m_page ? qobject_cast<QScrollArea*>(m_page->widget()) : nullptr;
    return scroll ? scroll->widget() : nullptr;
}

void frmMDIMain::mnuWindowForm_Click(int index) {
    if (index == CurrentPage && FormLoaded) {
        ui.mnuWindowForm[size_t(index)]->setChecked(true); // the click toggled it off
        return;
    }
    ui.mnuWindowForm[size_t(CurrentPage)]->setChecked(false);
    ui.mnuWindowForm[size_t(index)]->setChecked(true);
    unloadPage();
    loadPage(index);
    CurrentPage = index;
}

void frmMDIMain::loadPage(int index) {
    const PageFactory& make = m_ctx.pages[size_t(index)];
    if (!make) return;
    QWidget* page = make();
    m_ctx.state.gActiveWindow = page->objectName();
    // A small main window scrolls the page rather than cutting controls off.
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    scroll->setWidget(page);
    // No close, minimise or restore controls and no system menu: a page is unloaded only by
    // choosing another one.
    m_page = ui.mdiArea->addSubWindow(scroll, Qt::SubWindow | Qt::CustomizeWindowHint);
    m_page->setSystemMenu(nullptr);
    m_page->installEventFilter(this); // refuses Ctrl+W and any other close
    // Untitled, so the maximised page adds nothing to the main window's title.
    m_page->showMaximized();
}

bool frmMDIMain::eventFilter(QObject* watched, QEvent* event) {
    // (the type first: a page window being destroyed is no QMdiSubWindow any more)
    if (event->type() == QEvent::Close && watched == m_page) {
        event->ignore();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMDIMain::unloadPage() {
    if (m_page) delete m_page.data();
}

// The Windows help file where one was copied in; otherwise the README installed with the
// program (share/doc/kalvex), and the box names both and the manual page.
void frmMDIMain::mnuHelpHelpTopics_Click() {
    const QString hlp = childPath(childPath(m_ctx.programFolder, QStringLiteral("Help")),
                                  QStringLiteral("KALVEX.hlp"));
    const QString readme =
        QDir::cleanPath(m_ctx.programFolder + QStringLiteral("/../doc/kalvex/README.md"));
    for (const QString& path : {hlp, readme})
        if (QFileInfo::exists(path) && QDesktopServices::openUrl(QUrl::fromLocalFile(path))) return;
    m_ctx.prompt.message(kProgramTitle,
                         QStringLiteral("No help file could be shown (looked for %1 and %2).\r\n"
                                        "\r\nThe manual is \"man kalvex\" in a terminal.")
                             .arg(QDir::toNativeSeparators(hlp), QDir::toNativeSeparators(readme)),
                         MsgButtons::Ok, MsgIcon::Information);
}

void frmMDIMain::mnuHelpAbout_Click() {
    if (!m_about) m_about = new AboutBox(m_ctx.link, this);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void frmMDIMain::closeEvent(QCloseEvent* e) {
    if (!m_quitStatus && !m_files.mayClose()) {
        e->ignore();
        return;
    }
    ui.tmrBackgroungUpdate->stop();
    unloadPage(); // first, while the page may still clear what it holds set on the board
    m_ctx.link.CloseRSComm();
    if (m_about) m_about->close();
    e->accept();
}

} // namespace kalvex
