#pragma once
#include "sim/Board.h"

#include <utility>
#include <vector>

namespace kalvex::test {

// Byte addresses the PC read, and (address, byte) pairs it wrote, taken from the transcript;
// `startMode` is the link's board mode when the transcript began.
struct Traffic {
    std::vector<int> reads;
    // For each byte of a read, the position of its address high byte among the PC's bytes
    // (1-based), where a wrong echo fails the read.
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
