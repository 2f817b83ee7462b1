#pragma once
#include "sim/Board.h"
#include "sim/Pacer.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace kalvex::sim {

// Serves a simulated board on a pseudo-terminal from a background thread. Clients open the
// slave device like any serial port and may close and re-open it at will.
class PtyServer {
  public:
    PtyServer();
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    bool start(QString* error);
    void stop();
    QString slavePath() const { return m_slavePath; }

    // Runs f on the board while the server thread is held off.
    void withBoard(const std::function<void(Board&)>& f);

    // Writes the board's memory and the memory writes received so far to `path` (replaced
    // whole): a line "memory" + 65536 bytes in hex, then one "write ADDRESS VALUE" per byte
    // stored, in order. For the real-input tests, which judge the program by what it wrote.
    bool dump(const QString& path);

  private:
    void serve();
    void answer(quint8 byte);

    SystemClock m_clock;
    Board m_board;
    Pacer m_pacer;
    std::mutex m_mutex;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    int m_master = -1;
    int m_slaveKeepAlive = -1;
    QString m_slavePath;
};

// Starts a simulator on a new pseudo-terminal, paced at `baud` (0: no pacing) and set from
// `stateFile` when one is given. Null, with the reason in `error`, when that fails.
// The wire speeds the simulator paces at, as the board's port offers them.
inline bool isWireSpeed(int baud) {
    return baud == 9600 || baud == 19200;
}

std::unique_ptr<PtyServer> startSimulator(int baud, const QString& stateFile, QString* error);

} // namespace kalvex::sim
