#include "data/OnlineMode.h"

#include "data/AppState.h"
#include "data/LostLink.h"
#include "link/RSComm.h"

namespace kalvex {

namespace {

// B52 is the spindle count; anything but 24 or 36 is a reply the machine cannot have sent.
LinkResult readSpindleCount(RSComm& link, AppState& state) {
    const LinkResult r = link.readValue(QStringLiteral("B52"));
    if (!r) {
        state.gSpindleCountProblem = failureText(r.failure);
        return r;
    }
    if (!isSpindleCount(int(r.value))) {
        state.gSpindleCountProblem = QStringLiteral("the board sent %1").arg(r.value);
        return {r.value, LinkFailure::WrongEcho};
    }
    state.gSpindleCount = int(r.value);
    state.gSpindleCountKnown = true;
    state.gSpindleCountProblem.clear();
    return r;
}

// F31 and W58 are read for the board's sake; their values are not used.
void readBoardOnce(RSComm& link, AppState& state) {
    if (!state.gSpindleCountKnown && !readSpindleCount(link, state)) return;
    for (const char* add : {"F31", "W58"})
        if (!link.readValue(QLatin1String(add))) return;
    state.gBoardReadDone = true;
}

} // namespace

bool isSpindleCount(int value) {
    return value == 24 || value == 36;
}

void settleOnlineMode(RSComm& link, AppState& state) {
    if (!link.OnlineMode() || state.gBoardReadDone) return;
    LostLink& lost = LostLink::of(link); // watching before the reads
    readBoardOnce(link, state);
    // A board that stopped answering must not keep the port: offline means closed.
    lost.settle();
}

void retryBoardReads(RSComm& link, AppState& state) {
    if (!link.isBusy()) settleOnlineMode(link, state);
}

} // namespace kalvex
