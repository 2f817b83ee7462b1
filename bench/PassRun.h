#pragma once
#include "widgets/pages/RefreshLoop.h"

namespace kalvex::bench {

// One pass: the step that lays it out, then one step per board read.
inline void runPass(RefreshLoop& loop) {
    loop.step();
    while (loop.pending() > 0)
        loop.step();
}

} // namespace kalvex::bench
