#pragma once
#include <QString>

#include <array>

namespace kalvex {

// One set-up parameter of the Set-up Parameters page: where it lives on the board, how the
// page and the printed report name it, and the bounds an entry must keep.
struct SetupParameter {
    int tab; // 0 Speed, 1 Ductor, 2 Blow-off, 3 Machine Timing
    const char* address;
    const char* caption; // on the page, with its access key
    const char* reportText;
    int min;
    int max;
};

constexpr int kSetupParameterCount = 21;
constexpr int kSetupDataOffset = 122;   // parameter i is data-set element i + 122
constexpr int kFeedbackIndex = 7;       // the ductor feedback mask: check boxes, not a field
constexpr int kQcShiftOffsetIndex = 13; // its Max follows the spindle count

const std::array<SetupParameter, kSetupParameterCount>& setupParameters();

// First and last parameter index read by one refresh pass of a tab.
struct IndexRange {
    int first;
    int last;
};
IndexRange setupTabRange(int tab);

// What the page reads beside the parameters, and its command's flag.
inline const QString kVarnishRpmAddress = QStringLiteral("W526");  // after index 2
inline const QString kSetupEnableAddress = QStringLiteral("F119"); // above 0: set-up allowed
inline const QString kMachinePositionAddress = QStringLiteral("W180");
inline const QString kTimingPositionAddress = QStringLiteral("W512");
inline const QString kZeroResolverAddress = QStringLiteral("F831");

} // namespace kalvex
