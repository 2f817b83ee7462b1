#pragma once
#include "link/LinkResult.h"

#include <QObject>
#include <QString>

#include <deque>
#include <functional>

class QWidget;

namespace kalvex {

class LostLink;
class RSComm;
class Stepper;

// A page's refresh cycle: passes of board requests, one request per step of its Stepper (which
// also says when a step must wait). Offline steps, which wait for no board, and waiting steps
// are paced so an idle page costs next to no CPU.
//
// A pass is laid out as data: reads and writes of board addresses, and steps of the page's
// own. Board steps run only while the link is online and the page's guard agrees; a refused
// guard, an offline link or a failed request ends the pass before its next step.
class RefreshLoop : public QObject {
    Q_OBJECT
  public:
    using Request = std::function<void()>;
    using BoardRequest = std::function<LinkResult()>;
    using Sink = std::function<void(qint64 value)>;
    using Condition = std::function<bool()>;
    static constexpr int kOfflineIntervalMs = 50;
    // Lays out the next pass; called whenever the previous pass has ended.
    using PassBuilder = std::function<void(RefreshLoop&)>;

    RefreshLoop(QWidget* owner, RSComm& link, PassBuilder beginPass);
    ~RefreshLoop() override;

    void start();
    void stop();
    bool running() const { return m_running; }

    // Offline passes: one step every kOfflineIntervalMs instead of back to back.
    void setPaced(bool paced) { m_paced = paced; }
    // Asked before every board step of a pass; false ends the pass (a tab changed, say).
    void setGuard(Condition mayGoOn) { m_guard = std::move(mayGoOn); }
    // The pass being laid out runs to its end after a lost link (its steps mark what they
    // could not read). Other passes end with the loss; either way the link goes offline
    // (LostLink) before the next pass is laid out.
    void runPassToEnd();

    // A step of the page's own; it makes at most one board request.
    void add(Request request) { m_pass.push_back({std::move(request), nullptr, false}); }
    // One read; its value goes to `sink`, a failure ends the pass. With `when`, the read is
    // made only if it holds as the step comes up. `shows`, the control that displays the
    // value, is drawn stale (or given a placeholder) when the read fails.
    void addRead(const QString& address, Sink sink, Condition when = nullptr,
                 QWidget* shows = nullptr);
    void addRead(const QString& address, QWidget* shows, Sink sink) {
        addRead(address, std::move(sink), nullptr, shows);
    }
    void addWrite(const QString& address, const QString& value, Condition when = nullptr);
    // A board step of the page's own (a PLS request, say): guarded like a read, and its
    // failure ends the pass like a read's.
    void addBoardStep(BoardRequest request, Condition when = nullptr);

    // Ends the current pass before its next request.
    void abortPass();
    size_t pending() const { return m_pass.size(); }
    // Passes laid out since the loop was made.
    int passes() const { return m_passes; }

    // One step as the timer would take it; false when the step had to wait.
    bool step();

  private:
    struct Step {
        Request run;
        Condition when;
        bool board;
    };
    bool boardMayGoOn() const;
    void finish(const LinkResult& result);
    void releaseLink();

    RSComm& m_link;
    PassBuilder m_beginPass;
    Condition m_guard;
    LostLink& m_lostLink;
    std::deque<Step> m_pass;
    Stepper* m_stepper;
    bool m_running = false;
    bool m_paced = false;
    bool m_holdsLink = false; // this pass holds off the switch to offline
    bool m_sawLoss = false;   // the link was lost during this pass
    int m_passes = 0;
};

} // namespace kalvex
