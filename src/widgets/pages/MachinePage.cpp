#include "widgets/pages/MachinePage.h"

#include "data/AppState.h"
#include "data/StrayReadBack.h"
#include "link/RSComm.h"
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
    m_loop->start();
}

void MachinePage::Unload() {
    m_loop->stop();
    onUnload();
    clearEditing();
}

void MachinePage::layOutPass(RefreshLoop& loop) {
    loop.setPaced(!online());
    beforePass();
    if (m_prepared != m_mode) {
        m_prepared = m_mode;
        stale::forgetAll(this);
        if (online())
            loop.add([this] { ShowOnline(); });
        else
            ShowOffline();
    }
    if (online())
        addOnlineSteps(loop);
    else
        RefreshOffline();
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
