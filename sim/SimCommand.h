#pragma once
#include <QString>
#include <QStringList>

#include <optional>

namespace kalvex::sim {

class Board;

// What a trainer can make the simulated board do while the program talks to it: one line
// each, the same words in a timeline file and behind the simulator panel's controls.
enum class SimVerb {
    Run,           // run
    Stop,          // stop
    Speed,         // speed CPM
    BadRate,       // bad_rate N: bad cans per 1000
    Alarm,         // alarm BIT on|off: a bit of the machine alarm word W98
    Fault,         // fault HEX: current processor fault code B8176 (0 clears)
    LastFault,     // last_fault HEX: B8177
    CommError,     // comm_error HEX: current comm error code B8179
    LastCommError, // last_comm_error HEX: B8178
    Trip,          // trip SPINDLE bad|manual|qc|restart
    Ductors,       // ductors auto|manual|off
    Silent,        // silent: no answer from the next byte on
    SilentAfter,   // silent_after N: no answer after N more bytes
    Delay,         // delay MS: every reply that much later (0 ends it)
    WrongEcho,     // wrong_echo: the next reply is corrupted, once
    Cable,         // cable: the link faults above end
};

struct SimCommand {
    SimVerb verb = SimVerb::Run;
    qint64 value = 0; // the number, the bit, the code, the spindle or the ductor mode's B130
    int option = 0;   // alarm: 1 on, 0 off; trip: the cause 0-3
    bool operator==(const SimCommand&) const = default;
};

// The ductor modes as B130 holds them: automatic with the ductors on, manual, neither.
constexpr int kDuctorsAuto = 5;
constexpr int kDuctorsManual = 2;
constexpr int kDuctorsOff = 0;

// The causes a trip takes, in their order 0-3.
QStringList tripCauses();

// One command line (words separated by blanks, letter case ignored). Empty, with the reason
// in `error`, when it is not one.
std::optional<SimCommand> parseSimCommand(const QString& line, QString* error);

// Changes the board model only; the program sees the change through the link.
void applySimCommand(Board& board, const SimCommand& command);

} // namespace kalvex::sim
