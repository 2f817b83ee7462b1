#include "data/pages/Df1Codes.h"

#include <gtest/gtest.h>

using namespace kalvex;

namespace {

// The tables are the board's manual; here only the rules around them: which row uses which
// table, and what a code missing from a table shows.
TEST(Df1Codes, RowsAndCodesOutsideTheTables) {
    // clang-format off
    const std::tuple<int, qint64, const char*> rows[] = {
        {0, 33, "(33) Unknown Status"}, {2, 6, "(6) Message Packet Error"}, {3, 4711, "4711"},
        {4, 1, "Write"}, {4, 5, "5"}, {6, 0, "Command"}, {6, 1, "Reply"}, {8, 65535, "65535"}};
    const std::tuple<qint64, qint64, qint64, const char*> statuses[] = {
        {0, 16, 0, "(00) Success - No Error"}, {1, 0x1B, 0, "(1B) - Not Used"},
        {3, 240, 27, "(F0-1B) Another Node is the Program Owner"}, {1, 240, 28, "(F0-1C) - Not Used"}};
    // clang-format on
    for (auto [row, value, text] : rows)
        EXPECT_EQ(df1RowText(row, value), text) << row << " " << value;
    for (auto [status, sts, ext, text] : statuses)
        EXPECT_EQ(df1StatusText(status, sts, ext), text) << sts << " " << ext;
    EXPECT_EQ(df1Address(kDf1Reads), "");
    for (auto [value, index] : {std::pair<qint64, int>{1, 1}, {2, -1}, {-1, -1}})
        EXPECT_EQ(df1ListIndex(value), index) << value;
}

} // namespace
