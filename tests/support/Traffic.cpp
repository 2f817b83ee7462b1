#include "support/Traffic.h"

namespace kalvex::test {

Traffic trafficOf(const sim::Board& board, int startMode) {
    Traffic t;
    enum State { Idle, Read, Write, Attention }; // (Read and Write are the board's mode numbers)
    State state = startMode == Read || startMode == Write ? State(startMode) : Idle;
    std::vector<int> pending;
    int position = 0;
    for (const sim::TranscriptEntry& e : board.transcript()) {
        if (!e.fromPc) continue;
        ++position;
        const int b = e.byte;
        if (b == 0xFF && pending.empty()) {
            state = Attention;
            continue;
        }
        if (state == Attention) {
            state = b == Read || b == Write ? State(b) : Idle;
            continue;
        }
        if (state == Idle) continue;
        if (state == Read && pending.empty()) t.readHighBytes.push_back(position);
        pending.push_back(b);
        if (state == Read && pending.size() == 2) {
            t.reads.push_back(pending[0] * 256 + pending[1]);
            pending.clear();
        } else if (state == Write && pending.size() == 3) {
            t.writes.emplace_back(pending[0] * 256 + pending[1], pending[2]);
            pending.clear();
        }
    }
    return t;
}

} // namespace kalvex::test
