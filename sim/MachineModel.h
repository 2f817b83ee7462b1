#pragma once
#include "sim/ShiftModel.h"

#include <QtGlobal>

namespace kalvex::sim {

class Board;

// A running can decorator: speed, counters and resolver position move with time so that every
// page shows live values. Counters grow from whatever the board holds, so a reset from the PC
// sticks.
struct MachineModel {
    bool running = true;
    int speed = 1200;            // cans per minute, shown in W112
    int overvarnishSpeed = 1200; // W526
    int spindles = 24;
    double blowOffPerCan = 0.002;

    qint64 lastUpdateUs = -1;
    double canFraction = 0;
    double blowOffFraction = 0;
    double resolverFraction = 0;
    ShiftModel shift;

    void advance(Board& board, qint64 nowUs);
};

} // namespace kalvex::sim
