#include "widgets/pages/frmData.h"

#include "data/AppState.h"
#include "data/pages/MainDisplayValues.h"
#include "link/Prompt.h"
#include "link/RSComm.h"
#include "widgets/pages/EntryFieldGroup.h"
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
    makeFields(ui.cmdDefault);
    m_fields->add(kTripOffsetField, ui.txtSpindleTripOffset, ui.updSpindleTripOffset,
                  std::move(config), {0, 35});
    m_fields->setRangeRule(kTripOffsetField, [this] {
        return EntryFieldGroup::Bounds{0, tripOffsetMax(m_state.gSpindleCount)};
    });
    addHeldBit(ui.cmdResetTrips, kResetTripsBit);
    addHeldBit(ui.cmdEndofShift, kEndOfShiftBit);
    addEditableControls({ui.fraSpindleTrip, ui.lblDescription[kTripOffsetCaption],
                         ui.txtSpindleTripOffset, ui.updSpindleTripOffset});
    addLiveControls({ui.lblDescription[0], ui.lblData[0], ui.cmdResetTrips, ui.fraEndofShift,
                     ui.cmdEndofShift});
}

void frmData::onActivate() {
    selectTab(0);
}

void frmData::selectTab(int tab) {
    if (m_tabs.select(tab)) m_range = shiftTabRange(tab);
}

void frmData::beforePass() {
    m_fields->updateRanges();
}

void frmData::addOnlineSteps(RefreshLoop& loop) {
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

void frmData::ShowOnline() {
    clearEditing();
    enableControls(true);
    ui.lblData[0]->setText(QStringLiteral("-"));
}

void frmData::ShowOffline() {
    clearEditing();
    enableControls(false);
    ui.lblData[0]->setText(QStringLiteral("-"));
}

} // namespace kalvex
