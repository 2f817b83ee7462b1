#include "data/program/ProgramRun.h"

#include "link/Clock.h"

namespace kalvex {

bool ProgramRun::step() {
    if (m_finished) return false;
    if (m_waitUntilUs > 0) {
        if (m_clock.nowUs() < m_waitUntilUs) return true;
        m_waitUntilUs = 0;
    }
    runStep();
    return !m_finished;
}

void ProgramRun::runToEnd(const std::function<void()>& progress) {
    while (!m_finished) {
        if (m_waitUntilUs > 0) m_clock.sleepUntilUs(m_waitUntilUs);
        step();
        if (progress) progress();
    }
}

void ProgramRun::waitFor(qint64 us) {
    m_waitUntilUs = m_clock.nowUs() + us;
}

} // namespace kalvex
