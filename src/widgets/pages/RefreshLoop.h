#pragma once
#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>

class QWidget;

namespace kalvex {

class RSComm;

// A page's refresh cycle: passes of board requests, one request per step of a zero-interval
// timer, so window events run between any two requests without nested event loops. A step
// waits while a modal window other than the page's own is open (only the innermost loop
// runs) and while the link is busy with someone else's request. Offline steps, which wait
// for no board, and waiting steps are paced so an idle page costs next to no CPU.
class RefreshLoop : public QObject {
    Q_OBJECT
  public:
    using Request = std::function<void()>;
    static constexpr int kOfflineIntervalMs = 50;
    // Lays out the next pass with add(); called whenever the previous pass has ended.
    using PassBuilder = std::function<void(RefreshLoop&)>;

    RefreshLoop(QWidget* owner, RSComm& link, PassBuilder beginPass);

    void start();
    void stop();
    bool running() const { return m_running; }

    // Offline passes: one step every kOfflineIntervalMs instead of back to back.
    void setPaced(bool paced) { m_paced = paced; }

    void add(Request request) { m_pass.push_back(std::move(request)); }
    // Ends the current pass before its next request.
    void abortPass() { m_pass.clear(); }
    size_t pending() const { return m_pass.size(); }

    // One step as the timer would take it; false when the step had to wait.
    bool step();

  private:
    bool mayStep() const;

    QWidget* m_owner;
    RSComm& m_link;
    PassBuilder m_beginPass;
    std::deque<Request> m_pass;
    QTimer m_timer;
    bool m_running = false;
    bool m_paced = false;
};

} // namespace kalvex
