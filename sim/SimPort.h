#pragma once
#include "link/SerialPort.h"
#include "sim/Board.h"

#include <deque>

namespace kalvex::sim {

// A serial port wired straight to a simulated board in the same process. Replies become
// readable at the time the board's pacing and delay say, on the given clock.
class SimPort final : public SerialPort {
  public:
    SimPort(Board& board, Clock& clock) : m_board(board), m_clock(clock) {}

    bool open(const PortSettings& settings, PortOpenError* error) override;
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    int bytesWaiting() override;
    void discardInput() override;
    void send(quint8 byte) override;
    int take() override;
    bool waitForInput(int timeoutMs) override;
    QString deviceName() const override { return QStringLiteral("simulator"); }

    // Make the next open fail, as a missing or busy port does.
    void failNextOpen(const PortOpenError& e) {
        m_openError = e;
        m_failOpen = true;
    }
    PortSettings lastSettings() const { return m_settings; }
    int openCount() const { return m_openCount; }

  private:
    struct Pending {
        quint8 byte;
        qint64 readyAtUs;
    };
    Board& m_board;
    Clock& m_clock;
    std::deque<Pending> m_pending;
    bool m_open = false;
    bool m_failOpen = false;
    PortOpenError m_openError;
    PortSettings m_settings;
    int m_openCount = 0;
};

} // namespace kalvex::sim
