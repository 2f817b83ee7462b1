#pragma once
#include "data/pages/SetupParameterTable.h"

#include <QString>

namespace kalvex {

// The Shift Data page's 121 displays: index 0 the tripped spindle, 1-36 the trips per spindle,
// 37-78 the current shift's counters and trips, 79-120 the last shift's. Display i shows
// data-set element i offline, except 0: element 0 holds the trip offset.
constexpr int kShiftDisplays = 121;
constexpr int kCurrentShiftFirst = 37;
constexpr int kLastShiftFirst = 79;
constexpr int kShiftSpindles = 36;

// The board address display i shows.
QString shiftDataAddress(int index);
// The caption beside display i ("Tripped Spindle:", "#7", "Total Good Cans:", ...).
QString shiftDataCaption(int index);
// Displays read by one online pass of a tab (0 Trips Per Spindle, 1 Current, 2 Last Shift).
IndexRange shiftTabRange(int tab);

// The trip offset field: B1011, data-set element 0, 0 to 23 (or 35 past 24 spindles).
inline const QString kTripOffsetAddress = QStringLiteral("B1011");
inline int tripOffsetMax(int spindleCount) {
    return spindleCount > 24 ? 35 : 23;
}
// Held while the operator holds the buttons down: reset trips, and end of shift.
inline const QString kResetTripsBit = QStringLiteral("B1016.0");
inline const QString kEndOfShiftBit = QStringLiteral("F137");

} // namespace kalvex
