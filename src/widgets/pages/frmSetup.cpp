#include "widgets/pages/frmSetup.h"

#include "data/AppState.h"
#include "data/pages/MainDisplayValues.h"
#include "link/PlsLink.h"
#include "link/RSComm.h"
#include "link/TextNumber.h"
#include "widgets/pages/EntryFieldGroup.h"
#include "widgets/pages/PageControls.h"
#include "widgets/pages/RefreshLoop.h"
#include "widgets/pages/StaleValue.h"

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
    buildFields();
}

void frmSetup::buildFields() {
    makeFields(ui.cmdDefault);
    for (int i = 0; i < kSetupParameterCount; ++i) {
        if (i == kFeedbackIndex) continue;
        const SetupParameter& p = setupParameters()[size_t(i)];
        EntryFieldConfig config;
        config.address = QString::fromLatin1(p.address);
        config.dataIndex = i + kSetupDataOffset;
        config.title = QStringLiteral("Set-up");
        m_fields->add(i, ui.txtSetup[size_t(i)], ui.updSetup[size_t(i)], std::move(config),
                      {p.min, p.max});
    }
    m_fields->setRangeRule(kQcShiftOffsetIndex, [this] {
        return EntryFieldGroup::Bounds{1, spindleMax(m_state.gSpindleCount)};
    });
}

// Back to the first tab.
void frmSetup::onActivate() {
    selectTab(0);
}

void frmSetup::selectTab(int tab) {
    if (m_tabs.select(tab)) m_range = setupTabRange(tab);
}

void frmSetup::beforePass() {
    m_fields->updateRanges();
}

void frmSetup::addOnlineSteps(RefreshLoop& loop) {
    for (int i = m_range.first; i <= m_range.last; ++i) {
        QWidget* shows = i == kFeedbackIndex ? nullptr : m_fields->textBox(i);
        loop.addRead(QString::fromLatin1(setupParameters()[size_t(i)].address), shows,
                     [this, i](qint64 v) {
                         if (i == kFeedbackIndex)
                             setFeedbackBoxes(int(v));
                         else
                             m_fields->showValue(i, QString::number(v));
                     });
        if (i == 2)
            loop.addRead(kVarnishRpmAddress, ui.lblDisplay[0],
                         [this](qint64 v) { ui.lblDisplay[0]->setText(QString::number(v)); });
        if (i == 20) addTimingDisplays(loop);
    }
}

void frmSetup::addTimingDisplays(RefreshLoop& loop) {
    loop.addRead(kSetupEnableAddress, [this](qint64 v) { ui.cmdZeroResolver->setEnabled(v > 0); });
    loop.addBoardStep([this] {
        const LinkResult r = PlsLink(m_link).read(PlsLink::Word::Position);
        if (r) {
            stale::markRead(ui.lblDisplay[1]);
            ui.lblDisplay[1]->setText(QString::number(r.value));
        } else {
            stale::markFailed(ui.lblDisplay[1], r.failure);
        }
        return r;
    });
    loop.addRead(kMachinePositionAddress, ui.lblDisplay[2],
                 [this](qint64 v) { ui.lblDisplay[2]->setText(QString::number(v % 360)); });
    loop.addRead(kTimingPositionAddress, ui.lblDisplay[3],
                 [this](qint64 v) { ui.lblDisplay[3]->setText(QString::number(v % 360)); });
}

void frmSetup::setFeedbackBoxes(int mask) {
    m_checkBoxUpdate = true;
    controls::setCheckedMask(ui.chkFeedback, mask);
    m_checkBoxUpdate = false;
}

void frmSetup::RefreshOffline() {
    offlineEditChanged();
    const auto& values = m_state.gCurrentData.Value;
    for (int i = 0; i < kSetupParameterCount; ++i) {
        const size_t item = size_t(i + kSetupDataOffset);
        const int v = item < values.size() ? values[item] : 0;
        if (i == kFeedbackIndex)
            setFeedbackBoxes(v);
        else
            m_fields->showValue(i, QString::number(v));
    }
}

void frmSetup::ShowOnline() {
    clearEditing();
    enableControls(true);
}

void frmSetup::ShowOffline() {
    clearEditing();
    enableControls(false);
    for (QLabel* l : ui.lblDisplay)
        l->setText(QStringLiteral("-"));
}

void frmSetup::WriteFeedbackMask(const QString& mask) {
    if (m_fields->refusalPending()) return;
    auto& values = m_state.gCurrentData.Value;
    const size_t item = kFeedbackIndex + kSetupDataOffset;
    if (item < values.size()) values[item] = valueOf(mask);
    sendValue(QString::fromLatin1(setupParameters()[kFeedbackIndex].address), mask);
}

void frmSetup::EnableFeedbackAll() {
    WriteFeedbackMask(QStringLiteral("255"));
}

void frmSetup::DisableFeedbackAll() {
    WriteFeedbackMask(QStringLiteral("0"));
}

void frmSetup::BadCanTest() {
    if (!m_fields->refusalPending()) sendInOrder(badCanBlowoffWrites());
}

void frmSetup::QCTest() {
    if (!m_fields->refusalPending()) sendInOrder(qcBlowoffWrites(1));
}

void frmSetup::ZeroResolver() {
    if (m_fields->refusalPending()) return;
    const MsgAnswer a = m_prompt.message(
        QStringLiteral("Zero Resolver"),
        QStringLiteral("You are about change the Resolver offset.\r\n\r\nDo you wish to continue?"),
        MsgButtons::YesNoCancel, MsgIcon::Question);
    if (a == MsgAnswer::Yes) sendValue(kZeroResolverAddress, QStringLiteral("1"));
}

} // namespace kalvex
