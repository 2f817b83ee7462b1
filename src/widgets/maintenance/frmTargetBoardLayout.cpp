// The controls of the Target Board Interface.
#include "widgets/maintenance/frmTargetBoard.h"
#include "widgets/pages/EntryFieldGroup.h"
#include "widgets/pages/PageControls.h"
#include "widgets/pages/UpDown.h"

#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

namespace kalvex {

using controls::indexed;

namespace {

QPlainTextEdit* textBox(int index, QWidget* parent) {
    auto* t = new QPlainTextEdit(parent);
    t->setObjectName(indexed("txtTargetBoard", index));
    t->setReadOnly(true);
    t->setTabChangesFocus(true);
    t->setFixedHeight(index == kAdviceOrder ? 78 : 48);
    return t;
}

} // namespace

QWidget* TargetBoardPage::buildFaultFrame() {
    auto* frame = ui.fraTargetBoard[0];
    auto* grid = new QVBoxLayout(frame);
    for (int i = 0; i < kFaultRegisterCount; ++i) {
        QLabel* caption = controls::label(QLatin1String(kFaultRowCaptions[size_t(i)]),
                                          i == kAdviceOrder ? QStringLiteral("lblCorrectiveAction")
                                                            : indexed("lblTargetBoard", i),
                                          frame);
        grid->addWidget(caption);
        if (i != kAdviceOrder) ui.lblTargetBoard[size_t(i)] = caption;
        if (i == kCoCpuOrder) continue;
        ui.txtTargetBoard[size_t(i)] = textBox(i, frame);
        grid->addWidget(ui.txtTargetBoard[size_t(i)]);
    }
    ui.cmdResetFaults =
        controls::button(QStringLiteral("&Reset Faults"), QStringLiteral("cmdResetFaults"), frame);
    ui.cmdResetFaults->setEnabled(false);
    grid->addWidget(ui.cmdResetFaults, 0, Qt::AlignRight);
    connect(ui.cmdResetFaults, &QPushButton::clicked, this, &TargetBoardPage::cmdResetFaults_Click);
    return frame;
}

QWidget* TargetBoardPage::buildIdentFrame() {
    auto* frame = ui.fraTargetBoard[1];
    auto* row = new QHBoxLayout(frame);
    auto* inBoard = controls::frame(QStringLiteral("In Target Board:"),
                                    QStringLiteral("fraInTargetBoard"), frame);
    auto* onDisk = controls::frame(QStringLiteral("On Disk:"), QStringLiteral("fraOnDisk"), frame);
    auto* inGrid = new QGridLayout(inBoard);
    auto* diskGrid = new QGridLayout(onDisk);
    for (int i = 0; i < kIdentCaptionCount; ++i) {
        diskGrid->addWidget(new QLabel(QLatin1String(kIdentCaptions[size_t(i)]), onDisk), i, 0);
        ui.lblRevIdentOnDisk[size_t(i)] =
            controls::label(QStringLiteral("-"), indexed("lblRevIdentOnDisk", i), onDisk);
        diskGrid->addWidget(ui.lblRevIdentOnDisk[size_t(i)], i, 1);
        if (i >= kBoardIdentRows) continue;
        ui.inPlcCaptions[size_t(i)] = new QLabel(QLatin1String(kIdentCaptions[size_t(i)]), inBoard);
        inGrid->addWidget(ui.inPlcCaptions[size_t(i)], i, 0);
        ui.lblRevIdentInPLC[size_t(i)] =
            controls::label(QStringLiteral("-"), indexed("lblRevIdentInPLC", i), inBoard);
        inGrid->addWidget(ui.lblRevIdentInPLC[size_t(i)], i, 1);
    }
    inGrid->setRowStretch(3, 1);
    diskGrid->setRowStretch(5, 1);
    row->addWidget(inBoard);
    row->addWidget(onDisk);
    return frame;
}

void TargetBoardPage::addSettingRow(QWidget* frame, QGridLayout* grid, int index, int row,
                                    int column) {
    const BoardSetting& s = boardSettings()[size_t(index)];
    ui.lblSetupDesc[size_t(index)] =
        controls::label(QLatin1String(s.caption), indexed("lblSetupDesc", index), frame);
    const controls::Entry e =
        controls::entry(indexed("txtSetup", index), indexed("updSetup", index), frame, 50);
    ui.txtSetup[size_t(index)] = e.text;
    ui.updSetup[size_t(index)] = e.spin;
    ui.lblSetupDesc[size_t(index)]->setBuddy(e.text);
    grid->addWidget(ui.lblSetupDesc[size_t(index)], row, column);
    grid->addLayout(e.box, row + (index < kFirstClockSetting ? 0 : 1),
                    column + (index < kFirstClockSetting ? 1 : 0));
}

QWidget* TargetBoardPage::buildAddressFrame() {
    auto* frame = ui.fraTargetBoard[2];
    auto* grid = new QGridLayout(frame);
    for (int i = 0; i < kFirstClockSetting; ++i)
        addSettingRow(frame, grid, i, i, 0);
    QLabel* note = controls::label(QLatin1String(kNetworkAddressNote),
                                   QStringLiteral("lblNetworkAddComment"), frame);
    note->setWordWrap(true);
    grid->addWidget(note, 2, 0, 1, 3);
    grid->setRowStretch(3, 1);
    return frame;
}

QWidget* TargetBoardPage::buildClockFrame() {
    auto* frame = ui.fraTargetBoard[3];
    auto* grid = new QGridLayout(frame);
    ui.lblBoardTime =
        controls::label(QStringLiteral("Board Time:"), QStringLiteral("lblBoardTime"), frame);
    ui.lblBoardDate =
        controls::label(QStringLiteral("Board Date:"), QStringLiteral("lblBoardDate"), frame);
    grid->addWidget(ui.lblBoardTime, 1, 0);
    grid->addWidget(ui.lblBoardDate, 3, 0);
    for (int i = kFirstClockSetting; i < kBoardSettingCount; ++i) {
        const int k = i - kFirstClockSetting;
        addSettingRow(frame, grid, i, k < 3 ? 0 : 2, 1 + k % 3);
    }
    ui.cmdSetTime = controls::button(QStringLiteral("Set to Current &Time"),
                                     QStringLiteral("cmdSetTime"), frame);
    ui.cmdSetDate = controls::button(QStringLiteral("Set to Current &Date"),
                                     QStringLiteral("cmdSetDate"), frame);
    grid->addWidget(ui.cmdSetTime, 1, 4);
    grid->addWidget(ui.cmdSetDate, 3, 4);
    connect(ui.cmdSetTime, &QPushButton::clicked, this, &TargetBoardPage::cmdSetTime_Click);
    connect(ui.cmdSetDate, &QPushButton::clicked, this, &TargetBoardPage::cmdSetDate_Click);
    grid->addWidget(new QLabel(QStringLiteral("PC Time:"), frame), 4, 0);
    grid->addWidget(new QLabel(QStringLiteral("PC Date:"), frame), 5, 0);
    ui.lblCurrTime = controls::label(QString(), QStringLiteral("lblCurrTime"), frame);
    ui.lblCurrDate = controls::label(QString(), QStringLiteral("lblCurrDate"), frame);
    grid->addWidget(ui.lblCurrTime, 4, 1, 1, 3);
    grid->addWidget(ui.lblCurrDate, 5, 1, 1, 3);
    auto* note = controls::label(QLatin1String(kClockNote), QStringLiteral("lblClockNote"), frame);
    note->setWordWrap(true);
    grid->addWidget(note, 6, 0, 1, 5);
    grid->setRowStretch(7, 1);
    return frame;
}

void TargetBoardPage::buildControls() {
    auto* page = new QVBoxLayout(this);
    const controls::Tabs tabs =
        controls::tabs(QStringLiteral("tabTargetBoard"), "fraTargetBoard", targetBoardTabs(), this);
    ui.tabTargetBoard = tabs.bar;
    for (size_t k = 0; k < ui.fraTargetBoard.size(); ++k)
        ui.fraTargetBoard[k] = tabs.frames[k];
    m_tabs.attach(tabs.bar, tabs.frames);
    connect(tabs.bar, &QTabBar::currentChanged, this, [this](int tab) { m_tabs.select(tab); });
    page->addWidget(ui.tabTargetBoard);
    auto* frames = new QGridLayout;
    QWidget* built[] = {buildFaultFrame(), buildIdentFrame(), buildAddressFrame(),
                        buildClockFrame()};
    for (QWidget* f : built)
        frames->addWidget(f, 0, 0);
    page->addLayout(frames);
    auto* buttons = new QHBoxLayout;
    ui.cmdGoOnline =
        controls::button(QStringLiteral("&Go Online"), QStringLiteral("cmdGoOnline"), this);
    ui.cmdOk = controls::button(QStringLiteral("&Ok"), QStringLiteral("cmdOk"), this);
    buttons->addWidget(ui.cmdGoOnline);
    buttons->addStretch(1);
    buttons->addWidget(ui.cmdOk);
    page->addLayout(buttons);
    connect(ui.cmdGoOnline, &QPushButton::clicked, this, &TargetBoardPage::cmdGoOnline_Click);
    connect(ui.cmdOk, &QPushButton::clicked, this, [this] {
        if (auto* dialog = qobject_cast<QDialog*>(window())) dialog->accept();
    });
}

void TargetBoardPage::buildFields() {
    makeFields(ui.cmdDefault);
    for (int i = 0; i < kBoardSettingCount; ++i) {
        const BoardSetting& s = boardSettings()[size_t(i)];
        EntryFieldConfig config;
        config.address = QLatin1String(s.address);
        config.title = QStringLiteral("Set-up ") + QLatin1String(s.caption);
        config.commitStores = true;
        m_fields->add(i, ui.txtSetup[size_t(i)], ui.updSetup[size_t(i)], std::move(config),
                      {s.min, s.max});
    }
}

void TargetBoardPage::setRowShown(int index, bool shown) {
    for (QWidget* w : settingRow(index))
        w->setVisible(shown);
}

void TargetBoardPage::setRowEnabled(int index, bool enabled) {
    for (QWidget* w : settingRow(index))
        w->setEnabled(enabled);
}

std::array<QWidget*, 3> TargetBoardPage::settingRow(int index) const {
    const size_t k = size_t(index);
    return {ui.lblSetupDesc[k], ui.txtSetup[k], ui.updSetup[k]};
}

void TargetBoardPage::setClockControlsEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{ui.lblBoardTime, ui.lblBoardDate,
                                                      ui.cmdSetTime, ui.cmdSetDate})
        w->setEnabled(enabled);
}

} // namespace kalvex
