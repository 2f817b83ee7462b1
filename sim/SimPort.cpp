#include "sim/SimPort.h"

namespace kalvex::sim {

bool SimPort::open(const PortSettings& settings, PortOpenError* error) {
    m_settings = settings;
    if (m_failOpen) {
        m_failOpen = false;
        if (error) *error = m_openError;
        return false;
    }
    m_open = true;
    ++m_openCount;
    return true;
}

int SimPort::bytesWaiting() {
    const qint64 now = m_clock.nowUs();
    int n = 0;
    for (const Pending& p : m_pending)
        if (p.readyAtUs <= now) ++n;
    return n;
}

void SimPort::discardInput() {
    const qint64 now = m_clock.nowUs();
    while (!m_pending.empty() && m_pending.front().readyAtUs <= now)
        m_pending.pop_front();
}

void SimPort::send(quint8 byte) {
    const Reply r = m_board.receive(byte);
    for (const char c : r.bytes)
        m_pending.push_back({quint8(c), r.readyAtUs});
}

int SimPort::take() {
    if (m_pending.empty() || m_pending.front().readyAtUs > m_clock.nowUs()) return -1;
    const quint8 b = m_pending.front().byte;
    m_pending.pop_front();
    return b;
}

bool SimPort::waitForInput(int timeoutMs) {
    const qint64 limit = m_clock.nowUs() + qint64(timeoutMs) * 1000;
    if (!m_pending.empty() && m_pending.front().readyAtUs <= limit) {
        m_clock.sleepUntilUs(m_pending.front().readyAtUs);
        return true;
    }
    m_clock.sleepUntilUs(limit);
    return false;
}

} // namespace kalvex::sim
