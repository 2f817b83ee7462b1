#include "sim/DefaultProgram.h"

#include "sim/Board.h"

namespace kalvex::sim {

void loadDefaultProgram(Board& board) {
    const char ident[] = "KVX91D07";
    for (int i = 0; i < 8; ++i)
        board.poke(61424 + i, quint8(ident[i]));
    board.poke(61432, 167);
    board.poke(61433, 7);
    board.poke(8188, 10);
    board.poke(8189, 1);
    board.poke(8190, 5);
    for (int a = 0x4000; a < 0xC000; ++a)
        board.poke(a, quint8((a * 37 + (a >> 8) * 11) & 0xFF));
}

} // namespace kalvex::sim
