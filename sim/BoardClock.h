#pragma once
#include <QtGlobal>

namespace kalvex::sim {

class Board;

// The real-time clock of the boards that have one (B43008 seconds, B43010 minutes, B43012
// hours, B43015 day, B43016 month, B43017 two-digit year). It ticks from whatever the board
// holds, so a time set from the PC sticks and runs on; stopped, it leaves memory alone.
struct BoardClock {
    bool running = false;
    qint64 lastTickUs = -1;

    void advance(Board& board, qint64 nowUs);
    // One second later, with carries into minutes, hours, days, months and years.
    static void tick(Board& board);
};

} // namespace kalvex::sim
