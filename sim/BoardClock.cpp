#include "sim/BoardClock.h"

#include "sim/Board.h"

#include <QDate>

namespace kalvex::sim {

namespace {

constexpr int kSecond = 43008, kMinute = 43010, kHour = 43012, kDay = 43015, kMonth = 43016,
              kYear = 43017;

// Adds one to a field; true when it wrapped to `first` past `last`.
bool carry(Board& board, int address, int first, int last) {
    const int v = board.peek(address) + 1;
    const bool wrapped = v > last;
    board.poke(address, quint8(wrapped ? first : v));
    return wrapped;
}

} // namespace

void BoardClock::tick(Board& board) {
    if (!carry(board, kSecond, 0, 59) || !carry(board, kMinute, 0, 59) ||
        !carry(board, kHour, 0, 23))
        return;
    const int month = qBound(1, int(board.peek(kMonth)), 12);
    const int days = QDate(2000 + board.peek(kYear) % 100, month, 1).daysInMonth();
    if (!carry(board, kDay, 1, days) || !carry(board, kMonth, 1, 12)) return;
    carry(board, kYear, 0, 99);
}

void BoardClock::advance(Board& board, qint64 nowUs) {
    if (!running || lastTickUs < 0) {
        lastTickUs = nowUs;
        return;
    }
    constexpr qint64 kSecondUs = 1'000'000;
    for (; nowUs - lastTickUs >= kSecondUs; lastTickUs += kSecondUs)
        tick(board);
}

} // namespace kalvex::sim
