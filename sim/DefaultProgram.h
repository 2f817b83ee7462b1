#pragma once

namespace kalvex::sim {

class Board;

// The board's program as it leaves the factory in the simulator: an ident block (ident
// "KVX91D07", checksum 167, revision 7), configuration bytes 8188-8190 (digits C 2, B 1, A 2)
// and a program image over the P9100 range 0x4000-0xBFFF.
void loadDefaultProgram(Board& board);

} // namespace kalvex::sim
