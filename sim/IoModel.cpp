#include "sim/IoModel.h"

#include "sim/Board.h"
#include "sim/MachineModel.h"
#include "sim/PlsUnit.h"

#include <cmath>

namespace kalvex::sim {

namespace {

// Timing channels 0-7: on while the resolver is inside the channel's window (degrees).
struct Window {
    int from;
    int to;
};
constexpr Window kChannels[8] = {{10, 60},   {70, 120},  {130, 180}, {350, 359},
                                 {200, 215}, {220, 235}, {240, 300}, {0, 5}};

bool inside(int pos, Window w) {
    return pos >= w.from && pos <= w.to;
}

} // namespace

void IoModel::advance(Board& board, const MachineModel& machine, const PlsUnit& pls, qint64 nowUs) {
    // A stopped machine's I/O stands still, so only the link changes it.
    if (!machine.running) return;
    const int pos = int(board.value(QStringLiteral("W180")));

    int timing = 0;
    for (int c = 0; c < 8; ++c)
        if (inside(pos, kChannels[c])) timing |= 1 << c;
    board.setValue(QStringLiteral("W170"), timing);

    int slot0 = int(board.value(QStringLiteral("W100"))) & 0x7FFC; // the PLC's own inputs stay
    if (pos < 10) slot0 |= 0x0001;                                 // mandrel no. 1 passes its mark
    slot0 |= 0x0002;                                               // a can on the mandrel
    if (board.value(QStringLiteral("F119")) != 0) slot0 |= 0x8000;
    board.setValue(QStringLiteral("W100"), slot0);

    // The high byte of W120 is the ductor solenoids: the bad-can and Q.C. timing windows show
    // on the low one, as the cams switch.
    const int solenoids = int(board.value(QStringLiteral("B121")));
    int cams = 0;
    for (int c = 0; c < 3; ++c)
        if (inside(pos, kChannels[c])) cams |= 1 << (2 * c);
    board.setValue(QStringLiteral("W120"), cams | (solenoids << 8));

    board.setValue(QStringLiteral("F17"), 1);
    board.setValue(QStringLiteral("W184"),
                   machine.speed > 0 ? qMin(65535, 60000 * 100 / machine.speed) : 0);
    board.setValue(QStringLiteral("W186"), pls.scaleFactor());
    board.setValue(QStringLiteral("W188"), pls.offset());

    const double t = double(nowUs) / 1e6;
    board.setValue(QStringLiteral("W162"), qint64(2048 + 600 * std::sin(t / 7.0)));
    board.setValue(QStringLiteral("W164"), qint64(1024 + 300 * std::sin(t / 11.0 + 1.0)));
}

} // namespace kalvex::sim
