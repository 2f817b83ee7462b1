#pragma once
#include "sim/Board.h"

#include <utility>
#include <vector>

namespace kalvex::test {

// Byte addresses the PC read and (address, byte) pairs it wrote; `startMode`: the link's mode then.
struct Traffic {
    std::vector<int> reads;
    // Per read byte: the 1-based position of its address high byte among the PC's bytes.
    std::vector<int> readHighBytes;
    std::vector<std::pair<int, int>> writes;
};
Traffic trafficOf(const sim::Board& board, int startMode);

// The board's memory writes as (address, byte), in order.
inline std::vector<std::pair<int, int>> memoryWrites(const sim::Board& board) {
    std::vector<std::pair<int, int>> out;
    for (const sim::MemoryWrite& w : board.writes())
        out.emplace_back(w.address, w.value);
    return out;
}

} // namespace kalvex::test
