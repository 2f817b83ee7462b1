#include "widgets/pages/MachinePage.h"

#include "data/AppState.h"
#include "data/StrayReadBack.h"
#include "link/Prompt.h"
#include "link/RSComm.h"
#include "widgets/pages/EntryFieldGroup.h"
#include "widgets/pages/HeldBit.h"
#include "widgets/pages/PageControls.h"
#include "widgets/pages/RefreshLoop.h"
#include "widgets/pages/StaleValue.h"

#include <QCloseEvent>
#include <QPushButton>

namespace kalvex {

MachinePage::MachinePage(AppState& state, RSComm& link, Prompt& prompt, QWidget* parent)
    : QWidget(parent), m_state(state), m_link(link), m_prompt(prompt),
      m_loop(new RefreshLoop(this, link, [this](RefreshLoop& loop) { layOutPass(loop); })),
      m_mode(linkMode()) {
    connect(&link, &RSComm::onlineModeChanged, this,
            [this](bool on) { follow(on ? Mode::Online : Mode::Offline); });
    m_loop->setGuard([this] { return m_tabs.sameTab(); });
}

// The page's own parts are gone by now: what remains to unload is the kit's.
MachinePage::~MachinePage() {
    Unload();
}

MachinePage::Mode MachinePage::linkMode() const {
    return m_link.OnlineMode() ? Mode::Online : Mode::Offline;
}

void MachinePage::follow(Mode mode) {
    m_mode = mode;
    m_loop->abortPass();
}

void MachinePage::Activate() {
    m_loop->stop();
    m_mode = linkMode();
    m_prepared.reset();
    onActivate();
    m_tabs.passLaidOut();
    m_loop->start();
}

void MachinePage::Unload() {
    m_loop->stop();
    for (HeldBit* bit : m_heldBits) {
        bit->letGo();
        if (bit->held()) offerToClear(*bit);
    }
    clearEditing();
}

void MachinePage::clearEditing() {
    if (m_fields) m_fields->clearEditing();
}

void MachinePage::forgetReads() {
    stale::forgetAll(this);
}

EntryFieldGroup* MachinePage::makeFields(QAbstractButton* defaultButton) {
    m_fields = new EntryFieldGroup(m_state, m_link, m_prompt, defaultButton, this);
    return m_fields;
}

HeldBit* MachinePage::addHeldBit(QAbstractButton* button, const QString& address) {
    m_heldBits.push_back(new HeldBit(
        button, address, [this](const QString& a, const QString& v) { return write(a, v); }));
    return m_heldBits.back();
}

// A bit the operator let go of while the link could not take the 0 is cleared as the page
// unloads; one that still cannot be cleared is never left set without a word.
void MachinePage::offerToClear(HeldBit& bit) {
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

void MachinePage::layOutPass(RefreshLoop& loop) {
    loop.setPaced(!online());
    beforePass();
    if (m_prepared != m_mode) {
        m_prepared = m_mode;
        forgetReads();
        if (online())
            loop.add([this] { ShowOnline(); });
        else
            ShowOffline();
    }
    if (online()) {
        m_tabs.passLaidOut();
        for (HeldBit* bit : m_heldBits)
            if (bit->held()) loop.add([bit] { bit->settle(); });
        addOnlineSteps(loop);
    } else {
        RefreshOffline();
    }
}

void MachinePage::addLiveControls(const std::vector<QWidget*>& widgets) {
    m_liveControls.insert(m_liveControls.end(), widgets.begin(), widgets.end());
}

void MachinePage::addEditableControls(const std::vector<QWidget*>& widgets) {
    m_editableControls.insert(m_editableControls.end(), widgets.begin(), widgets.end());
}

void MachinePage::enableControls(bool online) {
    for (QWidget* w : m_editableControls)
        w->setEnabled(online || m_state.gOfflineEdit);
    for (QWidget* w : m_liveControls)
        w->setEnabled(online);
}

bool MachinePage::offlineEditChanged() {
    if (m_state.gOfflineEdit == m_lastOfflineEdit) return false;
    offlineEditFollowed();
    prepareAgain();
    return true;
}

void MachinePage::offlineEditFollowed() {
    m_lastOfflineEdit = m_state.gOfflineEdit;
}

// A stray byte a resynchronisation may have stored is read back and named.
LinkResult MachinePage::write(const QString& address, const QString& value) {
    if (!online()) return {0, LinkFailure::RefusedInput};
    return writeAndTell(m_link, m_prompt, windowTitle(), address, value);
}

void MachinePage::sendValue(const QString& address, const QString& value) {
    if (!write(address, value)) m_loop->abortPass();
}

void MachinePage::sendInOrder(const std::vector<BoardWrite>& writes) {
    if (!writeInOrder(writes)) m_loop->abortPass();
}

LinkResult MachinePage::writeInOrder(const std::vector<BoardWrite>& writes) {
    LinkResult r;
    for (const BoardWrite& w : writes)
        if (!(r = write(w.address, w.value))) break;
    return r;
}

QPushButton* MachinePage::makeDefaultButton() {
    auto* b = new QPushButton(QStringLiteral("-"), this);
    b->setObjectName(QStringLiteral("cmdDefault"));
    b->setFocusPolicy(Qt::NoFocus); // setFocus() still parks the focus here
    b->setAutoDefault(false);
    b->setGeometry(0, 0, 0, 0); // outside every layout
    return b;
}

void MachinePage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_labelsFilled) { // laid out by now
        m_labelsFilled = true;
        controls::fillLabelBackgrounds(this);
    }
    if (!m_loop->running()) Activate();
}

// Pages are unloaded only by choosing another page; the main window deletes them.
void MachinePage::closeEvent(QCloseEvent* event) {
    event->ignore();
}

} // namespace kalvex
