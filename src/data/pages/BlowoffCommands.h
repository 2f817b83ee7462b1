#pragma once
#include "data/BoardWrite.h"

#include <QString>

#include <vector>

namespace kalvex {

// The blow-off commands of the Main Display and the Set-up page: a Q.C. blow-off sets its
// target (a spindle, or the blanket and mandrel numbers past the last spindle) before its two
// request flags; the bad-can test trip is one flag.
std::vector<BoardWrite> qcBlowoffWrites(int target);
std::vector<BoardWrite> badCanBlowoffWrites();

// The targets past the spindles.
inline int blanketTarget(int spindleCount) {
    return spindleCount + 1;
}
inline int mandrelTarget(int spindleCount) {
    return spindleCount + 2;
}

} // namespace kalvex
