#pragma once
#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <optional>

namespace kalvex::sim {

struct MachineModel;

struct PlsChannel {
    enum class Kind { Cleared, Setpoint, PulseTrain };
    Kind kind = Kind::Cleared;
    int first = 0;   // on setpoint, or start division
    int second = 0;  // off setpoint, or unused
    int onDivs = 0;  // pulse train
    int offDivs = 0; // pulse train
};

// The board's programmable limit switch as its PLS command bytes see it: scale factor, offset,
// a position that turns with the machine, speed, channels and configuration. A write keeps it
// busy (not READY) for a while, or for ever when told. The configuration read answers entries
// 0 to 16 of the last configuration download followed by its word, low byte first.
class PlsUnit {
  public:
    static bool isCommand(quint8 byte);

    // The command byte of a mode handshake: answers the acknowledge and starts its data phase.
    quint8 enter(quint8 command, qint64 nowUs);
    std::optional<quint8> step(quint8 byte, qint64 nowUs);
    bool idle() const { return m_phase == Phase::Idle; }
    // Where the PC only polls, 0xFF is attention; while it sends data, 0xFF is a value.
    bool takesAttention() const { return m_phase != Phase::Receiving && m_phase != Phase::Recall; }
    void reset() { m_phase = Phase::Idle; }

    void advance(const MachineModel& machine, qint64 nowUs);

    int scaleFactor() const { return m_scale; }
    void setScaleFactor(int divisions);
    int offset() const { return m_offset; }
    void setOffset(int offset) { m_offset = qBound(0, offset, 65535); }
    // The shown position: the counter less the offset.
    int position() const;
    void setPosition(int shown);
    int rpm() const { return m_rpm; }

    std::array<PlsChannel, 256>& channels() { return m_channels; }
    bool outputOn(int chan) const;
    const std::array<quint8, 24>& config() const { return m_config; }
    int configWord() const { return m_configWord; }
    void setConfig(int index, quint8 value) { m_config[size_t(index) % 24] = value; }

    qint64 busyUs = 20'000; // how long a write keeps the PLS busy
    bool neverReady = false;
    int writes = 0; // writes the PLS has taken, for tests

  private:
    enum class Phase { Idle, Sending, Receiving, Recall, Ready, ReadyAsk, ReadyDone };

    void startRead(QByteArray bytes);
    void commit(qint64 nowUs);
    void commitChannel();

    Phase m_phase = Phase::Idle;
    quint8 m_command = 0;
    QByteArray m_out;
    QByteArray m_in;
    int m_expected = 0;
    qint64 m_busyUntilUs = 0;

    int m_scale = 360;
    int m_offset = 0;
    qint64 m_counter = 0;
    double m_fraction = 0;
    int m_rpm = 0;
    qint64 m_lastUpdateUs = -1;
    std::array<PlsChannel, 256> m_channels{};
    std::array<quint8, 24> m_config{};
    int m_configWord = 0;
};

} // namespace kalvex::sim
