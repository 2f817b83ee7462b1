#include "widgets/pages/frmMain.h"

#include "data/AppState.h"
#include "data/pages/MainDisplayValues.h"
#include "link/RSComm.h"
#include "link/TextNumber.h"
#include "widgets/pages/NumericEntryField.h"
#include "widgets/pages/RefreshLoop.h"
#include "widgets/pages/UpDown.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace kalvex {

namespace {

// Data-set elements of the counters shown offline, by display index (2..4).
constexpr int kOfflineItem[frmMain::kDisplays] = {-1, -1, 37, 38, 121};

const QString kTarget = QStringLiteral("B2088");

} // namespace

frmMain::frmMain(AppState& state, RSComm& link, Prompt& prompt, QWidget* parent)
    : MachinePage(state, link, prompt, parent), m_address{QStringLiteral("W112"),
                                                          QStringLiteral("W526"),
                                                          QStringLiteral("D1100"),
                                                          QStringLiteral("D1104"),
                                                          QStringLiteral("D1304")} {
    setObjectName(QStringLiteral("frmMain"));
    buildControls();
    EntryFieldConfig config;
    config.title = QStringLiteral("Q.C. Blow-off");
    config.editingFlag = false;
    config.commitStores = false;
    config.checkOnFocusLost = false;
    config.spinAction = [this](int value) { updSpindleNumber_Change(value); };
    m_spindleField = new NumericEntryField(ui.txtSpindleBlowoff, ui.updSpindleNumber, ui.cmdDefault,
                                           m_state, m_link, m_prompt, std::move(config));
    connectControls();
}

frmMain::~frmMain() {
    Unload();
}

void frmMain::connectControls() {
    connect(ui.cmdSingleBlowoff, &QPushButton::clicked, this, &frmMain::cmdSingleBlowoff_Click);
    connect(ui.cmdBlanketBlowoff, &QPushButton::clicked, this, [this] {
        if (!leaveRefused()) QCBlowoff(m_state.gSpindleCount + 1);
    });
    connect(ui.cmdMandrelBlowoff, &QPushButton::clicked, this, [this] {
        if (!leaveRefused()) QCBlowoff(m_state.gSpindleCount + 2);
    });
    connect(ui.cmdBadCanBlowoff, &QPushButton::clicked, this, &frmMain::cmdBadCanBlowoff_Click);
}

void frmMain::Activate() {
    // The first pass prepares the page for the mode it finds.
    m_loop->stop();
    m_onlinePrepared = false;
    m_offlinePrepared = false;
    m_loop->start();
}

void frmMain::clearEditing() {
    m_spindleField->clearEditing();
}

void frmMain::beginPass(RefreshLoop& loop) {
    const bool online = startPass();
    showStatusMessage();
    if (!online) {
        RefreshOffline();
        return;
    }
    // Set before the first online read of B2088, which is compared with it.
    ui.updSpindleNumber->setRange(1, spindleMax(m_state.gSpindleCount));
    if (!m_onlinePrepared) loop.add([this] { ShowOnline(); });
    for (int i = 0; i < kDisplays; ++i)
        loop.add([this, i] { readDisplay(i); });
}

void frmMain::readDisplay(int i) {
    if (!m_link.OnlineMode()) {
        m_loop->abortPass();
        return;
    }
    const QString value = m_link.RSRead(m_address[size_t(i)]);
    if (m_link.CommError()) {
        m_loop->abortPass();
        return;
    }
    ui.lblDisplay[size_t(i)]->setText(i < 2 ? value.trimmed() : groupedCount(value));
}

void frmMain::showStatusMessage() {
    QString text = m_state.gStatusMessage;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (ui.txtMessageDisplay->toPlainText() != text) ui.txtMessageDisplay->setPlainText(text);
}

void frmMain::ShowOnline() {
    m_onlinePrepared = true;
    setBlowoffEnabled(true);
    if (m_link.CommError())
        m_spindleField->showValue(QStringLiteral("1"));
    else
        m_spindleField->showValue(
            initialSpindleText(m_link.RSRead(kTarget), ui.updSpindleNumber->maximum()));
    ui.cmdSingleBlowoff->setFocus(Qt::OtherFocusReason);
}

void frmMain::ShowOffline() {
    m_offlinePrepared = true;
    setBlowoffEnabled(false);
    m_spindleField->showBlank(QStringLiteral("-"));
    for (QLabel* label : ui.lblDisplay)
        label->setText(QStringLiteral("-"));
}

void frmMain::RefreshOffline() {
    const auto& values = m_state.gCurrentData.Value;
    for (int i = 2; i < kDisplays; ++i) {
        const size_t item = size_t(kOfflineItem[i]);
        if (item < values.size())
            ui.lblDisplay[size_t(i)]->setText(groupedCount(QString::number(values[item])));
    }
}

void frmMain::setBlowoffEnabled(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui.fraQCBlowoff, ui.fraSpindleNumber, ui.txtSpindleBlowoff, ui.updSpindleNumber,
             ui.cmdSingleBlowoff, ui.cmdBlanketBlowoff, ui.cmdMandrelBlowoff, ui.fraBadCanBlowoff,
             ui.cmdBadCanBlowoff, ui.fraDisplay[0], ui.fraDisplay[1], ui.lblDisplay[0],
             ui.lblDisplay[1]})
        w->setEnabled(on);
}

void frmMain::QCBlowoff(int target) {
    const QString text = QString::number(target);
    if (!m_link.CommError()) m_link.RSWrite(kTarget, text);
    if (!m_link.CommError()) m_link.RSWrite(QStringLiteral("F825"), QStringLiteral("1"));
    if (!m_link.CommError()) m_link.RSWrite(QStringLiteral("F102"), QStringLiteral("1"));
}

// Buttons take the focus when clicked or reached by their access key, so a click that finds
// the focus still in the spindle field follows a leave the field refused.
bool frmMain::leaveRefused() const {
    return ui.txtSpindleBlowoff->hasFocus() || NumericEntryField::refusalPending();
}

void frmMain::cmdSingleBlowoff_Click() {
    // The field may hold a number above a Max lowered since it was entered.
    if (leaveRefused() || !m_spindleField->commit()) return;
    QCBlowoff(valueOf(ui.txtSpindleBlowoff->text()));
}

void frmMain::cmdBadCanBlowoff_Click() {
    if (leaveRefused()) return;
    if (!m_link.CommError()) m_link.RSWrite(QStringLiteral("F830"), QStringLiteral("1"));
}

void frmMain::updSpindleNumber_Change(int value) {
    // The field has already parked the focus on ui.cmdDefault.
    if (m_link.OnlineMode() && !m_link.CommError()) m_link.RSWrite(kTarget, QString::number(value));
}

} // namespace kalvex
