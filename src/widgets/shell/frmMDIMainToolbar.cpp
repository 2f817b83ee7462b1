// ui.Toolbar1: its entries are told apart by index (1-13), as the menus' twins.
#include "widgets/report/ReportCommands.h"
#include "widgets/shell/ToolbarIcons.h"
#include "widgets/shell/frmMDIMain.h"

#include <QMenu>
#include <QToolBar>
#include <QToolButton>

namespace kalvex {

namespace {

QAction* button(QToolBar* bar, const QString& description, const QString& toolTip, ToolIcon icon) {
    QAction* a = bar->addAction(toolbarIcon(icon), description);
    a->setToolTip(toolTip);
    return a;
}

} // namespace

// Upload and Download: the face runs All (index 4), menu entry k runs index k - 1.
QToolButton* frmMDIMain::dataButton(const QString& description, const QString& toolTip,
                                    const QIcon& icon, void (frmMDIMain::*slot)(int)) {
    auto* b = new QToolButton(ui.Toolbar1);
    auto* face = new QAction(icon, description, b);
    face->setToolTip(toolTip);
    connect(face, &QAction::triggered, this, [this, slot] { (this->*slot)(4); });
    b->setDefaultAction(face);
    b->setPopupMode(QToolButton::MenuButtonPopup);
    auto* menu = new QMenu(b);
    const char* const entries[] = {"Set-up Data", "Shift Data", "Label Data", nullptr, "All"};
    for (int i = 0; i < 5; ++i) {
        if (!entries[i]) {
            menu->addSeparator();
            continue;
        }
        QAction* a = menu->addAction(QLatin1String(entries[i]));
        connect(a, &QAction::triggered, this, [this, slot, i] { (this->*slot)(i); });
    }
    b->setMenu(menu);
    return b;
}

void frmMDIMain::buildToolbar() {
    ui.Toolbar1 = addToolBar(QStringLiteral("Toolbar1"));
    ui.Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    ui.Toolbar1->setIconSize(QSize(24, 24));
    ui.Toolbar1->setMovable(false);
    auto& t = ui.toolbarButtons;
    auto* placeholder = new QWidget(ui.Toolbar1);
    placeholder->setFixedWidth(4);
    t[1] = ui.Toolbar1->addWidget(placeholder);
    t[2] = button(ui.Toolbar1, QStringLiteral("New"), QStringLiteral("New..."), ToolIcon::New);
    t[3] = button(ui.Toolbar1, QStringLiteral("Open"), QStringLiteral("Open..."), ToolIcon::Open);
    t[4] = button(ui.Toolbar1, QStringLiteral("Save"), QStringLiteral("Save"), ToolIcon::Save);
    t[5] = ui.Toolbar1->addSeparator();
    t[6] = button(ui.Toolbar1, QStringLiteral("Print"), QStringLiteral("Print"), ToolIcon::Print);
    t[7] = ui.Toolbar1->addSeparator();
    t[8] = button(ui.Toolbar1, QStringLiteral("Offline Edit"), QStringLiteral("Offline Edit"),
                  ToolIcon::OfflineEdit);
    t[8]->setCheckable(true);
    t[9] = ui.Toolbar1->addSeparator();
    ui.uploadButton =
        dataButton(QStringLiteral("Upload"), QStringLiteral("Upload (save) Settings"),
                   toolbarIcon(ToolIcon::Upload), &frmMDIMain::mnuFileUploadData_Click);
    t[10] = ui.Toolbar1->addWidget(ui.uploadButton);
    ui.downloadButton =
        dataButton(QStringLiteral("Download Data"), QStringLiteral("Download (restore) Settings"),
                   toolbarIcon(ToolIcon::Download), &frmMDIMain::mnuFileDownloadData_Click);
    t[11] = ui.Toolbar1->addWidget(ui.downloadButton);
    ui.uploadButton->setObjectName(QStringLiteral("uploadButton"));
    ui.downloadButton->setObjectName(QStringLiteral("downloadButton"));
    ui.downloadButton->menu()->addSeparator();
    ui.tbrDownloadCompare = buildDataMenu(
        ui.downloadButton->menu(), QStringLiteral("Compare with Board"), "tbrDownloadCompare",
        ui.tbrDownloadCompareData, &frmMDIMain::mnuFileCompare_Click);
    t[12] = ui.Toolbar1->addSeparator();
    t[13] = button(ui.Toolbar1, QStringLiteral("Target Board Interface"),
                   QStringLiteral("Target Board Interface"), ToolIcon::TargetBoard);
    for (int i = 1; i <= 13; ++i)
        t[size_t(i)]->setObjectName(QStringLiteral("Toolbar1_%1").arg(i));

    connect(t[2], &QAction::triggered, this, &frmMDIMain::mnuFileNew_Click);
    connect(t[3], &QAction::triggered, this, &frmMDIMain::mnuFileOpen_Click);
    connect(t[4], &QAction::triggered, this, &frmMDIMain::mnuFileSave_Click);
    connect(t[8], &QAction::triggered, this, &frmMDIMain::mnuEditOfflineEditing_Click);
    connect(t[13], &QAction::triggered, ui.mnuViewTargetBoardStatus, &QAction::trigger);
}

// File > Report Setup, Print Report, Print Preview and the Print button. While a report is
// generated the print entries wait, so a second one cannot start.
void frmMDIMain::connectReportCommands() {
    ReportCommands* r = m_report.get();
    connect(ui.mnuFilePrintSetup, &QAction::triggered, r, &ReportCommands::ReportSetup);
    connect(ui.mnuFilePrint, &QAction::triggered, r, &ReportCommands::PrintReport);
    connect(ui.toolbarButtons[6], &QAction::triggered, r, &ReportCommands::PrintReport);
    connect(ui.mnuFilePrintPreview, &QAction::triggered, r, &ReportCommands::PrintPreview);
    connect(r, &ReportCommands::generatingChanged, this, [this](bool generating) {
        for (QAction* a : {ui.mnuFilePrint, ui.mnuFilePrintPreview, ui.toolbarButtons[6]})
            a->setEnabled(!generating);
    });
}

} // namespace kalvex
