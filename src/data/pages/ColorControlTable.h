#pragma once
#include "data/TagMap.h"

#include <QString>

#include <array>
#include <optional>

namespace kalvex {

// The Color Control page: eight ductors, each with an ON and a CYCLE duration in tenths of a
// can, kept per label in the board and in the data set's label block.
constexpr int kColorDuctors = 8;
constexpr int kColorValues = 16;              // fields 0-7 ON, 8-15 CYCLE
constexpr int kColorTableSize = 20;           // + W520, W522, B130, B61
constexpr int kLabelField = 16;               // read and written at W686
constexpr int kStationField = 17;             // written as a bit mask to B63
constexpr int kMaxCycleItem = 125;            // W690
constexpr int kMaxOnItem = 126;               // B692
constexpr int kLabelItem = kColorControlItem; // W686
constexpr int kCycleOverOn = 140;             // a CYCLE lasts at least this much longer than its ON
constexpr int kCycleSubstitute = 350;

inline const QString kMaxCycleAddress = QStringLiteral("W690");
inline const QString kMaxOnAddress = QStringLiteral("B692");
inline const QString kLabelAddress = QStringLiteral("W686");
inline const QString kStationAddress = QStringLiteral("B63");
inline const QString kManualDuctorsAddress = QStringLiteral("B61");
inline const QString kDuctorStatusAddress = QStringLiteral("B130");
// Edit > Color Control Passcode reads and writes it.
inline const QString kColorPasscodeAddress = QStringLiteral("W1298");

// The captions lblDescription 0-16.
constexpr int kColorCaptionCount = 17;
constexpr std::array<const char*, kColorCaptionCount> kColorControlCaptions{
    {"#&1:", "#&2:", "#&3:", "#&4:", "#&5:", "#&6:", "#&7:", "#&8:", "&Label Number:",
     "ON Duration (0.1 cans)", "CYCLE Duration (0.1 cans)", "Color Density",
     "Operational Mode:", "Ductors Auto ON:", "&Station Number:",
     "Solenoid \"ON\" Response Time (msec):", "Solenoid \"OFF\" Response Time (msec):"}};

// The page's address table, index 0-19.
QString colorAddress(int index);

// The data-set item of a label's first value: 144 + 16 L; none for a label outside 0-99, whose
// values would lie past the label block.
std::optional<int> labelBase(qint64 label);

struct ColorBounds {
    int min;
    int max;
    bool empty() const { return min > max; }
};
// An ON duration leaves the CYCLE at least 140 longer, and stays within the maximum ON.
ColorBounds onBounds(int cycle, int maxOn);
ColorBounds cycleBounds(int on, int maxCycle);

// (140 / maxON + 1) x (on / cycle) x 100; none while the maximum ON is not above 0.
std::optional<double> colorDensity(int on, int cycle, int maxOn);
// "50.0%" in the regional number format; "-" when there is no density.
QString densityText(int on, int cycle, int maxOn);

// What a label load puts in the working register for a stored value: an ON above the maximum
// becomes 0; a CYCLE outside its bounds becomes 350, itself kept inside the bounds.
int loadedOn(qint64 stored, int maxOn);
int loadedCycle(qint64 stored, int on, int maxCycle);

// Station 1-8 as the bit mask B63 takes.
int stationMask(int station);

// B130: bit 0 automatic, bit 1 manual, bit 2 ductors on in automatic.
QString ductorModeText(int status);
QString ductorsAutoText(int status);
inline bool manualMode(int status) {
    return (status & 2) != 0;
}

} // namespace kalvex
