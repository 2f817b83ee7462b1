#include "sim/ShiftModel.h"

#include "sim/Board.h"

namespace kalvex::sim {

namespace {

constexpr int kTrips = 1020;          // W1020 + 2 (s - 1): trips per spindle
constexpr int kCurrentTrips = 1124;   // the current shift's trips per spindle
constexpr int kLastShiftOffset = 100; // the last shift's block sits 100 bytes higher
constexpr int kSpindleWords = 36;
constexpr int kCauses[4] = {1108, 1116, 1120, 1112}; // bad can, manual, Q.C., restart
constexpr int kCurrentCounters[6] = {1100, 1104, 1108, 1116, 1120, 1112};

QString word(int byte) {
    return QStringLiteral("W%1").arg(byte);
}
QString dword(int byte) {
    return QStringLiteral("D%1").arg(byte);
}

void add(Board& board, const QString& add, qint64 n) {
    board.setValue(add, (board.value(add) + n) % 65536);
}

void book(Board& board, int spindle, int cause, bool resetHeld) {
    board.setValue(dword(cause), (board.value(dword(cause)) + 1) % 655360000);
    board.setValue(QStringLiteral("B599"), spindle);
    add(board, word(kCurrentTrips + 2 * (spindle - 1)), 1);
    if (!resetHeld) add(board, word(kTrips + 2 * (spindle - 1)), 1);
}

} // namespace

void ShiftModel::trip(Board& board, int spindle, int cause) {
    if (spindle < 1 || spindle > kSpindleWords || cause < 0 || cause > 3) return;
    board.setValue(QStringLiteral("D1104"), (board.value(QStringLiteral("D1104")) + 1) % 655360000);
    book(board, spindle, kCauses[cause], board.value(QStringLiteral("B1016.0")) != 0);
}

void ShiftModel::advance(Board& board, qint64 blowOffs, int spindles) {
    const bool resetHeld = board.value(QStringLiteral("B1016.0")) != 0;
    for (qint64 k = 0; k < blowOffs; ++k) {
        seed = seed * 1103515245u + 12345u;
        book(board, 1 + int((seed >> 16) % quint32(qMax(1, spindles))), kCauses[(seed >> 8) % 4],
             resetHeld);
    }
    if (resetHeld)
        for (int s = 0; s < kSpindleWords; ++s)
            board.setValue(word(kTrips + 2 * s), 0);

    const bool endOfShift = board.value(QStringLiteral("F137")) != 0;
    if (endOfShift && !endOfShiftSeen) {
        for (int c : kCurrentCounters) {
            board.setValue(dword(c + kLastShiftOffset), board.value(dword(c)));
            board.setValue(dword(c), 0);
        }
        for (int s = 0; s < kSpindleWords; ++s) {
            const int w = kCurrentTrips + 2 * s;
            board.setValue(word(w + kLastShiftOffset), board.value(word(w)));
            board.setValue(word(w), 0);
        }
    }
    endOfShiftSeen = endOfShift;
}

} // namespace kalvex::sim
