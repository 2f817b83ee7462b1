#include "data/pages/Df1Codes.h"

#include <gtest/gtest.h>

using namespace kalvex;

namespace {

TEST(Df1Codes, PassOrderAndCaptions) {
    const char* const addresses[] = {"B1423",   "B1421", "B1422", "W1416",   "B1414", "B1426",
                                     "B1702.6", "B1703", "W1704", "B1401.0", "B1450", "B1411"};
    for (int i = 0; i < kDf1Reads; ++i)
        EXPECT_EQ(df1Address(i), addresses[i]) << i;
    EXPECT_EQ(df1Address(kDf1Reads), "");
    EXPECT_EQ(df1Caption(0), "K5800 Configuration Status:");
    EXPECT_EQ(df1Caption(11), "Desination File &Number:");
}

TEST(Df1Codes, RowTextsFromTheTablesAndTheirDefaults) {
    const std::tuple<int, qint64, const char*> cases[] = {
        {0, 2, "(2) Success"},
        {0, 34, "(34) Invalid Slot ADD"},
        {0, 0, "(0) Unknown Status"},
        {0, 33, "(33) Unknown Status"},
        {1, 3, "(3) DLE NAK Received"},
        {2, 6, "(6) Message Packet Error"},
        {2, 7, "(7) Unknown Status"},
        {3, 4711, "4711"},
        {4, 0, "Read"},
        {4, 1, "Write"},
        {4, 5, "5"},
        {5, 24, "24"},
        {6, 0, "Command"},
        {6, 1, "Reply"},
        {8, 65535, "65535"},
    };
    for (auto [row, value, text] : cases)
        EXPECT_EQ(df1RowText(row, value), text) << row << " " << value;
}

TEST(Df1Codes, LinkLayerStatusByStsAndExtSts) {
    const std::tuple<qint64, qint64, qint64, const char*> cases[] = {
        {0, 16, 0, "(00) Success - No Error"},
        {1, 16, 0, "(10) Illegal Command or Format"},
        {1, 1, 0, "(01) Not Used"},
        {1, 0xC0, 0, "(C0) Cannot Execute Command Due to Active IPBs"},
        {1, 9, 0, "(9) - Not Used"},
        {1, 0, 0, "(0) - Not Used"},
        {1, 0x1B, 0, "(1B) - Not Used"},
        {1, 255, 0, "(FF) - Not Used"},
        {3, 240, 27, "(F0-1B) Another Node is the Program Owner"},
        {1, 240, 0, "(F0-0) Not Used"},
        {1, 240, 10, "(F0-A) Transaction Size plus Word Address is Too Large"},
        {1, 240, 28, "(F0-1C) - Not Used"},
        {1, 240, 255, "(F0-FF) - Not Used"},
    };
    for (auto [status, sts, ext, text] : cases)
        EXPECT_EQ(df1StatusText(status, sts, ext), text) << sts << " " << ext;
}

TEST(Df1Codes, OnlyZeroAndOneAreListEntries) {
    const std::pair<qint64, int> cases[] = {{0, 0}, {1, 1}, {2, -1}, {-1, -1}, {255, -1}};
    for (auto [value, index] : cases)
        EXPECT_EQ(df1ListIndex(value), index) << value;
}

} // namespace
