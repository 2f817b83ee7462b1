#pragma once

namespace kalvex {

class AppState;
class RSComm;
class SerialPort;

// The link side of UpdateOnlineMode: opens or closes the port as OnlineMode says and, once per
// run, reads the spindle count (B52) and the flags F31 and W58. A comm error drops the link to
// offline and closes the port, so the mode indicators can follow OnlineMode afterwards.
void applyOnlineMode(RSComm& link, SerialPort& port, AppState& state);

} // namespace kalvex
