#pragma once
#include "link/Address.h"
#include "widgets/pages/RefreshLoop.h"

#include <QString>

#include <vector>

namespace kalvex::test {

// One refresh pass: the step that lays it out, then one step per board request. Returns the
// steps taken.
inline int runPass(RefreshLoop& loop) {
    int steps = loop.step() ? 1 : 0;
    while (loop.pending() > 0 && loop.step())
        ++steps;
    return steps;
}

// The memory bytes behind board addresses, in order.
inline std::vector<int> bytesOf(const std::vector<QString>& adds) {
    std::vector<int> out;
    for (const QString& a : adds) {
        const ParsedAddress p = parseAddress(a);
        for (int k = 0; k < p.byteCount(); ++k)
            out.push_back(int(p.byteAddress) + k);
    }
    return out;
}

} // namespace kalvex::test
