#include "data/pages/BlowoffCommands.h"

namespace kalvex {

std::vector<BoardWrite> qcBlowoffWrites(int target) {
    const QString one = QStringLiteral("1");
    return {{QStringLiteral("B2088"), QString::number(target)},
            {QStringLiteral("F825"), one},
            {QStringLiteral("F102"), one}};
}

std::vector<BoardWrite> badCanBlowoffWrites() {
    return {{QStringLiteral("F830"), QStringLiteral("1")}};
}

} // namespace kalvex
