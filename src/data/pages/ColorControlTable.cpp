#include "data/pages/ColorControlTable.h"

#include <QLocale>

#include <algorithm>

namespace kalvex {

namespace {

constexpr const char* kStatusAddresses[4] = {"W520", "W522", "B130", "B61"};

} // namespace

QString colorAddress(int index) {
    if (index < 0 || index >= kColorTableSize) return {};
    if (index < kColorDuctors) return QStringLiteral("B%1").arg(720 + index);
    if (index < kColorValues) return QStringLiteral("W%1").arg(730 + 2 * (index - kColorDuctors));
    return QString::fromLatin1(kStatusAddresses[index - kColorValues]);
}

std::optional<int> labelBase(qint64 label) {
    if (label < 0 || label >= kLabelCount) return std::nullopt;
    return kFirstLabelItem + kItemsPerLabel * int(label);
}

ColorBounds onBounds(int cycle, int maxOn) {
    return {0, cycle < maxOn + kCycleOverOn ? cycle - kCycleOverOn : maxOn};
}

ColorBounds cycleBounds(int on, int maxCycle) {
    return {on + kCycleOverOn, maxCycle};
}

std::optional<double> colorDensity(int on, int cycle, int maxOn) {
    if (maxOn <= 0) return std::nullopt;
    if (cycle < 1) return 0.0;
    return (double(kCycleOverOn) / maxOn + 1.0) * (double(on) / cycle) * 100.0;
}

QString densityText(int on, int cycle, int maxOn) {
    const std::optional<double> d = colorDensity(on, cycle, maxOn);
    return d ? QLocale().toString(*d, 'f', 1) + QLatin1Char('%') : QStringLiteral("-");
}

int loadedOn(qint64 stored, int maxOn) {
    return stored <= maxOn ? int(stored) : 0;
}

int loadedCycle(qint64 stored, int on, int maxCycle) {
    const ColorBounds b = cycleBounds(on, maxCycle);
    if (stored >= b.min && stored <= b.max) return int(stored);
    // With no CYCLE that fits, the ON at least stays shorter than its CYCLE.
    return std::max(b.min, std::min(b.max, kCycleSubstitute));
}

int stationMask(int station) {
    return station >= 1 && station <= 8 ? 1 << (station - 1) : 0;
}

QString ductorModeText(int status) {
    if (status & 1) return QStringLiteral("AUTO");
    return manualMode(status) ? QStringLiteral("MAN") : QStringLiteral("OFF");
}

QString ductorsAutoText(int status) {
    return status & 4 ? QStringLiteral("ON") : QStringLiteral("OFF");
}

} // namespace kalvex
