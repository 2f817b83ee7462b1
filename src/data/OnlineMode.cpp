#include "data/OnlineMode.h"

#include "data/AppState.h"
#include "link/RSComm.h"
#include "link/TextNumber.h"

namespace kalvex {

namespace {

void readBoardOnce(RSComm& link, AppState& state) {
    if (!link.CommError()) state.gSpindleCount = valueOf(link.RSRead(QStringLiteral("B52")));
    if (!link.CommError()) link.RSRead(QStringLiteral("F31"));
    if (!link.CommError()) link.RSRead(QStringLiteral("W58"));
    if (!link.CommError()) state.gBoardReadDone = true;
}

} // namespace

void settleOnlineMode(RSComm& link, AppState& state) {
    if (link.OnlineMode() && !state.gBoardReadDone) readBoardOnce(link, state);
    // A board that stopped answering must not keep the port: offline means closed.
    if (link.CommError() && link.OnlineMode()) link.setOnlineMode(false);
}

} // namespace kalvex
