#include "sim/Pacer.h"

#include <QtGlobal>

namespace kalvex::sim {

void Pacer::sleepUntilUs(qint64 tUs) {
    const qint64 now = m_clock.nowUs();
    const qint64 wake = tUs - m_earlyUs;
    if (wake <= now) {
        m_clock.sleepUntilUs(tUs);
        return;
    }
    m_clock.sleepUntilUs(wake);
    const qint64 woke = m_clock.nowUs();
    // Follow the lower edge of the lateness: at once down to a smaller one, slowly up, so
    // one quick wake-up does not make every later reply late.
    m_earlyUs = qBound(qint64(0), qMin(woke - wake, m_earlyUs + 1), kMaxEarlyUs);
    if (woke < tUs) m_clock.sleepUntilUs(tUs);
}

} // namespace kalvex::sim
