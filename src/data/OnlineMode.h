#pragma once

namespace kalvex {

class AppState;
class RSComm;

// What follows a change of online mode: once per run, the first time the board answers, the
// spindle count (B52) and the flags F31 and W58 are read. A board lost during those reads
// takes the link offline (LostLink), which closes the port.
void settleOnlineMode(RSComm& link, AppState& state);
// The same reads again while they have not all succeeded (a wrong echo, a reply out of range):
// called on every background tick online, so a good spindle count arrives within a second.
void retryBoardReads(RSComm& link, AppState& state);

// The machine has 24 or 36 spindles: no other B52 value is used.
bool isSpindleCount(int value);

} // namespace kalvex
