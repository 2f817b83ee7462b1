#include "widgets/pages/NumericEntryField.h"

#include "data/AppState.h"
#include "data/StrayReadBack.h"
#include "data/pages/RangeMessage.h"
#include "link/RSComm.h"
#include "link/TextNumber.h"
#include "widgets/pages/UpDown.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

namespace kalvex {

namespace {

bool isNumeric(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
    return number.match(text).hasMatch();
}

// Switching to another program or opening a menu neither leaves nor enters a field.
bool staysInField(Qt::FocusReason r) {
    return r == Qt::ActiveWindowFocusReason || r == Qt::PopupFocusReason;
}

bool userLeaves(Qt::FocusReason r) {
    return r == Qt::TabFocusReason || r == Qt::BacktabFocusReason || r == Qt::MouseFocusReason ||
           r == Qt::ShortcutFocusReason;
}

// While a refused value waits for its range message, the click that found it ends without
// effect: the control the user pressed must not act on it.
class ClickEndFilter final : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        return e->type() == QEvent::MouseButtonRelease || e->type() == QEvent::MouseButtonDblClick;
    }
};

} // namespace

NumericEntryField::NumericEntryField(QLineEdit* text, UpDown* spin, QAbstractButton* defaultButton,
                                     AppState* state, RSComm& link, Prompt& prompt,
                                     EntryFieldConfig config)
    : QObject(text), m_text(text), m_spin(spin), m_default(defaultButton), m_state(state),
      m_link(link), m_prompt(prompt), m_config(std::move(config)) {
    m_text->installEventFilter(this);
    m_text->setProperty(kFieldProperty, QVariant::fromValue(static_cast<QObject*>(this)));
    connect(m_text, &QLineEdit::textEdited, this, [this] { m_typed = true; });
    if (!m_spin) return;
    connect(m_spin, &UpDown::stepped, this, &NumericEntryField::spinStep);
    m_spin->setPressGuard([this] { return spinPressed(); });
}

NumericEntryField* NumericEntryField::focused() {
    QWidget* w = QApplication::focusWidget();
    return w ? w->findChild<NumericEntryField*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void NumericEntryField::setRange(int min, int max) {
    if (m_spin) m_spin->setRange(min, max);
}

void NumericEntryField::showValue(const QString& value) {
    if (m_config.editingFlag && m_editing) return; // never overwrite what the user is typing
    m_filled = true;
    m_typed = false;
    if (m_text->text() != value) m_text->setText(value);
}

void NumericEntryField::refill(const QString& value) {
    clearEditing();
    showValue(value);
    if (m_text->hasFocus()) enterStep();
}

void NumericEntryField::showBlank(const QString& text) {
    m_filled = false;
    m_typed = false;
    m_text->setText(text);
}

void NumericEntryField::clearEditing() {
    m_editing = false;
    m_escArmed = false;
    m_typed = false;
}

bool NumericEntryField::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_text) return false;
    switch (event->type()) {
    case QEvent::FocusIn: {
        // Coming back from another program keeps what was typed and the value to restore.
        const bool stays = staysInField(static_cast<QFocusEvent*>(event)->reason());
        if (!stays && !m_refusing && m_config.onFocusIn) m_config.onFocusIn();
        if (!m_typed || !stays) enterStep();
        break;
    }
    case QEvent::MouseButtonRelease:
        if (!m_text->hasFocus()) break;
        if (m_typed)
            m_text->selectAll(); // a click keeps what was typed and the value to restore
        else
            enterStep();
        break;
    case QEvent::KeyPress:
        return keyStep(static_cast<QKeyEvent*>(event)->key());
    case QEvent::FocusOut: {
        const Qt::FocusReason r = static_cast<QFocusEvent*>(event)->reason();
        if (staysInField(r)) break;
        if (m_config.commitOnFocusLoss && !m_config.commitOnFocusLoss()) break;
        // Without the focus-lost check only the user's own leaving (Tab, click, access key)
        // is checked, not a focus move made by the page.
        if (m_config.checkOnFocusLost || userLeaves(r)) commitStep();
        break;
    }
    default:
        break;
    }
    return false;
}

void NumericEntryField::enterStep() {
    if (m_refusing) return;
    m_editing = m_config.editingFlag;
    m_escArmed = false;
    m_typed = false;
    m_savedText = m_text->text();
    m_saved = valueOf(m_savedText);
    m_text->selectAll();
}

bool NumericEntryField::keyStep(int key) {
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (m_config.dialogKeys && (enter || key == Qt::Key_Escape)) return false;
    if (m_config.onKey && m_config.onKey(key)) {
        m_escArmed = false;
        return true;
    }
    if (enter) {
        m_escArmed = false;
        // As if Tab was pressed: the commit runs as the focus leaves.
        const int commitsBefore = m_commits;
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(m_text, &tab);
        if (m_commits == commitsBefore) commitStep(); // nowhere to go: check in place
        return true;
    }
    if (key == Qt::Key_Escape) {
        restoreSaved();
        if (m_escArmed) {
            m_escArmed = false;
            m_editing = false;
            if (m_default) m_default->setFocus(Qt::OtherFocusReason);
        } else {
            m_escArmed = true;
            m_text->selectAll();
        }
        return true;
    }
    m_escArmed = false;
    return false;
}

void NumericEntryField::restoreSaved() {
    m_text->setText(m_filled ? QString::number(m_saved) : m_savedText);
    m_typed = false;
}

bool NumericEntryField::commitStep() {
    if (m_refusing) return false;
    ++m_commits;
    // Text the operator did not type is the board's or the data set's own, or nothing at all.
    if (m_config.commitStores && !m_typed) {
        m_editing = false;
        return true;
    }
    const QString text = m_text->text();
    const double v = text.trimmed().toDouble();
    if (m_config.storeOnlyChanged && isNumeric(text) && roundToInt32(v) == m_saved) {
        leaveUnstored();
        return true;
    }
    if (m_config.beforeCheck) m_config.beforeCheck();
    const int min = m_spin ? m_spin->minimum() : 0;
    const int max = m_spin ? m_spin->maximum() : 0;
    if (min > max) { // no value fits: the operator may still leave
        leaveUnstored();
        return true;
    }
    const bool whole = !m_config.wholeNumbers || isWholeNumber(text);
    if (!isNumeric(text) || !whole || v < min || v > max) {
        refuse();
        return false;
    }
    if (m_config.commitStores) storeAndWrite(roundToInt32(v));
    m_filled = true;
    m_typed = false;
    m_editing = false;
    return true;
}

void NumericEntryField::leaveUnstored() {
    restoreSaved();
    m_editing = false;
}

void NumericEntryField::refuse() {
    m_refusing = true;
    m_clickFilter = new ClickEndFilter(this);
    qApp->installEventFilter(m_clickFilter);
    QMetaObject::invokeMethod(this, &NumericEntryField::showRangeMessage, Qt::QueuedConnection);
}

bool NumericEntryField::commitNow() {
    if (m_refusing) return false; // its range message is on its way or open
    if (commitStep()) return true;
    showRangeMessage();
    return false;
}

void NumericEntryField::showRangeMessage() {
    if (!m_clickFilter) return; // commitNow showed it already
    delete m_clickFilter;
    m_clickFilter = nullptr;
    // A button that took the focus with its press stays up and does nothing.
    if (auto* pressed = qobject_cast<QAbstractButton*>(QApplication::focusWidget()))
        pressed->setDown(false);
    const int min = m_spin ? m_spin->minimum() : 0;
    const int max = m_spin ? m_spin->maximum() : 0;
    m_prompt.message(m_config.title, rangeMessage(min, max), MsgButtons::Ok, MsgIcon::Information);
    if (!m_config.keepRefusedText) restoreSaved();
    m_refusing = false;
    if (!m_text->isEnabled() || !m_text->isVisible()) {
        clearEditing(); // the page hid or disabled the field meanwhile: the refresh has it again
        return;
    }
    m_editing = m_config.editingFlag;
    m_text->setFocus(Qt::OtherFocusReason);
    m_text->selectAll();
}

// Pressing an arrow leaves the field that has the focus, as clicking any other control would;
// a refused value there cancels the step before it starts.
bool NumericEntryField::spinPressed() {
    NumericEntryField* current = focused();
    return !current || current->commitStep();
}

void NumericEntryField::spinStep(int direction) {
    if (!m_filled) return; // no value to step from
    if (m_config.beforeCheck) m_config.beforeCheck();
    const int min = m_spin->minimum(), max = m_spin->maximum();
    const int current = valueOf(m_text->text());
    if (min > max) return; // no value to step to
    const int value = qBound(min, current + direction, max);
    if (value == current && min <= current && current <= max) return; // at a bound
    m_text->setText(QString::number(value));
    m_typed = false;
    m_editing = false;
    m_escArmed = false;
    if (m_default) m_default->setFocus(Qt::OtherFocusReason);
    if (m_config.spinAction) {
        m_config.spinAction(value);
        return;
    }
    storeAndWrite(value);
}

void NumericEntryField::storeAndWrite(int value) {
    if (m_config.store) {
        m_saved = value;
        m_config.store(value);
        Q_EMIT committed(value);
        return;
    }
    auto* values = m_state ? &m_state->gCurrentData.Value : nullptr;
    if (values && m_config.dataIndex >= 0 && size_t(m_config.dataIndex) < values->size())
        (*values)[size_t(m_config.dataIndex)] = value;
    // The board gets the stored integer: the link drops a decimal point, so "12.6" typed
    // would otherwise reach the board as 126.
    // A failed write is told by the link (status bar); the next pass shows the board's value.
    if (canWrite() && !m_config.address.isEmpty())
        (void)writeAndTell(m_link, m_prompt, m_config.title, m_config.address,
                           QString::number(value));
    Q_EMIT committed(value);
}

bool NumericEntryField::canWrite() const {
    return m_link.OnlineMode();
}

} // namespace kalvex
