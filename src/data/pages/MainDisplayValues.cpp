#include "data/pages/MainDisplayValues.h"

#include "link/TextNumber.h"

#include <cmath>

namespace kalvex {

QString groupedCount(QStringView value, const QLocale& locale) {
    return locale.toString(qlonglong(std::nearbyint(leadingNumber(value))));
}

int spindleMax(int spindleCount) {
    return spindleCount > 24 ? 36 : 24;
}

QString initialSpindleText(const QString& b2088, int max) {
    const double v = leadingNumber(b2088);
    if (v > max) return QString::number(max);
    if (v == 0) return QStringLiteral("1");
    return b2088;
}

} // namespace kalvex
