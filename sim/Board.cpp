#include "sim/Board.h"
#include "sim/ColorModel.h"
#include "sim/DefaultProgram.h"
#include "sim/Protocol.h"
#include "sim/SetupDefaults.h"

#include "link/Address.h"

#include <utility>

namespace kalvex::sim {

Board::Board(Clock& clock) : m_clock(clock) {
    setValue(QStringLiteral("B52"), 24);
    setValue(QStringLiteral("B8159"), 23);
    setValue(QStringLiteral("F119"), 1);
    setValue(QStringLiteral("D1100"), 1234567);
    setValue(QStringLiteral("D1104"), 2345);
    // The causes of those blow-offs: bad can, manual, Q.C., restart.
    setValue(QStringLiteral("D1108"), 1800);
    setValue(QStringLiteral("D1116"), 120);
    setValue(QStringLiteral("D1120"), 300);
    setValue(QStringLiteral("D1112"), 125);
    setValue(QStringLiteral("D1304"), 98765432);
    // Network addresses 1 and 2. The clock cells (B43008-B43017) lie in the P9100's program
    // image; a state file sets them for a board with a clock.
    setValue(QStringLiteral("B8180"), 1);
    setValue(QStringLiteral("B8191"), 1);
    m_machine.advance(*this, m_clock.nowUs());
    loadSetupDefaults(*this);
    loadDefaultProgram(*this);
    loadWorkingLabel(*this);
    advanceDuctors(*this);
    GatewayModel::loadDefaults(*this);
}

qint64 Board::value(const QString& add) const {
    const ParsedAddress p = parseAddress(add);
    if (!p.valid) return 0;
    const int a = int(p.byteAddress);
    if (p.bitMode) return (peek(a) & p.bitMask) ? 1 : 0;
    if (p.type == u'B') return peek(a);
    const qint64 low = peek(a) + 256 * peek(a + 1);
    if (p.type == u'W') return low;
    return (peek(a + 2) + 256 * peek(a + 3)) * 10000 + low;
}

bool Board::setValue(const QString& add, qint64 v) {
    const ParsedAddress p = parseAddress(add);
    if (!p.valid || v < 0) return false;
    const int a = int(p.byteAddress);
    if (p.bitMode) {
        poke(a, quint8(v ? (peek(a) | p.bitMask) : (peek(a) & ~p.bitMask)));
    } else if (p.type == u'B') {
        poke(a, quint8(v));
    } else if (p.type == u'W') {
        poke(a, quint8(v % 256));
        poke(a + 1, quint8((v / 256) % 256));
    } else {
        const qint64 low = v % 10000, high = (v / 10000) % 65536;
        poke(a, quint8(low % 256));
        poke(a + 1, quint8(low / 256));
        poke(a + 2, quint8(high % 256));
        poke(a + 3, quint8(high / 256));
    }
    return true;
}

void Board::advanceMachine() {
    m_machine.advance(*this, m_clock.nowUs());
    m_pls.advance(m_machine, m_clock.nowUs());
    m_io.advance(*this, m_machine, m_pls, m_clock.nowUs());
    advanceDuctors(*this);
    m_boardClock.advance(*this, m_clock.nowUs());
    if (m_faults.stickyFault && peek(8176) == 0) poke(8176, quint8(m_faults.stickyFault));
    if (m_machine.running) m_gateway.advance(*this, m_clock.nowUs());
}

qint64 Board::byteTimeUs() const {
    // One start bit, eight data bits, one stop bit.
    return m_faults.baud > 0 ? 10'000'000LL / m_faults.baud : 0;
}

template <class T> void Board::log(std::vector<T>& entries, T entry) {
    if (entries.size() >= m_logLimit)
        entries.erase(entries.begin(), entries.begin() + qsizetype(entries.size() / 2));
    entries.push_back(std::move(entry));
}

Reply Board::receive(quint8 byte) {
    log(m_transcript, TranscriptEntry{true, byte});
    ++m_received;
    const qint64 bt = byteTimeUs();
    const qint64 arrival = qMax(m_clock.nowUs(), m_lineFreeAtUs) + bt;
    m_lineFreeAtUs = arrival;
    const bool silent =
        m_faults.silent || (m_faults.silentAfter >= 0 && m_received > m_faults.silentAfter);
    Reply r;
    if (silent) return r; // like a pulled cable: the board never sees the byte
    if (m_state == State::WriteData && m_address == m_faults.loseWriteAt) {
        m_faults.loseWriteAt = -1;
        m_faults.muted = true;
        return r;
    }
    advanceMachine();
    std::optional<quint8> out = step(byte);
    if (!out || m_faults.muted || (m_faults.mutedAfter >= 0 && m_received > m_faults.mutedAfter))
        return r;
    if (m_faults.wrongEchoAt.count(m_received) || std::exchange(m_faults.wrongEchoNext, false))
        out = quint8(*out ^ 0x5A);
    log(m_transcript, TranscriptEntry{false, *out});
    r.bytes.append(char(*out));
    r.readyAtUs = arrival + bt + m_faults.replyDelayUs;
    return r;
}

void Board::receiveGarbled(quint8 byte) {
    log(m_transcript, TranscriptEntry{true, byte});
    ++m_received;
}

std::optional<quint8> Board::enterMode(quint8 modeByte) {
    if (m_faults.refuseModes && modeByte != kAttention) {
        m_state = State::Attention;
        return quint8(0x3F);
    }
    switch (modeByte) {
    case 1:
        m_state = State::ReadHigh;
        return kAcknowledge;
    case 2:
        m_state = State::WriteHigh;
        return kAcknowledge;
    case 3:
        m_state = State::ProgramCount;
        return kAcknowledge;
    case kAttention:
        return kAcknowledge;
    default:
        if (PlsUnit::isCommand(modeByte)) {
            m_state = State::Pls;
            return m_pls.enter(modeByte, m_clock.nowUs());
        }
        m_state = State::Attention;
        return std::nullopt;
    }
}

std::optional<quint8> Board::stepPls(quint8 byte) {
    if (byte == kAttention && m_pls.takesAttention()) {
        m_pls.reset();
        m_state = State::Mode;
        return kAcknowledge;
    }
    const std::optional<quint8> out = m_pls.step(byte, m_clock.nowUs());
    if (m_pls.idle()) m_state = State::Attention;
    return out;
}

std::optional<quint8> Board::step(quint8 byte) {
    switch (m_state) {
    case State::Attention:
        if (byte != kAttention) return std::nullopt;
        m_state = State::Mode;
        return kAcknowledge;
    case State::Mode:
        return enterMode(byte);
    case State::ReadHigh:
    case State::WriteHigh:
        if (byte == kAttention) {
            m_state = State::Mode;
            return kAcknowledge;
        }
        m_address = byte << 8;
        m_state = m_state == State::ReadHigh ? State::ReadLow : State::WriteLow;
        return byte;
    case State::ReadLow:
        m_address |= byte;
        m_state = State::ReadHigh;
        return peek(m_address);
    case State::WriteLow:
        m_address |= byte;
        m_state = State::WriteData;
        return byte;
    case State::WriteData:
        poke(m_address, byte);
        log(m_writes, MemoryWrite{m_address, byte});
        m_state = State::WriteHigh;
        return byte;
    case State::Pls:
        return stepPls(byte);
    default:
        return stepProgram(byte);
    }
}

// Program records: count, address high, address low, data; only the checksum is answered.
std::optional<quint8> Board::stepProgram(quint8 byte) {
    switch (m_state) {
    case State::ProgramCount:
        if (byte == kAttention) {
            m_state = State::Attention;
            return m_faults.programNoExitAck ? quint8(0) : kAcknowledge;
        }
        m_count = byte;
        m_sum = byte;
        m_state = State::ProgramHigh;
        m_programLog.push_back({byte, 0, {}, std::nullopt});
        return std::nullopt;
    case State::ProgramHigh:
        m_sum += byte;
        m_address = byte << 8;
        m_state = State::ProgramLow;
        return std::nullopt;
    case State::ProgramLow:
        m_sum += byte;
        m_address |= byte;
        if (!m_programLog.empty()) m_programLog.back().address = m_address;
        m_state = m_count > 0 ? State::ProgramData : State::ProgramCount;
        return m_count > 0 ? std::nullopt : std::optional<quint8>(quint8(m_sum & 0xFF));
    default: { // ProgramData
        if (m_programLog.empty()) m_programLog.push_back({m_count, m_address, {}, std::nullopt});
        ProgramRecord& record = m_programLog.back();
        record.data.append(char(byte));
        poke(m_address++, byte);
        m_sum += byte;
        if (--m_count > 0) return std::nullopt;
        ++m_programRecords;
        m_state = State::ProgramCount;
        if (m_programRecords == m_faults.programNoChecksumAt) return std::nullopt;
        const int bad = m_programRecords == m_faults.programBadChecksumAt ? 1 : 0;
        record.reply = quint8((m_sum + bad) & 0xFF);
        return record.reply;
    }
    }
}

QByteArray Board::bytesFromPc() const {
    QByteArray out;
    for (const auto& e : m_transcript)
        if (e.fromPc) out.append(char(e.byte));
    return out;
}

QByteArray Board::bytesToPc() const {
    QByteArray out;
    for (const auto& e : m_transcript)
        if (!e.fromPc) out.append(char(e.byte));
    return out;
}

} // namespace kalvex::sim
