// What every platform has of the simulator server: the board, pacing and start-up.
#include "PtyServer.h"
#include "StateFile.h"

namespace kalvex::sim {

void preciseSleepUntil(Clock& clock, qint64 tUs) {
    constexpr qint64 kSpinUs = 300;
    const qint64 now = clock.nowUs();
    if (tUs - now > kSpinUs) clock.sleepUntilUs(tUs - kSpinUs);
    while (clock.nowUs() < tUs) {
    }
}

PtyServer::PtyServer() : m_board(m_clock) {}

PtyServer::~PtyServer() {
    stop();
}

void PtyServer::withBoard(const std::function<void(Board&)>& f) {
    std::lock_guard lock(m_mutex);
    f(m_board);
}

std::unique_ptr<PtyServer> startSimulator(int baud, const QString& stateFile, QString* error) {
    auto server = std::make_unique<PtyServer>();
    bool ok = true;
    server->withBoard([&](Board& board) {
        if (baud > 0) board.faults().baud = baud;
        if (!stateFile.isEmpty()) ok = loadState(board, stateFile, error);
    });
    if (!ok || !server->start(error)) return nullptr;
    return server;
}

} // namespace kalvex::sim
