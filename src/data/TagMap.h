#pragma once
#include "data/SetupData.h"

#include <vector>

namespace kalvex {

// The highest item index of a data set (1747 items).
inline constexpr int kItemCount = 1746;
inline constexpr int kLabelCount = 100;
inline constexpr int kFirstLabelItem = 144;
inline constexpr int kItemsPerLabel = 16;
// Item 143 ("W686") belongs to no set but "All".
inline constexpr int kColorControlItem = 143;

// The tag map with its default values, stamped with the given version text.
SetupData defaultDataSet(const QString& version);

// Items of each set in transfer order. Label numbers are clamped to 0-99, last to first.
std::vector<int> setupDataItems();
std::vector<int> shiftDataItems();
std::vector<int> labelDataItems(int firstLabel, int lastLabel);
std::vector<int> allDataItems();

} // namespace kalvex
