#include "sim/GatewayModel.h"

#include "sim/Board.h"

namespace kalvex::sim {

void GatewayModel::loadDefaults(Board& board) {
    board.setValue(QStringLiteral("B1423"), 2); // configured
    board.setValue(QStringLiteral("B1421"), 2);
    board.setValue(QStringLiteral("B1422"), 2);
    board.setValue(QStringLiteral("B1426"), 20);
}

void GatewayModel::setError(Board& board, int sts, int extSts) {
    board.setValue(QStringLiteral("B1703"), sts != 0 ? 1 : 0);
    board.setValue(QStringLiteral("B1418"), sts);
    board.setValue(QStringLiteral("B1419"), extSts);
}

void GatewayModel::advance(Board& board, qint64 nowUs) {
    if (!running) return;
    if (lastStepUs < 0 || nowUs < lastStepUs) lastStepUs = nowUs;
    if (nowUs - lastStepUs < periodUs) return;
    lastStepUs = nowUs;
    const qint64 previous = board.value(QStringLiteral("B1421"));
    board.setValue(QStringLiteral("B1422"), previous);
    if (previous != 1) { // a new transaction starts: busy
        board.setValue(QStringLiteral("B1421"), 1);
        board.setValue(QStringLiteral("W1416"), (board.value(QStringLiteral("W1416")) + 1) % 65536);
        board.setValue(QStringLiteral("B1414"), board.value(QStringLiteral("B1414")) == 0 ? 1 : 0);
        return;
    }
    board.setValue(QStringLiteral("B1421"), 2); // done: the reply is in
    board.setValue(QStringLiteral("B1426"), 20 + board.value(QStringLiteral("W1416")) % 8 * 2);
    board.setValue(QStringLiteral("B1702.6"), board.value(QStringLiteral("B1702.6")) == 0 ? 1 : 0);
    board.setValue(QStringLiteral("W1704"), (board.value(QStringLiteral("W1704")) + 1) % 65536);
}

} // namespace kalvex::sim
