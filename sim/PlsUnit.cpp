#include "sim/PlsUnit.h"

#include "sim/MachineModel.h"
#include "sim/Protocol.h"

#include <cmath>

namespace kalvex::sim {

namespace {
constexpr quint8 kReady = 0;

QByteArray wordBytes(int w) {
    QByteArray b;
    b += char(w % 256);
    b += char((w / 256) % 256);
    return b;
}

} // namespace

bool PlsUnit::isCommand(quint8 byte) {
    switch (byte) {
    case 9:
    case 12:
    case 24:
    case 26:
    case 27:
    case 40:
    case 42:
    case 43:
    case 59:
    case 72:
    case 75:
    case 88:
    case 91:
    case 107:
        return true;
    default:
        return false;
    }
}

void PlsUnit::startRead(QByteArray bytes) {
    m_out = std::move(bytes);
    m_phase = Phase::Sending;
}

quint8 PlsUnit::enter(quint8 command, qint64) {
    m_command = command;
    m_in.clear();
    switch (command) {
    case 24:
        startRead(wordBytes(m_scale));
        break;
    case 40:
        startRead(wordBytes(m_offset));
        break;
    case 72:
        startRead(wordBytes(position()));
        break;
    case 88:
        startRead(wordBytes(m_rpm));
        break;
    case 12: {
        QByteArray bytes(reinterpret_cast<const char*>(m_config.data()), 17);
        startRead(bytes + wordBytes(m_configWord));
        break;
    }
    case 9:
        m_phase = Phase::Recall;
        break;
    default: // writes: channel records and blocks of six, words of two
        m_expected = (command == 26 || command == 42) ? 2 : 6;
        m_phase = Phase::Receiving;
    }
    return kAcknowledge;
}

std::optional<quint8> PlsUnit::step(quint8 byte, qint64 nowUs) {
    switch (m_phase) {
    case Phase::Idle:
        return std::nullopt;
    case Phase::Sending: {
        const quint8 out = quint8(m_out.at(0));
        m_out.remove(0, 1);
        if (m_out.isEmpty()) m_phase = Phase::Idle;
        return out;
    }
    case Phase::Receiving:
        m_in += char(byte);
        if (m_in.size() == m_expected) commit(nowUs);
        return kAcknowledge;
    case Phase::Recall: {
        const PlsChannel& c = m_channels[byte];
        startRead(QByteArray(1, char(outputOn(byte) ? 1 : 0)) + wordBytes(c.first));
        return kAcknowledge;
    }
    case Phase::Ready:
        if (byte != kPlsReadyQuery) return std::nullopt;
        m_phase = Phase::ReadyAsk;
        return kAcknowledge;
    case Phase::ReadyAsk:
        if (neverReady || nowUs < m_busyUntilUs) {
            m_phase = Phase::Ready;
            return kAcknowledge;
        }
        m_phase = Phase::ReadyDone;
        return kReady;
    case Phase::ReadyDone:
        m_phase = Phase::Idle;
        return kAcknowledge;
    }
    return std::nullopt;
}

void PlsUnit::commit(qint64 nowUs) {
    const auto in = [this](int i) { return int(quint8(m_in.at(i))); };
    if (m_command == 27 || m_command == 43)
        commitChannel();
    else if (m_command == 42)
        m_offset = in(0) + 256 * in(1);
    else if (m_command == 26)
        m_configWord = in(0) + 256 * in(1);
    else // 59, 75, 91, 107: blocks 0 to 3
        for (int i = 0; i < 6; ++i)
            m_config[size_t((m_command - 59) / 16 * 6 + i)] = quint8(in(i));
    ++writes;
    m_busyUntilUs = nowUs + busyUs;
    m_phase = Phase::Ready;
}

void PlsUnit::commitChannel() {
    const auto in = [this](int i) { return int(quint8(m_in.at(i))); };
    PlsChannel& c = m_channels[size_t(in(0))];
    c = PlsChannel{};
    if (m_command == 43) {
        c.kind = PlsChannel::Kind::PulseTrain;
        c.first = in(1) + 256 * in(2);
        c.onDivs = in(3);
        c.offDivs = in(4);
    } else if (in(5) == 1) {
        c.kind = PlsChannel::Kind::Setpoint;
        c.first = in(1) + 256 * in(2);
        c.second = in(3) + 256 * in(4);
    }
}

void PlsUnit::advance(const MachineModel& machine, qint64 nowUs) {
    const double revsPerMinute =
        machine.running ? double(machine.speed) / qMax(1, machine.spindles) : 0.0;
    m_rpm = int(std::lround(revsPerMinute));
    if (m_lastUpdateUs >= 0 && nowUs > m_lastUpdateUs && m_scale > 0) {
        m_fraction += revsPerMinute * double(nowUs - m_lastUpdateUs) / 60e6 * m_scale;
        const double whole = std::floor(m_fraction);
        m_fraction -= whole;
        m_counter = (m_counter + qint64(whole)) % m_scale;
    }
    m_lastUpdateUs = nowUs;
}

void PlsUnit::setScaleFactor(int divisions) {
    m_scale = qBound(0, divisions, 65535);
    if (m_scale > 0) m_counter %= m_scale;
}

int PlsUnit::position() const {
    if (m_scale <= 0) return 0;
    return int(((m_counter - m_offset) % m_scale + m_scale) % m_scale);
}

void PlsUnit::setPosition(int shown) {
    if (m_scale > 0) m_counter = ((qint64(shown) + m_offset) % m_scale + m_scale) % m_scale;
}

bool PlsUnit::outputOn(int chan) const {
    const PlsChannel& c = m_channels[size_t(chan) % 256];
    const int pos = position();
    switch (c.kind) {
    case PlsChannel::Kind::Setpoint:
        return c.first <= c.second ? (pos >= c.first && pos < c.second)
                                   : (pos >= c.first || pos < c.second);
    case PlsChannel::Kind::PulseTrain: {
        const int period = c.onDivs + c.offDivs;
        return period > 0 && pos >= c.first && (pos - c.first) % period < c.onDivs;
    }
    default:
        return false;
    }
}

} // namespace kalvex::sim
