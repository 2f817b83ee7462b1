#pragma once
#include "link/Clock.h"

namespace kalvex::sim {

// Holds each reply back until its time on the wire without spinning. A sleep wakes some
// microseconds late; the pacer learns the smallest lateness it has seen lately and asks to
// wake that much early, so replies leave on time instead of late. It never lets one leave
// before its time: a sleep that woke early is followed by a second, plain one.
class Pacer {
  public:
    explicit Pacer(Clock& clock) : m_clock(clock) {}

    void sleepUntilUs(qint64 tUs);
    // How early the next sleep is asked to wake.
    qint64 earlyUs() const { return m_earlyUs; }

  private:
    static constexpr qint64 kMaxEarlyUs = 200; // beyond that the machine is too busy to pace

    Clock& m_clock;
    qint64 m_earlyUs = 0;
};

} // namespace kalvex::sim
