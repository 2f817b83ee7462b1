#pragma once

namespace kalvex {

class AppState;
class RSComm;

// What follows a change of online mode: once per run, the first time the board answers, the
// spindle count (B52) and the flags F31 and W58 are read. A board lost during those reads
// switches the link back to offline, which closes the port.
void settleOnlineMode(RSComm& link, AppState& state);

} // namespace kalvex
