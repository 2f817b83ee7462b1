// The menu bar of the main window.
#include "widgets/shell/frmMDIMain.h"

#include "data/AppState.h"
#include "widgets/maintenance/ProgramMenu.h"

#include <QMenuBar>

namespace kalvex {

namespace {

const char* const kDataItems[] = {"&Set-up Data", "S&hift Data", "&Label Data", nullptr, "&All"};

const char* const kPageItems[] = {"&1 Main Display",  "&2 Set-up Parameters",
                                  "&3 Color Control", "&4 Serial Communications",
                                  "&5 Shift Data",    "&6 I/O States"};

QAction* addItem(QMenu* menu, const QString& name, const QString& caption,
                 const QKeySequence& shortcut = {}) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    a->setShortcut(shortcut);
    return a;
}

} // namespace

void frmMDIMain::buildMenus() {
    buildFileMenu();
    buildEditViewMenus();
    buildWindowHelpMenus();
}

QMenu* frmMDIMain::buildDataMenu(QMenu* parent, const QString& caption, const char* name,
                                 std::array<QAction*, 5>& items, void (frmMDIMain::*slot)(int)) {
    QMenu* menu = parent->addMenu(caption);
    menu->setObjectName(QLatin1String(name));
    for (int i = 0; i < 5; ++i) {
        const QString itemName = QStringLiteral("%1Data_%2").arg(QLatin1String(name)).arg(i);
        items[size_t(i)] = kDataItems[i] ? addItem(menu, itemName, QLatin1String(kDataItems[i]))
                                         : menu->addSeparator();
        if (kDataItems[i])
            connect(items[size_t(i)], &QAction::triggered, this,
                    [this, slot, i] { (this->*slot)(i); });
    }
    return menu;
}

void frmMDIMain::buildFileMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    ui.mnuFileNew = addItem(file, QStringLiteral("mnuFileNew"), QStringLiteral("&New..."),
                            Qt::CTRL | Qt::Key_N);
    ui.mnuFileOpen = addItem(file, QStringLiteral("mnuFileOpen"), QStringLiteral("&Open..."),
                             Qt::CTRL | Qt::Key_O);
    ui.mnuFileSave =
        addItem(file, QStringLiteral("mnuFileSave"), QStringLiteral("&Save"), Qt::CTRL | Qt::Key_S);
    ui.mnuFileSaveAs =
        addItem(file, QStringLiteral("mnuFileSaveAs"), QStringLiteral("Save &As..."));
    file->addSeparator();
    ui.mnuFileExport = addItem(file, QStringLiteral("mnuFileExport"),
                               QStringLiteral("Export Shift Data..."), Qt::CTRL | Qt::Key_X);
    file->addSeparator();
    ui.mnuFileUpload = buildDataMenu(file, QStringLiteral("&Upload (save) Data"), "mnuFileUpload",
                                     ui.mnuFileUploadData, &frmMDIMain::mnuFileUploadData_Click);
    ui.mnuFileDownloadProgram = addItem(file, QStringLiteral("mnuFileDownloadProgram"),
                                        QStringLiteral("&Download Program"));
    ui.mnuFileDownload =
        buildDataMenu(file, QStringLiteral("Dow&nload (restore) Data"), "mnuFileDownload",
                      ui.mnuFileDownloadData, &frmMDIMain::mnuFileDownloadData_Click);
    ui.mnuFileCompare = buildDataMenu(file, QStringLiteral("Compare with &Board"), "mnuFileCompare",
                                      ui.mnuFileCompareData, &frmMDIMain::mnuFileCompare_Click);
    file->addSeparator();
    ui.mnuFilePrintSetup =
        addItem(file, QStringLiteral("mnuFilePrintSetup"), QStringLiteral("&Report Setup"));
    ui.mnuFilePrint = addItem(file, QStringLiteral("mnuFilePrint"),
                              QStringLiteral("&Print Report..."), Qt::CTRL | Qt::Key_P);
    ui.mnuFilePrintPreview =
        addItem(file, QStringLiteral("mnuFilePrintPreview"), QStringLiteral("Print Pre&view..."));
    file->addSeparator();
    ui.mnuFileExit = addItem(file, QStringLiteral("mnuFileExit"), QStringLiteral("E&xit"));

    connect(ui.mnuFileNew, &QAction::triggered, this, &frmMDIMain::mnuFileNew_Click);
    connect(ui.mnuFileOpen, &QAction::triggered, this, &frmMDIMain::mnuFileOpen_Click);
    connect(ui.mnuFileSave, &QAction::triggered, this, &frmMDIMain::mnuFileSave_Click);
    connect(ui.mnuFileSaveAs, &QAction::triggered, this, &frmMDIMain::mnuFileSaveAs_Click);
    connect(ui.mnuFileExport, &QAction::triggered, this, &frmMDIMain::mnuFileExport_Click);
    connect(ui.mnuFileExit, &QAction::triggered, this, &QWidget::close);
    // File > Download Program: program selection and transfer window, owned by this window.
    auto* program = new ProgramMenu(
        ProgramMenuContext{m_ctx.link, m_ctx.prompt, m_ctx.chooser, m_ctx.state.gProgramFilePath,
                           *ui.tmrBackgroungUpdate, [this] { mnuViewOnline_Click(); },
                           [this] { UpdateOnlineMode(); }, &m_ctx.state, m_ctx.pcClock,
                           m_ctx.markerFolder},
        this);
    program->setObjectName(QStringLiteral("ProgramMenu"));
    connect(ui.mnuFileDownloadProgram, &QAction::triggered, program,
            &ProgramMenu::mnuFileDownloadProgram_Click);
    m_programMenu = program;
}

void frmMDIMain::buildEditViewMenus() {
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    ui.mnuEditOfflineEditing = addItem(edit, QStringLiteral("mnuEditOfflineEditing"),
                                       QStringLiteral("Enable &Offline Editing"), Qt::Key_F2);
    ui.mnuEditOfflineEditing->setCheckable(true);
    edit->addSeparator();
    ui.mnuEditCommPort = addItem(edit, QStringLiteral("mnuEditCommPort"),
                                 QStringLiteral("Co&mm Port"), Qt::CTRL | Qt::Key_M);
    edit->addSeparator();
    ui.mnuEditPasscode =
        addItem(edit, QStringLiteral("mnuEditPasscode"), QStringLiteral("Color Control Passcode"));
    ui.mnuEditPasscode->setEnabled(false);
    connect(ui.mnuEditOfflineEditing, &QAction::triggered, this,
            &frmMDIMain::mnuEditOfflineEditing_Click);
    connect(ui.mnuEditPasscode, &QAction::triggered, this, &frmMDIMain::mnuEditPasscode_Click);
    connect(ui.mnuEditCommPort, &QAction::triggered, this, &frmMDIMain::mnuEditCommPort_Click);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    ui.mnuView = view;
    ui.mnuViewOnline =
        addItem(view, QStringLiteral("mnuViewOnline"), QStringLiteral("O&nline Data"), Qt::Key_F3);
    ui.mnuViewOffline = addItem(view, QStringLiteral("mnuViewOffline"),
                                QStringLiteral("O&ffline Data"), Qt::Key_F4);
    for (QAction* a : {ui.mnuViewOnline, ui.mnuViewOffline})
        a->setCheckable(true);
    ui.mnuViewOffline->setChecked(true);
    view->addSeparator();
    ui.mnuViewTargetBoardStatus = addItem(view, QStringLiteral("mnuViewTargetBoardStatus"),
                                          QStringLiteral("&Target Board Interface"), Qt::Key_F5);
    connect(ui.mnuViewOnline, &QAction::triggered, this, &frmMDIMain::mnuViewOnline_Click);
    connect(ui.mnuViewOffline, &QAction::triggered, this, &frmMDIMain::mnuViewOffline_Click);
    connect(ui.mnuViewTargetBoardStatus, &QAction::triggered, m_programMenu,
            &ProgramMenu::mnuViewTargetBoardStatus_Click);
}

void frmMDIMain::addViewItem(QAction* item) {
    ui.mnuView->addSeparator();
    ui.mnuView->addAction(item);
}

void frmMDIMain::buildWindowHelpMenus() {
    QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
    for (int i = 0; i < kPageCount; ++i) {
        QAction* a = addItem(window, QStringLiteral("mnuWindowForm_%1").arg(i),
                             QLatin1String(kPageItems[i]));
        a->setCheckable(true);
        a->setEnabled(bool(m_ctx.pages[size_t(i)]));
        connect(a, &QAction::triggered, this, [this, i] { mnuWindowForm_Click(i); });
        ui.mnuWindowForm[size_t(i)] = a;
    }
    ui.mnuWindowForm[0]->setChecked(true);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    ui.mnuHelpHelpTopics = addItem(help, QStringLiteral("mnuHelpHelpTopics"),
                                   QStringLiteral("&Help Topics"), Qt::CTRL | Qt::Key_H);
    help->addSeparator();
    ui.mnuHelpAbout =
        addItem(help, QStringLiteral("mnuHelpAbout"), QStringLiteral("&About KALVEX"));
    connect(ui.mnuHelpHelpTopics, &QAction::triggered, this, &frmMDIMain::mnuHelpHelpTopics_Click);
    connect(ui.mnuHelpAbout, &QAction::triggered, this, &frmMDIMain::mnuHelpAbout_Click);
}

} // namespace kalvex
