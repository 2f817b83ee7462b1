#pragma once
#include <QtGlobal>

#include <functional>

namespace kalvex {

class Clock;

// A program download or upload, one record or block per step, so the progress window can
// drive it from a timer and repaint between steps without a nested event loop.
class ProgramRun {
  public:
    explicit ProgramRun(Clock& clock) : m_clock(clock) {}
    virtual ~ProgramRun() = default;

    // Runs the next step, unless the run is waiting; false once the run has ended.
    bool step();
    bool finished() const { return m_finished; }
    // The time on the clock the run waits for (the board's pauses); 0 when it does not wait.
    qint64 waitUntilUs() const { return m_waitUntilUs; }
    // Steps to the end, sleeping through the waits; `progress` is called after every step.
    void runToEnd(const std::function<void()>& progress = {});
    // Stops the run at its next safe point (between records or blocks), leaving the board in a
    // known state and saying what it holds.
    void requestStop() { m_stopRequested = true; }

  protected:
    bool stopRequested() const { return m_stopRequested; }
    virtual void runStep() = 0;
    void waitFor(qint64 us);
    void finish() { m_finished = true; }

  private:
    Clock& m_clock;
    qint64 m_waitUntilUs = 0;
    bool m_finished = false;
    bool m_stopRequested = false;
};

} // namespace kalvex
