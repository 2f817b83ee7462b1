// What every platform has of the simulator server: the board, pacing and start-up.
#include "sim/PtyServer.h"
#include "sim/StateFile.h"

#include <QSaveFile>

namespace kalvex::sim {

PtyServer::PtyServer() : m_board(m_clock), m_pacer(m_clock) {}

PtyServer::~PtyServer() {
    stop();
}

void PtyServer::withBoard(const std::function<void(Board&)>& f) {
    std::lock_guard lock(m_mutex);
    f(m_board);
}

bool PtyServer::dump(const QString& path) {
    QByteArray text("memory ");
    std::lock_guard lock(m_mutex);
    QByteArray memory(0x10000, '\0');
    for (int a = 0; a < 0x10000; ++a)
        memory[a] = char(m_board.peek(a));
    text += memory.toHex() + '\n';
    for (const MemoryWrite& w : m_board.writes())
        text += "write " + QByteArray::number(w.address) + ' ' + QByteArray::number(w.value) + '\n';
    if (m_board.inProgramMode()) text += "mode program\n";
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
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
