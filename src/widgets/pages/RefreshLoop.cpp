#include "widgets/pages/RefreshLoop.h"

#include "link/RSComm.h"

#include <QApplication>
#include <QWidget>

namespace kalvex {

RefreshLoop::RefreshLoop(QWidget* owner, RSComm& link, PassBuilder beginPass)
    : QObject(owner), m_owner(owner), m_link(link), m_beginPass(std::move(beginPass)) {
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        const bool stepped = step();
        m_timer.setInterval(stepped && !m_paced ? 0 : kOfflineIntervalMs);
    });
}

void RefreshLoop::start() {
    m_running = true;
    m_timer.start(0);
}

void RefreshLoop::stop() {
    m_running = false;
    m_timer.stop();
    m_pass.clear();
}

bool RefreshLoop::mayStep() const {
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != m_owner->window()) return false;
    return !m_link.isBusy();
}

bool RefreshLoop::step() {
    if (!m_running || !mayStep()) return false;
    if (m_pass.empty()) {
        m_beginPass(*this);
        return true;
    }
    Request r = std::move(m_pass.front());
    m_pass.pop_front();
    r();
    return true;
}

} // namespace kalvex
