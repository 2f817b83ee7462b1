#include "widgets/pages/frmColorControl.h"

#include "data/AppState.h"
#include "data/StrayReadBack.h"
#include "data/pages/SetupParameterTable.h"
#include "link/RSComm.h"
#include "widgets/pages/EntryFieldGroup.h"
#include "widgets/pages/PageControls.h"
#include "widgets/pages/RefreshLoop.h"
#include "widgets/pages/UpDown.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kalvex {

namespace {

bool isEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

frmColorControl::frmColorControl(AppState& state, RSComm& link, Prompt& prompt, QWidget* parent)
    : MachinePage(state, link, prompt, parent) {
    setWindowTitle(QStringLiteral("Color Control"));
    buildControls();
    buildFields();
    m_maxCycle = item(kMaxCycleItem);
    m_maxOn = item(kMaxOnItem);
    showLabel(item(kLabelItem));
    m_fields->showValue(kStationField, QStringLiteral("1"));
    m_fields->updateRanges();
}

int frmColorControl::item(int index) const {
    const auto& values = m_state.gCurrentData.Value;
    return index >= 0 && size_t(index) < values.size() ? values[size_t(index)] : 0;
}

void frmColorControl::setItem(int index, int value) {
    auto& values = m_state.gCurrentData.Value;
    if (index >= 0 && size_t(index) < values.size()) values[size_t(index)] = value;
}

QString frmColorControl::storedAddress(int value) const {
    const auto& addresses = m_state.gCurrentData.Address;
    if (!m_base) return {};
    const size_t i = size_t(*m_base + value);
    return i < addresses.size() ? addresses[i] : QString();
}

void frmColorControl::buildFields() {
    makeFields(ui.cmdDefault);
    for (int i = 0; i < kFields; ++i) {
        EntryFieldConfig c;
        c.title = QStringLiteral("Color Control");
        c.onFocusIn = [this] { reloadFields(); };
        c.commitOnFocusLoss = [this] { return !m_loading; };
        c.beforeCheck = [this] { m_fields->updateRanges(); };
        // The station is selected again whenever the operator enters it.
        c.storeOnlyChanged = i != kStationField;
        c.wholeNumbers = i >= kLabelField;
        if (i == kLabelField) {
            c.onKey = [this](int key) { return labelKey(key); };
            c.store = [this](int v) { storeLabel(v); };
        } else {
            c.onKey = [this, i](int key) { return valueKey(i, key); };
            if (i == kStationField)
                c.store = [this](int v) { storeStation(v); };
            else
                c.store = [this, i](int v) { storeValue(i, v); };
        }
        const EntryFieldGroup::Bounds bounds =
            i < kColorDuctors  ? EntryFieldGroup::Bounds{0, 200}
            : i < kColorValues ? EntryFieldGroup::Bounds{140, 650}
            : i == kLabelField ? EntryFieldGroup::Bounds{0, kLabelCount - 1}
                               : EntryFieldGroup::Bounds{1, 8};
        m_fields->add(i, ui.txtColorCtrl[size_t(i)], ui.updColorCtrl[size_t(i)], std::move(c),
                      bounds);
    }
    for (int k = 0; k < kColorDuctors; ++k) {
        m_fields->setRangeRule(k, [this, k] {
            const ColorBounds b = onBounds(m_fields->value(k + kColorDuctors), m_maxOn);
            return EntryFieldGroup::Bounds{b.min, b.max};
        });
        m_fields->setRangeRule(k + kColorDuctors, [this, k] {
            const ColorBounds b = cycleBounds(m_fields->value(k), m_maxCycle);
            return EntryFieldGroup::Bounds{b.min, b.max};
        });
    }
}

// --- Refresh ------------------------------------------------------------------------------

void frmColorControl::addOnlineSteps(RefreshLoop& loop) {
    const auto maxima = [this] { return m_readMaxima; };
    loop.addRead(
        kMaxCycleAddress, [this](qint64 v) { m_maxCycle = int(v); }, maxima);
    loop.addRead(
        kMaxOnAddress,
        [this](qint64 v) {
            m_maxOn = int(v);
            m_readMaxima = false;
            m_fields->updateRanges();
        },
        maxima);
    if (m_loading && m_base) {
        addLoadSteps(loop);
        return;
    }
    m_loading = false;
    loop.addRead(kSetupEnableAddress, [this](qint64 v) {
        const bool on = v > 0;
        if (on != m_setupEnable) enableLabelField(on);
        m_setupEnable = on;
    });
    loop.addRead(kLabelAddress, m_fields->textBox(kLabelField), [this](qint64 v) { showLabel(v); });
    for (int i = 0; i < kColorTableSize; ++i)
        loop.addRead(colorAddress(i), tableDisplay(i),
                     [this, i](qint64 v) { showTableValue(i, v); });
}

// The control that shows table value i; the ductor and manual masks have boxes, not a number.
QWidget* frmColorControl::tableDisplay(int i) const {
    if (i < kColorValues) return m_fields->textBox(i);
    if (i < kColorValues + 2) return ui.lblStatus[size_t(i - kColorValues)];
    return nullptr;
}

void frmColorControl::showTableValue(int i, qint64 v) {
    if (i < kColorValues) {
        m_fields->showValue(i, QString::number(v));
        if (i >= kColorDuctors) showDensity(i - kColorDuctors);
    } else if (i < kColorValues + 2) {
        ui.lblStatus[size_t(i - kColorValues)]->setText(QString::number(v));
    } else if (colorAddress(i) == kDuctorStatusAddress) {
        showDuctorStatus(int(v));
    } else if (!m_setupEnable) {
        enableManual(false);
    } else if (m_manual) {
        showManualBoxes(int(v));
    }
}

// The label the page works on; one outside the data set's label block is shown, and nothing
// is loaded from or stored into it.
void frmColorControl::showLabel(qint64 label) {
    NumericEntryField* f = m_fields->field(kLabelField);
    if (f->editing()) return;
    f->showValue(QString::number(label));
    m_label = label;
    m_base = labelBase(label);
    if (online()) setItem(kLabelItem, int(label));
}

void frmColorControl::showDensity(int d) {
    ui.lblColorCtrl[size_t(d)]->setText(
        densityText(m_fields->value(d), m_fields->value(d + kColorDuctors), m_maxOn));
}

void frmColorControl::showDuctorStatus(int status) {
    ui.lblStatus[2]->setText(ductorModeText(status));
    ui.lblStatus[3]->setText(ductorsAutoText(status));
    if (!manualMode(status))
        enableManual(false);
    else if (m_setupEnable)
        enableManual(true);
}

// Ticks a refresh makes write nothing: only the operator's click does.
void frmColorControl::showManualBoxes(int mask) {
    m_checkBoxUpdate = true;
    controls::setCheckedMask(ui.chkDuctorManual, mask);
    m_checkBoxUpdate = false;
}

void frmColorControl::enableManual(bool on) {
    m_manual = on;
    ui.fraColorCtrl[3]->setEnabled(on);
    for (QCheckBox* b : ui.chkDuctorManual)
        b->setEnabled(on);
    ui.cmdDuctorsManualON->setEnabled(on);
    ui.cmdDuctorsManualOFF->setEnabled(on);
    if (!on) showManualBoxes(0);
}

void frmColorControl::enableLabelField(bool on) {
    ui.txtColorCtrl[kLabelField]->setEnabled(on);
    ui.updColorCtrl[kLabelField]->setEnabled(on);
    ui.lblDescription[8]->setEnabled(on);
}

void frmColorControl::showOfflineValues() {
    m_maxCycle = item(kMaxCycleItem);
    m_maxOn = item(kMaxOnItem);
    showLabel(item(kLabelItem));
    for (int i = 0; i < kColorValues; ++i) {
        NumericEntryField* f = m_fields->field(i);
        if (f->editing()) continue;
        if (m_base)
            f->showValue(QString::number(item(*m_base + i)));
        else
            f->showBlank(QStringLiteral("-"));
    }
    for (int d = 0; d < kColorDuctors; ++d)
        showDensity(d);
}

void frmColorControl::RefreshOffline() {
    offlineEditChanged();
    showOfflineValues();
}

void frmColorControl::ShowOnline() {
    m_loading = false;
    m_labelEnter = false;
    clearEditing();
    enableControls(true);
    enableLabelField(false); // until F119 allows a label change
    m_setupEnable = false;
    enableManual(false); // until B130 says manual
    m_readMaxima = true;
    parkFocus();
    sendValue(kStationAddress, QString::number(stationMask(m_fields->value(kStationField))));
}

void frmColorControl::ShowOffline() {
    m_loading = false;
    m_labelEnter = false;
    clearEditing();
    enableControls(false);
    enableManual(false);
    for (QLabel* l : ui.lblStatus)
        l->setText(QStringLiteral("-"));
    parkFocus();
}

// Out of the fields, so each follows the board (or the data set) until the operator enters it;
// what was typed was dropped with the editing flags, so leaving commits nothing.
void frmColorControl::parkFocus() {
    if (isAncestorOf(QApplication::focusWidget())) ui.cmdDefault->setFocus(Qt::OtherFocusReason);
}

// --- Entering and leaving fields ------------------------------------------------------------

// The Enter step shows the fields' current values first, so what the operator starts from and
// Esc returns to is the board's (or the data set's) value, not one a pass ago.
void frmColorControl::reloadFields() {
    if (m_loading || m_link.isBusy()) return;
    if (!online()) {
        showOfflineValues();
        return;
    }
    for (int i = 0; i < kColorValues; ++i) {
        const LinkResult r = m_link.readValue(colorAddress(i));
        if (!r) return;
        showTableValue(i, r.value);
    }
    if (const LinkResult r = m_link.readValue(kLabelAddress)) showLabel(r.value);
}

// A label load always runs to its end (a new label restarts it): keys end editing, never the
// load. Enter during a load leaves the field without storing: the load refills it.
bool frmColorControl::valueKey(int index, int key) {
    if (key == Qt::Key_Escape) m_labelEnter = false;
    if (!m_loading || !isEnter(key)) return false;
    m_fields->field(index)->clearEditing();
    ui.cmdDefault->setFocus(Qt::OtherFocusReason);
    return true;
}

// Enter in the label field commits it in place; a load that follows (a new label restarts
// it) keeps the focus parked until it ends, then field 0 takes it.
bool frmColorControl::labelKey(int key) {
    if (key == Qt::Key_Escape) {
        m_labelEnter = false;
        return false;
    }
    if (!isEnter(key)) return false;
    m_labelEnter = true;
    if (!online()) return false; // on as with Tab
    if (!m_fields->field(kLabelField)->commit()) return true;
    if (m_loading) {
        ui.cmdDefault->setFocus(Qt::OtherFocusReason);
    } else {
        m_labelEnter = false;
        ui.txtColorCtrl[0]->setFocus(Qt::TabFocusReason);
    }
    return true;
}

// An ON or CYCLE value the operator changed: working register, its density, the label's
// stored copy, then the data set.
void frmColorControl::storeValue(int i, int value) {
    const QString text = QString::number(value);
    const QString stored = storedAddress(i);
    const bool sent = bool(write(colorAddress(i), text));
    showDensity(i % kColorDuctors);
    if (sent && !stored.isEmpty()) sendValue(stored, text);
    if (m_base) setItem(*m_base + i, value);
}

void frmColorControl::storeLabel(int value) {
    setItem(kLabelItem, value);
    m_label = value;
    m_base = labelBase(value);
    if (write(kLabelAddress, QString::number(value))) startLoad();
}

void frmColorControl::storeStation(int value) {
    sendValue(kStationAddress, QString::number(stationMask(value)));
}

// --- Label load ---------------------------------------------------------------------------

// The refresh pass ends here; the next passes are the load's.
void frmColorControl::startLoad() {
    if (!m_base) return;
    m_loading = true;
    for (int i = 0; i < kColorValues; ++i) {
        m_fields->field(i)->clearEditing();
        m_fields->field(i)->showBlank(QStringLiteral("-"));
    }
    m_loop->abortPass();
}

void frmColorControl::addLoadSteps(RefreshLoop& loop) {
    for (int k = 0; k < kColorValues; ++k) {
        const QString stored = storedAddress(k);
        if (stored.isEmpty()) continue;
        loop.addRead(stored, [this, k](qint64 v) {
            if (k < kColorDuctors)
                m_loadValue = m_loadedOn[size_t(k)] = loadedOn(v, m_maxOn);
            else
                m_loadValue = loadedCycle(v, m_loadedOn[size_t(k - kColorDuctors)], m_maxCycle);
        });
        loop.addBoardStep([this, k] {
            const QString s = QString::number(m_loadValue);
            const LinkResult r = write(colorAddress(k), s);
            if (!r) return r;
            m_fields->field(k)->refill(s);
            if (k >= kColorDuctors) showDensity(k - kColorDuctors);
            return r;
        });
    }
    loop.add([this] { finishLoad(); });
}

void frmColorControl::finishLoad() {
    m_loading = false;
    if (!m_labelEnter) return;
    m_labelEnter = false;
    ui.txtColorCtrl[0]->setFocus(Qt::TabFocusReason);
}

// --- Manual ductors -----------------------------------------------------------------------

// The boxes show a mask only once it was written; the next pass shows the board's.
bool frmColorControl::writeManualMask(int mask) {
    return !m_fields->refusalPending() && write(kManualDuctorsAddress, QString::number(mask));
}

// One write of the whole mask.
void frmColorControl::DuctorsManualAll(bool on) {
    if (!m_manual || !online()) return;
    if (writeManualMask(on ? 0xFF : 0)) showManualBoxes(on ? 0xFF : 0);
}

} // namespace kalvex
