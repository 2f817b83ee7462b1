#include "link/ProgramTransfer.h"

#include "link/Protocol.h"
#include "link/RSComm.h"

namespace kalvex {

namespace {
constexpr qint64 kChecksumWaitUs = 1'000'000;
} // namespace

void ProgramTransfer::setState(ProgramState state) {
    if (state == m_state) return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

// A wrong echo is tried once more; a silent board is not.
LinkResult ProgramTransfer::readByte(int address) {
    const QString add = QStringLiteral("B%1").arg(address);
    LinkResult r = m_link.readValue(add);
    if (r.failure == LinkFailure::WrongEcho) r = m_link.readValue(add);
    return r;
}

bool ProgramTransfer::enterProgramMode() {
    if (!m_link.CommError()) m_link.ExchangeByte(kAttention);
    m_link.resetBoardMode();
    if (!m_link.CommError()) m_link.ExchangeByte(RSComm::kProgramMode);
    return !m_link.CommError();
}

ProgramTransfer::RecordReply ProgramTransfer::sendRecord(int address, QByteArrayView data) {
    int sum = 0;
    auto send = [&](int b) {
        sum += b;
        m_link.ExchangeByte(b, true);
    };
    send(int(data.size()));
    send((address >> 8) & 0xFF);
    send(address & 0xFF);
    for (qsizetype k = 0; k < data.size() && !m_link.CommError(); ++k)
        send(quint8(data[k]));
    SerialPort* port = m_link.port();
    if (m_link.CommError() || !port || !port->isOpen()) return RecordReply::NotSent;
    const qint64 deadline = m_clock.nowUs() + kChecksumWaitUs;
    while (port->bytesWaiting() <= 0) {
        const qint64 now = m_clock.nowUs();
        if (now >= deadline) return RecordReply::NoChecksum;
        port->waitForInput(int((deadline - now + 999) / 1000));
    }
    return port->take() == sum % 256 ? RecordReply::Ok : RecordReply::WrongChecksum;
}

bool ProgramTransfer::exitProgramMode() {
    return m_link.ExchangeByte(kAttention) == kAcknowledge;
}

} // namespace kalvex
