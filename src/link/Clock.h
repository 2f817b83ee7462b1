#pragma once
#include <QtGlobal>

namespace kalvex {

// Time source for the link's deadlines, in microseconds. Tests use FakeClock so the
// 1 s / 2 s / 2 s time-outs run without waiting.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual qint64 nowUs() const = 0;
    virtual void sleepUntilUs(qint64 t) = 0;
};

class SystemClock final : public Clock {
  public:
    qint64 nowUs() const override;
    void sleepUntilUs(qint64 t) override;
};

class FakeClock final : public Clock {
  public:
    qint64 nowUs() const override { return m_now; }
    void sleepUntilUs(qint64 t) override {
        if (t > m_now) m_now = t;
    }
    void advanceUs(qint64 d) { m_now += d; }

  private:
    qint64 m_now = 0;
};

} // namespace kalvex
