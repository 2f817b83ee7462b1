#include "link/Address.h"

#include <gtest/gtest.h>

using namespace kalvex;

namespace {

struct ParseCase {
    const char* add;
    char type;
    qint64 byte;
    int mask;
    bool bit;
    bool valid;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << (*c.add ? c.add : "(empty)");
}

class ParseAddressTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseAddressTest, Parses) {
    const ParseCase& c = GetParam();
    const ParsedAddress p = parseAddress(QString::fromLatin1(c.add));
    EXPECT_EQ(p.valid, c.valid) << c.add;
    if (!c.valid) return;
    EXPECT_EQ(p.type, QChar::fromLatin1(c.type)) << c.add;
    EXPECT_EQ(p.byteAddress, c.byte) << c.add;
    EXPECT_EQ(p.bitMode, c.bit) << c.add;
    if (c.bit) {
        EXPECT_EQ(p.bitMask, c.mask) << c.add;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ParseAddressTest,
    ::testing::Values(
        ParseCase{"B2088", 'B', 2088, 0, false, true},
        ParseCase{"b2088", 'B', 2088, 0, false, true}, ParseCase{"w112", 'W', 112, 0, false, true},
        ParseCase{"D1100", 'D', 1100, 0, false, true},
        ParseCase{"B1016.0", 'B', 1016, 1, true, true},
        ParseCase{"F1016.0", 'B', 1016, 1, true, true},
        ParseCase{"X1016.0", 'B', 1016, 1, true, true},
        ParseCase{"W20.7", 'B', 20, 128, true, true}, ParseCase{"F825", 'B', 135, 2, true, true},
        ParseCase{"F0", 'B', 32, 1, true, true}, ParseCase{"F7", 'B', 32, 128, true, true},
        ParseCase{"F8", 'B', 33, 1, true, true}, ParseCase{"FFH", 'B', 255, 0, false, true},
        ParseCase{"1F40h", 'B', 8000, 0, false, true}, ParseCase{"7H", 'B', 7, 0, false, true},
        ParseCase{"Q77", 'B', 32, 0, false, true}, ParseCase{"", 'B', 32, 0, false, true},
        ParseCase{"W65534", 'W', 65534, 0, false, true},
        ParseCase{"D65532", 'D', 65532, 0, false, true},
        // Cells that do not exist must never be sent as a truncated address.
        ParseCase{"B70000", 'B', 0, 0, false, false}, ParseCase{"W65535", 'W', 0, 0, false, false},
        ParseCase{"D65534", 'D', 0, 0, false, false}, ParseCase{"F600000", 'B', 0, 0, true, false},
        ParseCase{"FFFFFFH", 'B', 0, 0, false, false}, ParseCase{"B-1", 'B', 0, 0, false, false},
        ParseCase{"F-1", 'B', 0, 0, true, false}, ParseCase{"B10.8", 'B', 0, 0, true, false},
        ParseCase{"B10.x", 'B', 0, 0, true, false}, ParseCase{"B.0", 'B', 0, 0, true, false},
        ParseCase{"Bab.1", 'B', 0, 0, true, false}));

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
        EXPECT_EQ(equateAdd(QString::fromLatin1(c.var), c.board), QString::fromLatin1(c.expected))
            << c.var << " on " << char(c.board);
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
        EXPECT_EQ(validAdd(QString::fromLatin1(c.var), c.board), c.valid)
            << c.var << " on " << char(c.board);
}

TEST(OctalTools, ConvertTwoDigits) {
    const std::pair<qint16, qint16> pairs[] = {{0, 0}, {13, 15}, {63, 77}, {8, 10}, {7, 7}};
    for (auto [dec, oct] : pairs) {
        EXPECT_EQ(dec2Octal(dec), oct);
        EXPECT_EQ(octal2Dec(oct), dec);
    }
}

} // namespace
