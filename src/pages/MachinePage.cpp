#include "MachinePage.h"

#include "RefreshLoop.h"
#include "link/RSComm.h"

#include <QCloseEvent>

namespace kalvex {

MachinePage::MachinePage(AppState& state, RSComm& link, Prompt& prompt, QWidget* parent)
    : QWidget(parent), m_state(state), m_link(link), m_prompt(prompt),
      m_loop(new RefreshLoop(this, link, [this](RefreshLoop& loop) { beginPass(loop); })) {}

void MachinePage::Unload() {
    m_loop->stop();
    clearEditing();
}

bool MachinePage::startPass() {
    if (m_link.CommError()) {
        m_link.setOnlineMode(false);
        m_onlinePrepared = false;
    }
    if (m_link.OnlineMode()) {
        m_offlinePrepared = false;
        return true;
    }
    if (!m_offlinePrepared) ShowOffline();
    m_onlinePrepared = false;
    return false;
}

void MachinePage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_loop->running()) Activate();
}

void MachinePage::closeEvent(QCloseEvent* event) {
    Unload();
    QWidget::closeEvent(event);
}

} // namespace kalvex
