#pragma once
#include <QObject>

#include <functional>

namespace kalvex::app {

// SIGTERM and SIGINT (a kill, Ctrl+C, a logout or shutdown) become a quit at a safe point: the
// handler only writes the signal's number into a pipe, and the main loop reads it between two
// link requests and calls `quit` with the exit status (143 or 130). A second signal within a few
// seconds ends the program at once, for an operator who will not wait.
class QuitSignals final : public QObject {
    Q_OBJECT
  public:
    explicit QuitSignals(std::function<void(int exitStatus)> quit, QObject* parent = nullptr);

  private:
    void readSignal();
    std::function<void(int)> m_quit;
};

} // namespace kalvex::app
