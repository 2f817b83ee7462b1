#pragma once

namespace kalvex::sim {

class Board;

// Puts the tag map's default set-up, colour-control and label values into the board's memory,
// so a fresh simulator holds what a fresh data set holds. Shift counters are left alone.
void loadSetupDefaults(Board& board);

} // namespace kalvex::sim
