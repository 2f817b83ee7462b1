#pragma once
#include <QString>

#include <array>

namespace kalvex {

// The Main Display's five displays: online the board address read, offline the data-set item
// shown (-1: "-"), and the caption of its frame.
struct MainDisplay {
    const char* address;
    int offlineItem;
    const char* caption;
};
constexpr int kMainDisplayCount = 5;
constexpr std::array<MainDisplay, kMainDisplayCount> kMainDisplays{{
    {"W112", -1, "Machine CPM"},
    {"W526", -1, "O'Varnish RPM"},
    {"D1100", 37, "Good Cans"},
    {"D1104", 38, "Blow-offs"},
    {"D1304", 121, "Lifetime Count (x1000)"},
}};

// The spindle the Q.C. blow-off aims at.
inline const QString kBlowoffTargetAddress = QStringLiteral("B2088");

} // namespace kalvex
