#include "sim/ColorModel.h"

#include "sim/Board.h"

namespace kalvex::sim {

namespace {

// Solenoid ON and OFF response times (ms) of the eight stations.
constexpr int kResponse[8][2] = {{15, 28}, {16, 29}, {14, 27}, {18, 31},
                                 {15, 30}, {17, 26}, {16, 32}, {19, 33}};

} // namespace

void loadWorkingLabel(Board& board) {
    const qint64 label = board.value(QStringLiteral("W686"));
    if (label < 0 || label > 99) return;
    const int first = 3100 + 30 * int(label);
    for (int d = 0; d < 8; ++d) {
        board.poke(720 + d, board.peek(first + d));
        board.setValue(QStringLiteral("W%1").arg(730 + 2 * d),
                       board.value(QStringLiteral("W%1").arg(first + 10 + 2 * d)));
    }
    board.setValue(QStringLiteral("B130"), 5); // automatic, ductors on
}

void advanceDuctors(Board& board) {
    const int stations = board.peek(63);
    for (int s = 0; s < 8; ++s)
        if (stations & (1 << s)) {
            board.setValue(QStringLiteral("W520"), kResponse[s][0]);
            board.setValue(QStringLiteral("W522"), kResponse[s][1]);
            break;
        }
    if (board.peek(130) & 2) board.poke(121, board.peek(61));
}

} // namespace kalvex::sim
