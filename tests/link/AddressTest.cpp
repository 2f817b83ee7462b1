#include "link/Address.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace kalvex;

namespace {

TEST(ParseAddress, ReadsEveryFormAndRefusesCellsThatDoNotExist) {
    struct Case {
        const char* add;
        char type;
        qint64 byte;
        int mask; // 0: not a bit
    };
    const Case cases[] = {
        {"B2088", 'B', 2088, 0},   {"b2088", 'B', 2088, 0},   {"w112", 'W', 112, 0},
        {"D1100", 'D', 1100, 0},   {"B1016.0", 'B', 1016, 1}, {"F1016.0", 'B', 1016, 1},
        {"X1016.0", 'B', 1016, 1}, {"W20.7", 'B', 20, 128},   {"F825", 'B', 135, 2},
        {"F0", 'B', 32, 1},        {"F7", 'B', 32, 128},      {"F8", 'B', 33, 1},
        {"FFH", 'B', 255, 0},      {"1F40h", 'B', 8000, 0},   {"7H", 'B', 7, 0},
        {"Q77", 'B', 32, 0},       {"", 'B', 32, 0},          {"W65534", 'W', 65534, 0},
        {"D65532", 'D', 65532, 0},
    };
    for (const Case& c : cases) {
        const ParsedAddress p = parseAddress(c.add);
        EXPECT_TRUE(p.valid) << c.add;
        EXPECT_EQ(p.type, QChar::fromLatin1(c.type)) << c.add;
        EXPECT_EQ(p.byteAddress, c.byte) << c.add;
        EXPECT_EQ(p.bitMode ? p.bitMask : 0, c.mask) << c.add;
    }
    // Never sent as a truncated address.
    for (const char* add : {"B70000", "W65535", "D65534", "F600000", "FFFFFFH", "B-1", "F-1",
                            "B10.8", "B10.x", "B.0", "Bab.1"})
        EXPECT_FALSE(parseAddress(add).valid) << add;
}

TEST(EquateAdd, MapsPointsToBytes) {
    struct Case {
        const char* var;
        int board;
        const char* expected;
    };
    const Case cases[] = {
        {"X30.3", '1', "B49.3"}, {"Y141", '1', "B67"}, {"Y151", '2', "B191"},  {"X0", '2', "B160"},
        {"I151", '2', "B223"},   {"X12", '2', "X12"},  {"Y1.9", ':', "B50.7"}, {"x11", ';', "B52"},
        {"Y21", 'A', "B54"},     {"Y11", '=', "B52"},  {"X10", 'D', "X10"},    {"I0", '1', "I0"},
        {"W100", '2', "W100"},   {"", '2', ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(equateAdd(c.var, c.board), c.expected) << c.var << " on " << char(c.board);
}

TEST(ValidAdd, AppliesRangesPerBoardGroup) {
    struct Case {
        const char* var;
        int board;
        bool valid;
    };
    const Case cases[] = {
        {"W113", 'D', false},  {"W112", 'D', true},  {"B31", '1', false},   {"B32", '1', true},
        {"B255", '1', true},   {"B256", '1', false}, {"B8275", 'D', true},  {"B8276", '2', false},
        {"B65535", '9', true}, {"W8274", '2', true}, {"D8276", 'D', false}, {"F120", '1', true},
        {"F121", '1', false},  {"F991", 'D', true},  {"X12", '1', false},   {"X151", '1', true},
        {"X10", 'D', false},   {"X21", '4', true},   {"X22", '4', false},   {"I21", '3', true},
        {"I1", '9', false},    {"Y1", 0, false},     {"Z0", '1', true},     {"Z1", '1', false},
        {"X1.3", '1', true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(validAdd(c.var, c.board), c.valid) << c.var << " on " << char(c.board);
}

} // namespace
