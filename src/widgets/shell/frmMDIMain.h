#pragma once
#include "data/BackgroundUpdate.h"
#include "data/DataTransfers.h"
#include "data/SetupFileOps.h"
#include "widgets/shell/StatusBar.h"
#include "widgets/shell/WindowTransferHost.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QToolBar;
class QToolButton;

namespace kalvex {

class AppState;
class ProgramMenu;
class ReportCommands;
class RSComm;
class SerialPort;

// Makes the window of one machine page; the main window owns and unloads it.
using PageFactory = std::function<QWidget*()>;

// What the main window works with; all of it outlives the window.
struct ShellContext {
    AppState& state;
    RSComm& link;
    SerialPort& port;
    Prompt& prompt;
    FileChooser& chooser;
    QString programFolder;
    // Window menu order; a page without a factory has its menu item disabled.
    std::array<PageFactory, 6> pages{};
    // The PC clock the windows read; empty: the real one.
    std::function<QDateTime()> pcClock{};
    // Where a download keeps its marker while it runs (the per-user folder or --home); empty:
    // no marker.
    QString markerFolder{};
};

// The program's main window: menus, toolbar, status bar, one page window at a time in the MDI
// area, online and offline mode, and the background update of the status texts.
class frmMDIMain final : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr int kPageCount = 6;

    explicit frmMDIMain(ShellContext context, QWidget* parent = nullptr);
    ~frmMDIMain() override;

    int currentPage() const { return CurrentPage; }
    QWidget* pageWindow() const;
    ReportCommands& reportCommands() { return *m_report; }
    // Adds an item below a separator at the end of the View menu.
    void addViewItem(QAction* item);
    // At start, before anything is sent: says what an interrupted download left on the board.
    void reportInterruptedTransfer();
    // The program's exit status: the one a quit request named, else the event loop's.
    int exitStatus(int loopResult) const { return m_quitStatus.value_or(loopResult); }

  public Q_SLOTS:
    // Applies gRSComm.OnlineMode(): the port, the MODE panel, the menus, the one-time reads.
    void UpdateOnlineMode();
    void tmrBackgroungUpdate_Timer();
    void sbrMain_PanelDblClick(int index);

    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    // A set-up file named on the command line (opening one from the desktop).
    void openAtStart(const QString& path);
    void mnuFileSave_Click();
    void mnuFileSaveAs_Click();
    void mnuFileExport_Click();
    void mnuFileUploadData_Click(int index);
    void mnuFileDownloadData_Click(int index);
    void mnuFileCompare_Click(int index);
    void mnuEditOfflineEditing_Click();
    void mnuEditPasscode_Click();
    void mnuEditCommPort_Click();
    void mnuViewOnline_Click();
    void mnuViewOffline_Click();
    void mnuWindowForm_Click(int index);
    void mnuHelpHelpTopics_Click();
    void mnuHelpAbout_Click();
    // A signal or the end of the desktop session: a running transfer stops at its next safe
    // point (the transfer windows hold the quit until then), then the program ends with
    // `exitStatus` without asking to save.
    void requestQuit(int exitStatus);

  protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The controls and the background timer; each carries its name (arrays: name_index) as
    // objectName, so tests find them with findChild.
    struct Ui {
        QMdiArea* mdiArea = nullptr;
        StatusBar* sbrMain = nullptr;
        QToolBar* Toolbar1 = nullptr;
        // Toolbar entries by their index 1-13 (entry 0 unused).
        std::array<QAction*, 14> toolbarButtons{};
        QToolButton* uploadButton = nullptr;
        QToolButton* downloadButton = nullptr;
        QTimer* tmrBackgroungUpdate = nullptr;

        QAction *mnuFileNew = nullptr, *mnuFileOpen = nullptr, *mnuFileSave = nullptr,
                *mnuFileSaveAs = nullptr, *mnuFileExport = nullptr,
                *mnuFileDownloadProgram = nullptr, *mnuFilePrintSetup = nullptr,
                *mnuFilePrint = nullptr, *mnuFileExit = nullptr;
        // Beside Print Report: the pages as they will print.
        QAction* mnuFilePrintPreview = nullptr;
        QMenu *mnuFileUpload = nullptr, *mnuFileDownload = nullptr;
        std::array<QAction*, 5> mnuFileUploadData{}, mnuFileDownloadData{};
        // Compare with Board: in the File menu and in the Download drop-down.
        QMenu *mnuFileCompare = nullptr, *tbrDownloadCompare = nullptr;
        std::array<QAction*, 5> mnuFileCompareData{}, tbrDownloadCompareData{};
        QAction *mnuEditOfflineEditing = nullptr, *mnuEditCommPort = nullptr,
                *mnuEditPasscode = nullptr;
        QMenu* mnuView = nullptr;
        QAction *mnuViewOnline = nullptr, *mnuViewOffline = nullptr,
                *mnuViewTargetBoardStatus = nullptr;
        std::array<QAction*, kPageCount> mnuWindowForm{};
        QAction *mnuHelpHelpTopics = nullptr, *mnuHelpAbout = nullptr;
    };

    void buildMenus();
    void buildFileMenu();
    void buildEditViewMenus();
    void buildWindowHelpMenus();
    QMenu* buildDataMenu(QMenu* parent, const QString& caption, const char* name,
                         std::array<QAction*, 5>& items, void (frmMDIMain::*slot)(int));
    void buildToolbar();
    void connectReportCommands();
    QToolButton* dataButton(const QString& description, const QString& toolTip, const QIcon& icon,
                            void (frmMDIMain::*slot)(int));
    void showMode();
    void showCaption();
    void showFaultBox();
    void noteNotWritten(const QString& address, const QString& value, LinkFailure why);
    void showStatus();
    void loadPage(int index);
    void unloadPage();
    // A board that a download may have left in program mode is taken out of it (when the
    // operator agrees) before going online; false: stay offline.
    bool leaveProgramModeFirst();
    QString markerPath() const;

    Ui ui;
    ShellContext m_ctx;
    WindowTransferHost m_host;
    DataTransfers m_transfers;
    SetupFileOps m_files;
    BackgroundUpdate m_background;
    std::unique_ptr<ReportCommands> m_report;
    QPointer<QMdiSubWindow> m_page;
    QPointer<QWidget> m_about;
    QDeadlineTimer m_noteShown; // a write failure stays in the STATUS panel until this passes
    ProgramMenu* m_programMenu = nullptr; // File > Download Program, View > Target Board
    int CurrentPage = 0;
    bool FormLoaded = false;
    std::optional<int> m_quitStatus;
    bool m_programModeSuspect = false;
    QString m_status;  // the background's message
    QString m_noBoard; // after a failed switch to online: the port tried and how to pick another
};

} // namespace kalvex
