#include "data/TagMap.h"
#include "data/AppState.h"

#include <gtest/gtest.h>

#include <set>

using namespace kalvex;

namespace {

TEST(TagMap, ItemsHaveTheirOwnAddressesAndDefaults) {
    const struct {
        int index;
        const char* address;
        qint32 value;
    } cases[] = {
        {0, "B1011", 0},    {1, "W1020", 0},      {36, "W1090", 0},     {37, "D1100", 0},
        {40, "D1116", 0},   {42, "D1112", 0},     {43, "W1124", 0},     {78, "W1194", 0},
        {79, "D1200", 0},   {84, "D1212", 0},     {85, "W1224", 0},     {120, "W1294", 0},
        {121, "D1304", 0},  {122, "W1092", 600},  {123, "W1094", 1000}, {124, "W1096", 380},
        {125, "W690", 500}, {126, "B692", 200},   {129, "B694", 0},     {130, "W1004", 32},
        {132, "B1000", 12}, {135, "B1010", 1},    {139, "B1009", 28},   {140, "W830", 180},
        {141, "W832", 185}, {142, "W834", 0},     {143, "W686", 0},     {144, "B3100", 0},
        {151, "B3107", 0},  {152, "W3110", 350},  {159, "W3124", 350},  {160, "B3130", 0},
        {1735, "B6077", 0}, {1736, "W6080", 350}, {1743, "W6094", 350}, {1744, "B1401.0", 0},
        {1745, "B1450", 1}, {1746, "B1411", 10},
    };
    const SetupData d = defaultDataSet(QStringLiteral("v"));
    ASSERT_EQ(d.Address.size(), 1747u);
    ASSERT_EQ(d.Value.size(), 1747u);
    for (const auto& c : cases) {
        EXPECT_EQ(d.Address[size_t(c.index)], QLatin1String(c.address)) << c.index;
        EXPECT_EQ(d.Value[size_t(c.index)], c.value) << c.index;
    }
    const std::set<QString> unique(d.Address.begin(), d.Address.end());
    EXPECT_EQ(unique.size(), d.Address.size());
    EXPECT_EQ(unique.count(QString()), 0u);
}

// The sets themselves are pinned by what the transfers move; here only the label clamping.
TEST(TagMap, LabelSetsClampTheirRange) {
    EXPECT_EQ(labelDataItems(7, 3), labelDataItems(7, 7));
    const std::vector<int> all = labelDataItems(-1, 150);
    ASSERT_EQ(all.size(), 1600u);
    EXPECT_EQ(all.front(), 144);
    EXPECT_EQ(all.back(), 1743);
}

TEST(AppState, StartsWithTheDefaultsAndAnUnnamedFile) {
    AppState s;
    EXPECT_EQ(s.gProgramVersion, QStringLiteral("KALVEX_R") + QStringLiteral(KALVEX_VERSION));
    EXPECT_EQ(s.gDefaultData.Version, s.gProgramVersion);
    EXPECT_EQ(s.gCurrentData, s.gDefaultData);
    EXPECT_EQ(s.gSavedData, s.gDefaultData);
    EXPECT_TRUE(s.gFileUnnamed);
    EXPECT_EQ(s.windowCaption(), QStringLiteral("KALVEX - [unnamed]"));
}

} // namespace
