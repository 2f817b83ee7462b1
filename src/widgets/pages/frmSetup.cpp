#include "widgets/pages/frmSetup.h"

#include "data/AppState.h"
#include "link/PlsLink.h"
#include "link/RSComm.h"
#include "link/TextNumber.h"
#include "widgets/pages/NumericEntryField.h"
#include "widgets/pages/RefreshLoop.h"
#include "widgets/pages/UpDown.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>

namespace kalvex {

frmSetup::frmSetup(AppState& state, RSComm& link, Prompt& prompt, QWidget* parent)
    : MachinePage(state, link, prompt, parent) {
    setWindowTitle(QStringLiteral("Set-Up"));
    buildTabs();
    for (int i = 0; i < kSetupParameterCount; ++i) {
        if (i == kFeedbackIndex) continue;
        const SetupParameter& p = setupParameters()[size_t(i)];
        EntryFieldConfig config;
        config.address = QString::fromLatin1(p.address);
        config.dataIndex = i + kSetupDataOffset;
        config.title = QStringLiteral("Set-up");
        m_fields[size_t(i)] = new NumericEntryField(ui.txtSetup[size_t(i)], ui.updSetup[size_t(i)],
                                                    ui.cmdDefault, state, link, prompt, config);
        m_fields[size_t(i)]->setRange(p.min, p.max);
    }
}

frmSetup::~frmSetup() {
    Unload(); // what was typed is dropped, not committed as the fields lose the focus
}

void frmSetup::Activate() {
    selectTab(0);
    m_tabChanged = false;
    if (m_link.OnlineMode())
        ShowOnline();
    else
        ShowOffline();
    m_loop->start();
}

void frmSetup::selectTab(int tab) {
    if (tab < 0 || tab > 3) return;
    for (QGroupBox* f : ui.fraSetup)
        f->hide();
    ui.fraSetup[size_t(tab)]->show();
    if (ui.tbsSetup->currentIndex() != tab) ui.tbsSetup->setCurrentIndex(tab);
    m_tabChanged = true;
    m_range = setupTabRange(tab);
}

void frmSetup::clearEditing() {
    for (NumericEntryField* f : m_fields)
        if (f) f->clearEditing();
}

// One refresh pass: the board's values of the visible tab, or the data set when offline.
void frmSetup::beginPass(RefreshLoop& loop) {
    const bool online = startPass();
    ui.updSetup[kQcShiftOffsetIndex]->setRange(1, m_state.gSpindleCount > 24 ? 36 : 24);
    if (!online) {
        loop.add([this] { RefreshOffline(); });
        return;
    }
    if (!m_onlinePrepared) ShowOnline();
    addOnlineReads();
}

void frmSetup::addOnlineReads() {
    m_tabChanged = false;
    for (int i = m_range.first; i <= m_range.last; ++i) {
        m_loop->add([this, i] { readParameter(i); });
        if (i == 2)
            m_loop->add([this] {
                readExtra(
                    [this] { ui.lblDisplay[0]->setText(m_link.RSRead(QStringLiteral("W526"))); });
            });
        if (i == 20) addTimingDisplays();
    }
}

void frmSetup::addTimingDisplays() {
    m_loop->add([this] {
        readExtra([this] {
            ui.cmdZeroResolver->setEnabled(valueOf(m_link.RSRead(QStringLiteral("F119"))) > 0);
        });
    });
    m_loop->add(
        [this] { readExtra([this] { ui.lblDisplay[1]->setText(PlsLink(m_link).PLSPos()); }); });
    m_loop->add([this] {
        readExtra([this] {
            ui.lblDisplay[2]->setText(
                QString::number(valueOf(m_link.RSRead(QStringLiteral("W180"))) % 360));
        });
    });
    m_loop->add([this] {
        readExtra([this] {
            ui.lblDisplay[3]->setText(
                QString::number(valueOf(m_link.RSRead(QStringLiteral("W512"))) % 360));
        });
    });
}

// False ends the pass: the page closed, the program went offline, or the tab changed.
bool frmSetup::passMayGoOn() {
    if (!m_loop->running() || !m_link.OnlineMode()) {
        m_loop->abortPass();
        return false;
    }
    if (m_tabChanged) {
        m_tabChanged = false;
        m_loop->abortPass();
        return false;
    }
    return true;
}

void frmSetup::readParameter(int index) {
    if (!passMayGoOn()) return;
    const QString value =
        m_link.RSRead(QString::fromLatin1(setupParameters()[size_t(index)].address));
    if (m_link.CommError()) {
        m_loop->abortPass();
        return;
    }
    if (index == kFeedbackIndex)
        setFeedbackBoxes(valueOf(value));
    else
        m_fields[size_t(index)]->showValue(value);
}

void frmSetup::readExtra(const std::function<void()>& read) {
    if (!passMayGoOn() || m_link.CommError()) {
        m_loop->abortPass();
        return;
    }
    read();
}

void frmSetup::setFeedbackBoxes(int mask) {
    m_checkBoxUpdate = true;
    for (int j = 0; j < 8; ++j)
        ui.chkFeedback[size_t(j)]->setChecked((mask & (1 << j)) != 0);
    m_checkBoxUpdate = false;
}

void frmSetup::RefreshOffline() {
    if (m_state.gOfflineEdit != m_lastOfflineEdit) {
        m_lastOfflineEdit = m_state.gOfflineEdit;
        m_offlinePrepared = false;
    }
    const auto& values = m_state.gCurrentData.Value;
    for (int i = 0; i < kSetupParameterCount; ++i) {
        const size_t item = size_t(i + kSetupDataOffset);
        const int v = item < values.size() ? values[item] : 0;
        if (i == kFeedbackIndex)
            setFeedbackBoxes(v);
        else
            m_fields[size_t(i)]->showValue(QString::number(v));
    }
}

void frmSetup::setEditable(bool on) {
    for (QWidget* w : m_editable)
        w->setEnabled(on);
}

void frmSetup::setLiveControls(bool on) {
    for (QWidget* w : m_live)
        w->setEnabled(on);
    m_rpmCaption->setEnabled(on);
    ui.lblDisplay[0]->setEnabled(on);
}

void frmSetup::ShowOnline() {
    m_onlinePrepared = true;
    clearEditing();
    setEditable(true);
    setLiveControls(true);
}

void frmSetup::ShowOffline() {
    m_offlinePrepared = true;
    clearEditing();
    setEditable(m_state.gOfflineEdit);
    setLiveControls(false);
    for (QLabel* l : ui.lblDisplay)
        l->setText(QStringLiteral("-"));
}

void frmSetup::WriteFeedbackMask(const QString& mask) {
    if (NumericEntryField::refusalPending()) return;
    auto& values = m_state.gCurrentData.Value;
    const size_t item = kFeedbackIndex + kSetupDataOffset;
    if (item < values.size()) values[item] = valueOf(mask);
    if (m_link.OnlineMode() && !m_link.CommError()) m_link.RSWrite(QStringLiteral("B694"), mask);
}

void frmSetup::EnableFeedbackAll() {
    WriteFeedbackMask(QStringLiteral("255"));
}

void frmSetup::DisableFeedbackAll() {
    WriteFeedbackMask(QStringLiteral("0"));
}

void frmSetup::BadCanTest() {
    if (NumericEntryField::refusalPending()) return;
    if (!m_link.CommError()) m_link.RSWrite(QStringLiteral("F830"), QStringLiteral("1"));
}

void frmSetup::QCTest() {
    if (NumericEntryField::refusalPending()) return;
    for (const char* add : {"B2088", "F825", "F102"})
        if (!m_link.CommError()) m_link.RSWrite(QString::fromLatin1(add), QStringLiteral("1"));
}

void frmSetup::ZeroResolver() {
    if (NumericEntryField::refusalPending()) return;
    const MsgAnswer a = m_prompt.message(
        QStringLiteral("Zero Resolver"),
        QStringLiteral("You are about change the Resolver offset.\r\n\r\nDo you wish to continue?"),
        MsgButtons::YesNoCancel, MsgIcon::Question);
    if (a == MsgAnswer::Yes && !m_link.CommError())
        m_link.RSWrite(QStringLiteral("F831"), QStringLiteral("1"));
}

} // namespace kalvex
