#include "data/LabelRange.h"
#include "data/TransferPlan.h"

#include <gtest/gtest.h>

using namespace kalvex;

namespace {

struct RangeCase {
    bool rangeChosen;
    const char* from;
    const char* to;
    int first;
    int last;
    bool cancelled;
};

TEST(LabelRange, OkAppliesTheRules) {
    const RangeCase cases[] = {
        {false, "", "", 0, 99, false}, // All Labels ignores the fields
        {false, "x", "7", 0, 99, false},
        {true, "5", "3", 5, 5, false},     // last below first: first only
        {true, "-4", "150", 0, 99, false}, // clamped
        {true, "3", "7", 3, 7, false},
        {true, " 12 ", "12", 12, 12, false},
        {true, "2.5", "3.5", 2, 4, false}, // half to even
        {true, "1e1", "20", 10, 20, false},
        {true, "120", "130", 99, 99, false},
        {true, "0.4", "0.6", 0, 1, false},
        {true, "abc", "5", 0, 5, true}, // non-numeric cancels
        {true, "5", "", 5, 5, true},
        {true, "5x", "6", 0, 6, true},
        {true, "inf", "6", 0, 6, true},
    };
    for (const RangeCase& c : cases) {
        const std::optional<LabelRange> r =
            labelRangeOk(c.rangeChosen, QString::fromLatin1(c.from), QString::fromLatin1(c.to));
        EXPECT_EQ(!r, c.cancelled) << c.from << " " << c.to;
        if (r) {
            EXPECT_EQ(r->first, c.first) << c.from << " " << c.to;
            EXPECT_EQ(r->last, c.last) << c.from << " " << c.to;
        }
    }
}

struct PlanCase {
    int code;
    const char* text;
    int maximum;
    size_t items;
    int firstItem;
    int lastItem;
};

TEST(TransferPlan, CodesGiveTextMaximumAndItems) {
    const PlanCase cases[] = {
        {0, "Uploading Set-up Data, Please Standby...", 24, 25, 0, 1746},
        {1, "Uploading Shift Data, Please Standby...", 121, 121, 1, 121},
        {2, "Uploading Label Data, Please Standby...", 49, 48, 192, 239},
        {4, "Uploading, Please Standby...", 1747, 1747, 0, 1746},
        {10, "Downloading Set-Up Data, Please Standby...", 24, 25, 0, 1746},
        {11, "Downloading Shift Data, Please Standby...", 121, 121, 1, 121},
        {12, "Downloading Label Data, Please Standby...", 49, 48, 192, 239},
        {14, "Downloading, Please Standby...", 1747, 1747, 0, 1746},
    };
    for (const PlanCase& c : cases) {
        const TransferPlan p = transferPlan(c.code, 3, 5);
        EXPECT_EQ(p.text, QLatin1String(c.text)) << c.code;
        EXPECT_EQ(p.maximum, c.maximum) << c.code;
        EXPECT_EQ(p.upload, c.code < 10) << c.code;
        ASSERT_EQ(p.items.size(), c.items) << c.code;
        EXPECT_EQ(p.items.front(), c.firstItem) << c.code;
        EXPECT_EQ(p.items.back(), c.lastItem) << c.code;
    }
    for (const int other : {3, 5, 13, 31, -1}) {
        EXPECT_EQ(transferPlan(other).text, QStringLiteral("Please Standby...")) << other;
        EXPECT_TRUE(transferPlan(other).items.empty()) << other;
    }
}

} // namespace
