#include "widgets/pages/Stepper.h"

#include "link/RSComm.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace kalvex {

Stepper::Stepper(QWidget* owner, RSComm& link, Step step, QObject* parent)
    : QObject(parent ? parent : owner), m_owner(owner), m_link(link), m_step(std::move(step)) {
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &Stepper::tick);
}

bool Stepper::mayStep() const {
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != m_owner->window()) return false;
    return !m_link.isBusy();
}

void Stepper::tick() {
    if (!mayStep()) {
        m_timer.setInterval(kWaitIntervalMs);
        return;
    }
    const QPointer<Stepper> alive(this);
    const int next = m_step();
    if (!alive) return;
    if (next < 0)
        m_timer.stop();
    else
        m_timer.setInterval(next);
}

} // namespace kalvex
