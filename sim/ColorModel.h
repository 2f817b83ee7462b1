#pragma once

namespace kalvex::sim {

class Board;

// The ductors as the colour control page sees them: the working registers start with the
// values stored for the running label (W686), the solenoid response times follow the station
// selected in B63, and in manual mode the solenoid byte B121 follows the operator's B61.
void loadWorkingLabel(Board& board);
void advanceDuctors(Board& board);

} // namespace kalvex::sim
