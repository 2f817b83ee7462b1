#pragma once
#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;

namespace kalvex {

class RSComm;

// Drives every loop that yields between board requests (page passes, transfers, program
// download and upload): one step per tick of a timer, so window events run between any two
// requests without nested event loops. The one rule for all of them: a step waits while a
// modal window other than the owner's own is open (only the innermost loop runs) and while the
// link is busy with someone else's request; waiting is paced.
class Stepper : public QObject {
    Q_OBJECT
  public:
    static constexpr int kWaitIntervalMs = 50;
    // One step; returns the milliseconds until the next (0: at once), or -1 when the loop is
    // done. The step may delete the owner.
    using Step = std::function<int()>;

    // A child of `parent`, or of the owner.
    Stepper(QWidget* owner, RSComm& link, Step step, QObject* parent = nullptr);

    void start() { m_timer.start(0); }
    void stop() { m_timer.stop(); }
    bool isActive() const { return m_timer.isActive(); }
    bool mayStep() const;

  private:
    void tick();

    QWidget* m_owner;
    RSComm& m_link;
    Step m_step;
    QTimer m_timer;
};

} // namespace kalvex
