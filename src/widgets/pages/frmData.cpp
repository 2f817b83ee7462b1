#include "widgets/pages/frmData.h"

#include "data/AppState.h"
#include "data/pages/MainDisplayValues.h"
#include "link/Prompt.h"
#include "link/RSComm.h"
#include "widgets/pages/EntryFieldGroup.h"
#include "widgets/pages/HeldBit.h"
#include "widgets/pages/RefreshLoop.h"
#include "widgets/pages/UpDown.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>

namespace kalvex {

namespace {

constexpr int kTripOffsetField = 0;
constexpr int kTripOffsetCaption = 121;

} // namespace

frmData::frmData(AppState& state, RSComm& link, Prompt& prompt, QWidget* parent)
    : MachinePage(state, link, prompt, parent) {
    setWindowTitle(QStringLiteral("Shift Data"));
    buildTabs();
    EntryFieldConfig config;
    config.address = kTripOffsetAddress;
    config.dataIndex = 0;
    config.title = QStringLiteral("Spindle #1 Trip Offset:");
    m_fields = new EntryFieldGroup(state, link, prompt, ui.cmdDefault, this);
    m_fields->add(kTripOffsetField, ui.txtSpindleTripOffset, ui.updSpindleTripOffset,
                  std::move(config), {0, 35});
    m_fields->setRangeRule(kTripOffsetField, [this] {
        return EntryFieldGroup::Bounds{0, tripOffsetMax(m_state.gSpindleCount)};
    });
    const auto writer = [this](const QString& a, const QString& v) { return write(a, v); };
    m_resetTrips = new HeldBit(ui.cmdResetTrips, kResetTripsBit, writer);
    m_endOfShift = new HeldBit(ui.cmdEndofShift, kEndOfShiftBit, writer);
    m_loop->setGuard([this] { return m_tabs.sameTab(); });
}

frmData::~frmData() {
    Unload();
}

void frmData::onActivate() {
    selectTab(0);
    m_tabs.passLaidOut();
}

void frmData::selectTab(int tab) {
    if (m_tabs.select(tab)) m_range = shiftTabRange(tab);
}

void frmData::clearEditing() {
    m_fields->clearEditing();
}

// A bit the operator let go of while the link could not take the 0 is cleared now; one that
// still cannot be cleared is never left set without a word.
void frmData::onUnload() {
    for (HeldBit* bit : {m_resetTrips, m_endOfShift}) {
        bit->letGo();
        if (bit->held()) offerToClear(*bit);
    }
}

void frmData::offerToClear(HeldBit& bit) {
    const QString which =
        QStringLiteral("%1 (%2)").arg(bit.button()->text().remove(u'&'), bit.address());
    const MsgAnswer a = m_prompt.message(
        windowTitle(),
        QStringLiteral("The %1 bit is still set on the board: it could not be cleared while the "
                       "program was offline.\r\n\r\nGo online now to clear it?")
            .arg(which),
        MsgButtons::YesNo, MsgIcon::Question);
    if (a == MsgAnswer::Yes) {
        m_link.setCommError(false);
        m_link.setOnlineMode(true); // the page follows at once: its writes go out again
        if (bit.settle()) return;
    }
    m_prompt.message(windowTitle(),
                     QStringLiteral("%1 is still set on the board. Clear it by pressing and "
                                    "releasing the button once the board is online.")
                         .arg(which),
                     MsgButtons::Ok, MsgIcon::Exclamation);
    bit.abandon();
}

void frmData::beforePass() {
    m_fields->updateRanges();
}

void frmData::addOnlineSteps(RefreshLoop& loop) {
    m_tabs.passLaidOut();
    for (HeldBit* bit : {m_resetTrips, m_endOfShift})
        if (bit->held()) loop.add([bit] { bit->settle(); });
    for (int i = m_range.first; i <= m_range.last; ++i) {
        loop.addRead(shiftDataAddress(i), ui.lblData[size_t(i)], [this, i](qint64 v) {
            ui.lblData[size_t(i)]->setText(groupedCount(QString::number(v)));
        });
        if (i == 0)
            loop.addRead(
                kTripOffsetAddress,
                [this](qint64 v) { m_fields->showValue(kTripOffsetField, QString::number(v)); },
                [this] { return !m_fields->field(kTripOffsetField)->editing(); });
    }
}

void frmData::RefreshOffline() {
    const auto& values = m_state.gCurrentData.Value;
    if (!values.empty()) m_fields->showValue(kTripOffsetField, QString::number(values[0]));
    if (offlineEditChanged()) return;
    for (int i = 1; i < kShiftDisplays && size_t(i) < values.size(); ++i)
        ui.lblData[size_t(i)]->setText(groupedCount(QString::number(values[size_t(i)])));
}

void frmData::setTripControls(bool on) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui.fraSpindleTrip, ui.lblDescription[kTripOffsetCaption],
                                         ui.txtSpindleTripOffset, ui.updSpindleTripOffset})
        w->setEnabled(on);
}

void frmData::setLiveControls(bool on) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui.lblDescription[0], ui.lblData[0], ui.cmdResetTrips,
                                         ui.fraEndofShift, ui.cmdEndofShift})
        w->setEnabled(on);
    ui.lblData[0]->setText(QStringLiteral("-"));
}

void frmData::ShowOnline() {
    clearEditing();
    setTripControls(true);
    setLiveControls(true);
}

void frmData::ShowOffline() {
    clearEditing();
    setTripControls(m_state.gOfflineEdit);
    setLiveControls(false);
}

} // namespace kalvex
