#include "data/pages/ShiftDataTable.h"

namespace kalvex {

namespace {

// The six counters of a shift, in display order, and where the current shift keeps them; the
// last shift's sit 100 bytes higher.
constexpr int kCounterAddress[6] = {1100, 1104, 1108, 1116, 1120, 1112};
const char* const kCounterCaption[6] = {
    "Total Good Cans:",  "Total Blow-offs:", "Bad Can Blow-offs:",
    "Manual Blow-offs:", "Q.C. Blow-offs:",  "Restart Blow-offs:"};

// Where a shift block (six counters, then 36 spindles) starts, and its spindle words.
struct Block {
    int first;
    int counterOffset;
    int spindleWord;
};
constexpr Block kBlocks[2] = {{kCurrentShiftFirst, 0, 1124}, {kLastShiftFirst, 100, 1224}};

} // namespace

QString shiftDataAddress(int index) {
    if (index == 0) return QStringLiteral("B599");
    if (index >= 1 && index <= kShiftSpindles)
        return QStringLiteral("W%1").arg(1020 + 2 * (index - 1));
    for (const Block& b : kBlocks) {
        const int k = index - b.first;
        if (k >= 0 && k < 6) return QStringLiteral("D%1").arg(kCounterAddress[k] + b.counterOffset);
        if (k >= 6 && k < 6 + kShiftSpindles)
            return QStringLiteral("W%1").arg(b.spindleWord + 2 * (k - 6));
    }
    return {};
}

QString shiftDataCaption(int index) {
    if (index == 0) return QStringLiteral("Tripped Spindle:");
    if (index >= 1 && index <= kShiftSpindles) return QStringLiteral("#%1").arg(index);
    for (const Block& b : kBlocks) {
        const int k = index - b.first;
        if (k >= 0 && k < 6) return QString::fromLatin1(kCounterCaption[k]);
        if (k >= 6 && k < 6 + kShiftSpindles) return QStringLiteral("#%1").arg(k - 5);
    }
    return {};
}

IndexRange shiftTabRange(int tab) {
    static constexpr IndexRange ranges[] = {{0, kShiftSpindles},
                                            {kCurrentShiftFirst, kLastShiftFirst - 1},
                                            {kLastShiftFirst, kShiftDisplays - 1}};
    return ranges[tab >= 0 && tab < 3 ? tab : 0];
}

} // namespace kalvex
