#include "OnlineMode.h"

#include "AppState.h"
#include "link/RSComm.h"
#include "link/TextNumber.h"

namespace kalvex {

namespace {

void readBoardOnce(RSComm& link, AppState& state) {
    if (!link.CommError) state.gSpindleCount = valueOf(link.RSRead(QStringLiteral("B52")));
    if (!link.CommError) link.RSRead(QStringLiteral("F31"));
    if (!link.CommError) link.RSRead(QStringLiteral("W58"));
    if (!link.CommError) state.gBoardReadDone = true;
}

} // namespace

void applyOnlineMode(RSComm& link, SerialPort& port, AppState& state) {
    if (link.OnlineMode)
        link.OpenRSComm(port);
    else
        link.CloseRSComm();
    if (link.OnlineMode && !state.gBoardReadDone) readBoardOnce(link, state);
    // A board that stopped answering must not keep the port: offline means closed.
    if (link.CommError && link.OnlineMode) link.CloseRSComm();
    if (link.CommError) link.OnlineMode = false;
}

} // namespace kalvex
