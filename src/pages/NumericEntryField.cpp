#include "NumericEntryField.h"

#include "UpDown.h"
#include "data/AppState.h"
#include "link/RSComm.h"
#include "link/TextNumber.h"

#include <QAbstractButton>
#include <QCoreApplication>
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

bool userLeaves(Qt::FocusReason r) {
    return r == Qt::TabFocusReason || r == Qt::BacktabFocusReason || r == Qt::MouseFocusReason ||
           r == Qt::ShortcutFocusReason;
}

} // namespace

NumericEntryField::NumericEntryField(QLineEdit* text, UpDown* spin, QAbstractButton* defaultButton,
                                     AppState& state, RSComm& link, Prompt& prompt,
                                     EntryFieldConfig config)
    : QObject(text), m_text(text), m_spin(spin), m_default(defaultButton), m_state(state),
      m_link(link), m_prompt(prompt), m_config(std::move(config)) {
    m_text->installEventFilter(this);
    if (m_spin) connect(m_spin, &UpDown::stepped, this, &NumericEntryField::spinStep);
}

void NumericEntryField::setRange(int min, int max) {
    if (m_spin) m_spin->setRange(min, max);
}

void NumericEntryField::showValue(const QString& value) {
    if (m_config.editingFlag && m_editing) return; // never overwrite what the user is typing
    if (m_text->text() != value) m_text->setText(value);
}

bool NumericEntryField::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_text) return false;
    switch (event->type()) {
    case QEvent::FocusIn:
        enterStep();
        break;
    case QEvent::MouseButtonRelease:
        if (m_text->hasFocus()) enterStep();
        break;
    case QEvent::KeyPress:
        return keyStep(static_cast<QKeyEvent*>(event)->key());
    case QEvent::FocusOut: {
        // Switching to another program or opening a menu is not leaving the field.
        const Qt::FocusReason r = static_cast<QFocusEvent*>(event)->reason();
        // A refused value keeps the focus: the box's own focus-out handling must not run,
        // or it would drop the selection just made.
        if (r == Qt::ActiveWindowFocusReason || r == Qt::PopupFocusReason) break;
        // Without the focus-lost check only the user's own leaving (Tab, click, access key)
        // is checked, not a focus move made by the page.
        if (m_config.checkOnFocusLost || userLeaves(r)) return !commitStep();
        break;
    }
    default:
        break;
    }
    return false;
}

void NumericEntryField::enterStep() {
    if (m_inCommit) return;
    m_editing = m_config.editingFlag;
    m_escArmed = false;
    m_saved = valueOf(m_text->text());
    m_text->selectAll();
}

bool NumericEntryField::keyStep(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        m_escArmed = false;
        // As if Tab was pressed: the commit runs as the focus leaves.
        const int commitsBefore = m_commits;
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(m_text, &tab);
        if (m_commits == commitsBefore) commitStep(); // nowhere to go: check in place
        return true;
    }
    if (key == Qt::Key_Escape) {
        m_text->setText(QString::number(m_saved));
        if (m_escArmed) {
            m_escArmed = false;
            m_editing = false;
            if (m_default) m_default->setFocus(Qt::OtherFocusReason); // commits the restored value
        } else {
            m_escArmed = true;
            m_text->selectAll();
        }
        return true;
    }
    m_escArmed = false;
    return false;
}

bool NumericEntryField::commitStep() {
    if (m_inCommit) return true;
    ++m_commits;
    const QString text = m_text->text();
    const int min = m_spin ? m_spin->minimum() : 0;
    const int max = m_spin ? m_spin->maximum() : 0;
    const double v = text.trimmed().toDouble();
    if (!isNumeric(text) || v < min || v > max) {
        m_inCommit = true;
        const QString message =
            m_config.rangeMessage ? m_config.rangeMessage(min, max)
                                  : QStringLiteral("Only a Number Between %1 and %2 can be Entered")
                                        .arg(min)
                                        .arg(max);
        m_prompt.message(m_config.title, message, MsgButtons::Ok, MsgIcon::Information);
        m_text->setText(QString::number(m_saved));
        if (m_text->isEnabled()) m_text->setFocus(Qt::OtherFocusReason);
        m_text->selectAll();
        m_inCommit = false;
        return false;
    }
    if (m_config.commitStores) storeAndWrite(roundToInt32(v));
    m_editing = false;
    return true;
}

void NumericEntryField::storeAndWrite(int value) {
    auto& values = m_state.gCurrentData.Value;
    if (m_config.dataIndex >= 0 && size_t(m_config.dataIndex) < values.size())
        values[size_t(m_config.dataIndex)] = value;
    // The board gets the stored integer: the link drops a decimal point, so "12.6" typed
    // would otherwise reach the board as 126.
    if (canWrite() && !m_config.address.isEmpty())
        m_link.RSWrite(m_config.address, QString::number(value));
    Q_EMIT committed(value);
}

void NumericEntryField::spinStep(int direction) {
    // Typed text is checked first, as leaving the box for the spin control would.
    const bool typed = m_text->text() != QString::number(m_saved);
    if (m_editing && typed && m_text->hasFocus() && !commitStep()) return;
    const int min = m_spin->minimum(), max = m_spin->maximum();
    const int value = qBound(min, valueOf(m_text->text()) + direction, max);
    m_text->setText(QString::number(value));
    m_editing = false;
    m_escArmed = false;
    if (m_default) {
        m_inCommit = true; // moving the focus away must not commit a second time
        m_default->setFocus(Qt::OtherFocusReason);
        m_inCommit = false;
    }
    if (m_config.spinAction)
        m_config.spinAction(value);
    else
        storeAndWrite(value);
}

bool NumericEntryField::canWrite() const {
    return m_link.OnlineMode() && !m_link.CommError();
}

} // namespace kalvex
