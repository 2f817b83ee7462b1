#include "widgets/pages/MachinePage.h"

#include "link/RSComm.h"
#include "widgets/pages/RefreshLoop.h"

#include <QCloseEvent>
#include <QPushButton>

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
    m_loop->setPaced(!m_link.OnlineMode());
    if (m_link.OnlineMode()) {
        m_offlinePrepared = false;
        return true;
    }
    if (!m_offlinePrepared) ShowOffline();
    m_onlinePrepared = false;
    return false;
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
    if (!m_loop->running()) Activate();
}

// Pages are unloaded only by choosing another page; the main window deletes them.
void MachinePage::closeEvent(QCloseEvent* event) {
    event->ignore();
}

} // namespace kalvex
