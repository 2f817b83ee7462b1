#include "data/OnlineMode.h"

#include "data/AppState.h"
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

// F31 and W58 are read for the board's sake; their values are not used. Returns the failure
// that stopped the reads.
LinkFailure readBoardOnce(RSComm& link, AppState& state) {
    if (!state.gSpindleCountKnown)
        if (const LinkResult r = readSpindleCount(link, state); !r) return r.failure;
    for (const char* add : {"F31", "W58"})
        if (const LinkResult r = link.readValue(QLatin1String(add)); !r) return r.failure;
    state.gBoardReadDone = true;
    return LinkFailure::None;
}

} // namespace

bool isSpindleCount(int value) {
    return value == 24 || value == 36;
}

void settleOnlineMode(RSComm& link, AppState& state) {
    if (!link.OnlineMode() || state.gBoardReadDone) return;
    // A board that stopped answering must not keep the port: offline means closed.
    if (readBoardOnce(link, state) == LinkFailure::NoAnswer && link.OnlineMode())
        link.setOnlineMode(false);
}

void retryBoardReads(RSComm& link, AppState& state) {
    if (!link.isBusy()) settleOnlineMode(link, state);
}

} // namespace kalvex
