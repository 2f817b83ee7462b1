#pragma once
#include <QString>

namespace kalvex {

// What an entry field, the Target Board Interface and kalvex-cli say of a value outside its
// bounds.
inline QString rangeMessage(int min, int max) {
    return QStringLiteral("Only a Number Between %1 and %2 can be Entered").arg(min).arg(max);
}

} // namespace kalvex
