#include "sim/MachineModel.h"

#include "sim/Board.h"

#include <cmath>

namespace kalvex::sim {

namespace {

void addCount(Board& board, const char* add, qint64 n) {
    if (n <= 0) return;
    const qint64 v = board.value(QString::fromLatin1(add)) + n;
    board.setValue(QString::fromLatin1(add), v % 655360000); // the D range wraps like the board's
}

} // namespace

void MachineModel::advance(Board& board, qint64 nowUs) {
    if (lastUpdateUs < 0 || nowUs < lastUpdateUs) {
        lastUpdateUs = nowUs;
        return;
    }
    const double minutes = double(nowUs - lastUpdateUs) / 60e6;
    lastUpdateUs = nowUs;
    const int shownSpeed = running ? speed : 0;
    board.setValue(QStringLiteral("W112"), shownSpeed);
    board.setValue(QStringLiteral("W526"), running ? overvarnishSpeed : 0);
    if (!running) {
        shift.advance(board, 0, spindles);
        return;
    }

    canFraction += shownSpeed * minutes;
    const qint64 cans = qint64(std::floor(canFraction));
    canFraction -= double(cans);
    blowOffFraction += double(cans) * blowOffPerCan;
    const qint64 blowOffs = qint64(std::floor(blowOffFraction));
    blowOffFraction -= double(blowOffs);
    addCount(board, "D1100", cans - blowOffs);
    addCount(board, "D1104", blowOffs);
    addCount(board, "D1304", cans);
    shift.advance(board, blowOffs, spindles);

    // The resolver turns once per mandrel-wheel revolution, in degrees.
    resolverFraction += shownSpeed * minutes / qMax(1, spindles) * 360.0;
    const double turned = std::floor(resolverFraction);
    resolverFraction -= turned;
    const qint64 pos = (board.value(QStringLiteral("W180")) + qint64(turned)) % 360;
    board.setValue(QStringLiteral("W180"), pos);
}

} // namespace kalvex::sim
