#include "data/TagMap.h"

#include <numeric>

namespace kalvex {

namespace {

struct Item {
    const char* address;
    qint32 value;
};

// Items 122 to 142: the set-up parameters with their defaults.
constexpr Item kSetupItems[] = {
    {"W1092", 600}, {"W1094", 1000}, {"W1096", 380}, {"W690", 500}, {"B692", 200}, {"B1013", 25},
    {"B1014", 100}, {"B694", 0},     {"W1004", 32},  {"B1003", 1},  {"B1000", 12}, {"B1001", 0},
    {"B1002", 0},   {"B1010", 1},    {"B1006", 15},  {"B1007", 28}, {"B1008", 15}, {"B1009", 28},
    {"W830", 180},  {"W832", 185},   {"W834", 0},
};

// Items 1744 to 1746: the DF1 gateway settings.
constexpr Item kGatewayItems[] = {{"B1401.0", 0}, {"B1450", 1}, {"B1411", 10}};

// Shift totals: items 37-42 (current shift) and 79-84 (last shift) add these to their base.
constexpr int kShiftTotalOffsets[] = {0, 4, 8, 16, 20, 12};

QString word(int number) {
    return QStringLiteral("W%1").arg(number);
}

void setTripAddresses(SetupData& d, int firstItem, int firstWord) {
    for (int s = 0; s < 36; ++s)
        d.Address[size_t(firstItem + s)] = word(firstWord + 2 * s);
}

void setShiftTotals(SetupData& d, int firstItem, int base) {
    for (int k = 0; k < 6; ++k)
        d.Address[size_t(firstItem + k)] = QStringLiteral("D%1").arg(base + kShiftTotalOffsets[k]);
}

void setLabel(SetupData& d, int label) {
    const size_t first = size_t(kFirstLabelItem + kItemsPerLabel * label);
    for (int d1 = 0; d1 < 8; ++d1) {
        d.Address[first + size_t(d1)] = QStringLiteral("B%1").arg(3100 + 30 * label + d1);
        d.Address[first + 8 + size_t(d1)] = word(3110 + 30 * label + 2 * d1);
        d.Value[first + 8 + size_t(d1)] = 350;
    }
}

void setItems(SetupData& d, int firstItem, const Item* items, size_t count) {
    for (size_t k = 0; k < count; ++k) {
        d.Address[size_t(firstItem) + k] = QString::fromLatin1(items[k].address);
        d.Value[size_t(firstItem) + k] = items[k].value;
    }
}

std::vector<int> span(int first, int last) {
    std::vector<int> v(size_t(last - first + 1));
    std::iota(v.begin(), v.end(), first);
    return v;
}

} // namespace

SetupData defaultDataSet(const QString& version) {
    SetupData d;
    d.Version = version;
    d.Address.resize(kItemCount + 1);
    d.Value.resize(kItemCount + 1, 0);
    d.Address[0] = QStringLiteral("B1011");
    setTripAddresses(d, 1, 1020);
    setShiftTotals(d, 37, 1100);
    setTripAddresses(d, 43, 1124);
    setShiftTotals(d, 79, 1200);
    setTripAddresses(d, 85, 1224);
    d.Address[121] = QStringLiteral("D1304");
    setItems(d, 122, kSetupItems, std::size(kSetupItems));
    d.Address[kColorControlItem] = QStringLiteral("W686");
    for (int label = 0; label < kLabelCount; ++label)
        setLabel(d, label);
    setItems(d, 1744, kGatewayItems, std::size(kGatewayItems));
    return d;
}

std::vector<int> setupDataItems() {
    std::vector<int> v{0};
    for (int i : span(122, 142))
        v.push_back(i);
    for (int i : span(1744, 1746))
        v.push_back(i);
    return v;
}

std::vector<int> shiftDataItems() {
    return span(1, 121);
}

std::vector<int> labelDataItems(int firstLabel, int lastLabel) {
    firstLabel = qBound(0, firstLabel, kLabelCount - 1);
    lastLabel = qBound(firstLabel, lastLabel, kLabelCount - 1);
    return span(kFirstLabelItem + kItemsPerLabel * firstLabel,
                kFirstLabelItem + kItemsPerLabel * lastLabel + kItemsPerLabel - 1);
}

std::vector<int> allDataItems() {
    return span(0, kItemCount);
}

} // namespace kalvex
