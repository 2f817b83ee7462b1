#include "data/LabelRange.h"
#include "data/TransferPlan.h"

#include <gtest/gtest.h>

using namespace kalvex;

namespace {

TEST(LabelRange, OkAppliesTheRules) {
    const struct {
        bool rangeChosen;
        const char *from, *to;
        int first, last;
        bool cancelled;
    } cases[] = {
        // clang-format off
        {false, "x", "7", 0, 99, false},   // All Labels ignores the fields
        {true, "5", "3", 5, 5, false},     // last below first: first only
        {true, "-4", "150", 0, 99, false}, // clamped
        {true, "3", "7", 3, 7, false}, {true, " 12 ", "12", 12, 12, false},
        {true, "2.5", "3.5", 2, 4, false}, // half to even
        {true, "1e1", "20", 10, 20, false}, {true, "120", "130", 99, 99, false},
        {true, "0.4", "0.6", 0, 1, false}, {true, "abc", "5", 0, 5, true}, // non-numeric cancels
        {true, "5", "", 5, 5, true}, {true, "5x", "6", 0, 6, true}, {true, "inf", "6", 0, 6, true},
        // clang-format on
    };
    for (const auto& c : cases) {
        const std::optional<LabelRange> r =
            labelRangeOk(c.rangeChosen, QString::fromLatin1(c.from), QString::fromLatin1(c.to));
        EXPECT_EQ(!r, c.cancelled) << c.from << " " << c.to;
        if (r) {
            EXPECT_EQ(std::pair(r->first, r->last), std::pair(c.first, c.last)) << c.from;
        }
    }
    for (const int other : {3, 5, 13, 31, -1}) { // codes of no transfer move nothing
        EXPECT_EQ(transferPlan(other).text, QStringLiteral("Please Standby...")) << other;
        EXPECT_TRUE(transferPlan(other).items.empty()) << other;
    }
}

} // namespace
