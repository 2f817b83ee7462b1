#pragma once
#include <QtGlobal>

namespace kalvex::sim {

class Board;

// The board's shift counters: every blow-off trips a spindle (the last one in B599, its count
// in the trips per spindle and in the current shift) and has one of four causes, whose counters
// add up to the shift's blow-offs. While B1016.0 is held the trips stay at zero; the rising
// edge of F137 ends the shift, copying the current counters to the last shift's and zeroing them.
struct ShiftModel {
    quint32 seed = 1;
    bool endOfShiftSeen = false;

    // Books `blowOffs` new blow-offs, then applies the held reset and the end of shift.
    void advance(Board& board, qint64 blowOffs, int spindles);
    // One blow-off on `spindle` (1-36) for cause 0-3: bad can, manual, Q.C., restart.
    static void trip(Board& board, int spindle, int cause);
};

} // namespace kalvex::sim
