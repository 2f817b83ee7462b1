#include "data/TagMap.h"

#include <gtest/gtest.h>

#include <set>

using namespace kalvex;

namespace {

// The first and last item of each block of the map: a block shifted by one moves its ends.
TEST(TagMap, BlockEndsHaveTheirAddressesAndDefaults) {
    // clang-format off
    const std::tuple<int, const char*, qint32> cases[] = {
        {0, "B1011", 0}, {1, "W1020", 0}, {36, "W1090", 0}, {37, "D1100", 0}, {43, "W1124", 0},
        {78, "W1194", 0}, {79, "D1200", 0}, {121, "D1304", 0}, {122, "W1092", 600},
        {125, "W690", 500}, {142, "W834", 0}, {143, "W686", 0}, {144, "B3100", 0},
        {152, "W3110", 350}, {1743, "W6094", 350}, {1744, "B1401.0", 0}, {1746, "B1411", 10}};
    // clang-format on
    const SetupData d = defaultDataSet(QStringLiteral("v"));
    ASSERT_EQ(d.Address.size(), 1747u);
    ASSERT_EQ(d.Value.size(), 1747u);
    for (const auto& [index, address, value] : cases) {
        EXPECT_EQ(d.Address[size_t(index)], QLatin1String(address)) << index;
        EXPECT_EQ(d.Value[size_t(index)], value) << index;
    }
    const std::set<QString> unique(d.Address.begin(), d.Address.end());
    EXPECT_EQ(unique.size(), d.Address.size());
    EXPECT_EQ(unique.count(QString()), 0u);
    // The sets themselves are pinned by what the transfers move; here only the label clamping.
    EXPECT_EQ(labelDataItems(7, 3), labelDataItems(7, 7));
    EXPECT_EQ(labelDataItems(-1, 150), labelDataItems(0, 99));
    EXPECT_EQ(labelDataItems(0, 99).size(), 1600u);
}

} // namespace
