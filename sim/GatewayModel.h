#pragma once
#include <QtGlobal>

namespace kalvex::sim {

class Board;

// The K5800 DF1 gateway talking to its PLC: one transaction every period, the transmit status
// going busy then done (the previous status kept beside it), the active command and the
// received-command bit alternating, the byte count and both transaction counters moving. The
// link-layer status (B1703, STS B1418, EXT STS B1419) and the configuration status (B1423) are
// left as set, so a state file can show any gateway error.
struct GatewayModel {
    bool running = true;
    qint64 periodUs = 500'000;
    qint64 lastStepUs = -1;

    static void loadDefaults(Board& board);
    void advance(Board& board, qint64 nowUs);
    // Sets the link-layer status to the error sts (0: no error) with its extended code.
    static void setError(Board& board, int sts, int extSts);
};

} // namespace kalvex::sim
