#pragma once
#include <QtGlobal>

namespace kalvex::sim {

class Board;
class PlsUnit;
struct MachineModel;

// The board's I/O words as a running machine moves them: the mandrel mark once per turn of the
// resolver, set-up enable following F119, the timing channels' resolver windows, the solenoid
// byte, the resolver period from the speed, the PLS scale factor and offset, and analog inputs
// that drift. A stopped machine leaves them as they are.
struct IoModel {
    void advance(Board& board, const MachineModel& machine, const PlsUnit& pls, qint64 nowUs);
};

} // namespace kalvex::sim
