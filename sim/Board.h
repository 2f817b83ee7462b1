#pragma once
#include "link/Clock.h"
#include "sim/BoardClock.h"
#include "sim/GatewayModel.h"
#include "sim/IoModel.h"
#include "sim/MachineModel.h"
#include "sim/PlsUnit.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>
#include <set>
#include <vector>

namespace kalvex::sim {

// Faults the simulated board can be told to show.
struct Faults {
    bool silent = false;
    qint64 silentAfter = -1;      // stop answering after this many received bytes (-1: never)
    qint64 mutedAfter = -1;       // still take bytes but send no reply after this many
    std::set<qint64> wrongEchoAt; // corrupt the replies to these received bytes (1-based)
    bool wrongEchoNext = false;   // corrupt the next reply, once
    qint64 replyDelayUs = 0;      // extra time before every reply
    int baud = 0;                 // pace bytes at the wire time of this speed (0: no pacing)
    bool refuseModes = false;     // answer every mode byte with a refusal instead of 0x55
    // Program mode: data records counted from 1 since the board started.
    int programBadChecksumAt = 0;  // answer this record with a wrong checksum
    int programNoChecksumAt = 0;   // do not answer this record
    bool programNoExitAck = false; // answer the 0xFF that leaves program mode with 0x00
    int stickyFault = 0;           // a fault code B8176 takes again whenever it is cleared
    // The speed the board's port is set to: a PC line at another speed garbles every byte, so
    // the board answers nothing (0: any speed, as a pseudo-terminal carries it).
    int lineSpeed = 0;
    // The data byte of the next write to this byte address is lost on the line, and from then
    // on the board's replies are lost while it still takes every byte (-1: never).
    int loseWriteAt = -1;
    bool muted = false; // replies lost, bytes still taken

    // A cable pulled, or put back: put back also ends a lost write's muting.
    void toggleCable() {
        if (muted)
            muted = false;
        else
            silent = !silent;
    }
};

// One record taken in program mode, as the board saw it.
struct ProgramRecord {
    int count;
    int address;
    QByteArray data;
    std::optional<quint8> reply; // the checksum answered, if any
};

struct TranscriptEntry {
    bool fromPc;
    quint8 byte;
};

// One byte stored by a memory write, in the order the writes arrived.
struct MemoryWrite {
    int address;
    quint8 value;
};

struct Reply {
    QByteArray bytes;
    qint64 readyAtUs = 0; // when the reply is on the PC's side of the line
};

// The P9100 board as seen through its programming port: 64 KiB of memory, the attention and
// mode handshake, echoed memory reads and writes, program mode, and a running machine.
class Board {
  public:
    explicit Board(Clock& clock);

    Reply receive(quint8 byte);
    // A byte that arrived garbled (sent at the wrong line speed): logged, never answered.
    void receiveGarbled(quint8 byte);

    quint8 peek(int address) const { return m_memory[size_t(address & 0xFFFF)]; }
    void poke(int address, quint8 value) { m_memory[size_t(address & 0xFFFF)] = value; }
    // Values in the board's layouts (B, W, D, bit forms), by board address text.
    qint64 value(const QString& add) const;
    bool setValue(const QString& add, qint64 value);

    Faults& faults() { return m_faults; }
    MachineModel& machine() { return m_machine; }
    PlsUnit& pls() { return m_pls; }
    BoardClock& boardClock() { return m_boardClock; }
    GatewayModel& gateway() { return m_gateway; }
    void advanceMachine();

    const std::vector<TranscriptEntry>& transcript() const { return m_transcript; }
    QByteArray bytesFromPc() const;
    QByteArray bytesToPc() const;
    // The memory writes among the transcript's bytes, decoded.
    const std::vector<MemoryWrite>& writes() const { return m_writes; }
    void clearTranscript() {
        m_transcript.clear();
        m_writes.clear();
        m_programLog.clear();
    }
    qint64 receivedCount() const { return m_received; }
    // A demonstration may run for days: past `entries` the transcript and the write log drop
    // their older half.
    void setLogLimit(size_t entries) { m_logLimit = entries; }

    // Taking program records (a download ended inside program mode leaves it so).
    bool inProgramMode() const {
        return m_state >= State::ProgramCount && m_state <= State::ProgramData;
    }
    // Program records received in program mode, for tests of the program download.
    int programRecords() const { return m_programRecords; }
    // The records received since the transcript was last cleared.
    const std::vector<ProgramRecord>& programLog() const { return m_programLog; }

  private:
    enum class State {
        Attention,
        Mode,
        ReadHigh,
        ReadLow,
        WriteHigh,
        WriteLow,
        WriteData,
        ProgramCount,
        ProgramHigh,
        ProgramLow,
        ProgramData,
        Pls
    };

    std::optional<quint8> step(quint8 byte);
    std::optional<quint8> stepProgram(quint8 byte);
    std::optional<quint8> enterMode(quint8 modeByte);
    std::optional<quint8> stepPls(quint8 byte);
    qint64 byteTimeUs() const;
    template <class T> void log(std::vector<T>& entries, T entry);

    Clock& m_clock;
    std::array<quint8, 65536> m_memory{};
    Faults m_faults;
    MachineModel m_machine;
    IoModel m_io;
    GatewayModel m_gateway;
    PlsUnit m_pls;
    BoardClock m_boardClock;
    std::vector<TranscriptEntry> m_transcript;
    std::vector<MemoryWrite> m_writes;
    State m_state = State::Attention;
    int m_address = 0;
    int m_count = 0;
    int m_sum = 0;
    qint64 m_received = 0;
    qint64 m_lineFreeAtUs = 0;
    int m_programRecords = 0;
    size_t m_logLimit = size_t(1) << 22;
    std::vector<ProgramRecord> m_programLog;
};

} // namespace kalvex::sim
