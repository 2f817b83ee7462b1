#include "ProgramFixture.h"
#include "maintenance/DiraVez.h"
#include "maintenance/HexImage.h"

using namespace kalvex;
using namespace kalvex::test;

namespace {

TEST(DiraVez, ReplacesDigitsBothWaysInPlace) {
    QString hex = QStringLiteral("3F");
    EXPECT_EQ(HEX2DiraVEZ(hex), QStringLiteral("3?"));
    EXPECT_EQ(hex, QStringLiteral("3?"));
    QString dv = QStringLiteral("=:");
    EXPECT_EQ(DiraVez2HEX(dv), QStringLiteral("DA"));
    EXPECT_EQ(dv, QStringLiteral("DA"));
    EXPECT_EQ(diraVezByte(u":?"), 175);
    EXPECT_EQ(diraVezByte(u"0Z"), std::nullopt);
    EXPECT_EQ(diraVezPair(0xA7), QStringLiteral(":7"));
}

struct HexCase {
    const char* name;
    const char* text;
    bool valid;
};

// 255 data bytes with a right record checksum: only the count itself is wrong.
const std::string kCountFF = ":FF000000" + std::string(510, '0') + "01\n";

class HexValidation : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexValidation, ChecksTheWholeFile) {
    const HexFile f = parseHexText(GetParam().text);
    EXPECT_EQ(f.status == HexFile::Status::Ok, GetParam().valid) << qPrintable(f.why);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, HexValidation,
    ::testing::Values(HexCase{"WithRecordChecksum", ":03400000010203B7\r\n:00000001FF\r\n", true},
                      HexCase{"WithoutChecksumAsUploaded", ":03400000010203\r\n:00000001FF\r\n",
                              true},
                      HexCase{"LowerCaseAndBlanks", "  :03400000AAbbcc\n", true},
                      HexCase{"WrongChecksum", ":03400000010203B8\n", false},
                      HexCase{"Truncated", ":034000000102\n", false},
                      HexCase{"NonHexDigit", ":034000000102G3\n", false},
                      HexCase{"NoColon", ":03400000010203\n0340000001020376\n", false},
                      HexCase{"BlankLineMidFile", ":03400000010203\n\n:03400100010203\n", false},
                      HexCase{"CountIsAttentionByte", kCountFF.c_str(), false},
                      HexCase{"PastTheTopOfMemory", ":03FFFE00010203\n", false},
                      HexCase{"ExtendedAddressRecord", ":020000040001F9\n:03400000010203\n", false},
                      HexCase{"OnlyTheEndRecord", ":00000001FF\n", false}),
    [](const auto& p) { return std::string(p.param.name); });

class ProgramFilesTest : public ProgramFixture {};

TEST_F(ProgramFilesTest, DerivedNamesAreLowerCaseAndOnlyTheRevFileIsReadForBoardD) {
    write(QStringLiteral("LINE1.OVP"), "D\r\n");
    write(QStringLiteral("LINE1.rev"), "ABCDEFGH:?05\r\n");
    files.DownloadFile(path(QStringLiteral("LINE1.OVP")));
    EXPECT_TRUE(files.ValidProgram());
    EXPECT_EQ(files.names().rev, path(QStringLiteral("LINE1.rev")));
    EXPECT_EQ(files.names().hex, path(QStringLiteral("LINE1.hex")));
    EXPECT_EQ(files.names().lcf, path(QStringLiteral("LINE1.lcf")));
    EXPECT_EQ(files.ident(), QStringLiteral("ABCDEFGH"));
    EXPECT_EQ(files.checksum(), QStringLiteral("175"));
    EXPECT_EQ(files.revision(), QStringLiteral("5"));
    EXPECT_EQ(files.boardName(), QStringLiteral("P9100(PLC)"));
    EXPECT_TRUE(prompt.boxes.empty());
}

struct SelectionCase {
    const char* name;
    const char* ovp;
    const char* rev; // nullptr: no file
    const char* lcf;
    bool valid;
    const char* lastBox; // text the last box begins or ends with; empty: no box
};

class Selection : public ProgramFixture, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(Selection, DecidesValidProgramAndSaysWhy) {
    const SelectionCase& c = GetParam();
    write(QStringLiteral("P.ovp"), c.ovp);
    if (c.rev) write(QStringLiteral("P.rev"), c.rev);
    if (c.lcf) write(QStringLiteral("P.lcf"), c.lcf);
    files.DownloadFile(path(QStringLiteral("P.ovp")));
    EXPECT_EQ(files.ValidProgram(), c.valid);
    if (*c.lastBox == 0) {
        EXPECT_TRUE(prompt.boxes.empty());
    } else {
        ASSERT_FALSE(prompt.boxes.empty());
        EXPECT_TRUE(prompt.boxes.back().text.contains(QLatin1String(c.lastBox)))
            << qPrintable(prompt.boxes.back().text);
    }
}

const char* const kLcf = "F000000000000000000000000000000000020071000%";

INSTANTIATE_TEST_SUITE_P(
    Files, Selection,
    ::testing::Values(
        SelectionCase{"ConfigBoardWithBoth", "8", "ID:?05", kLcf, true, ""},
        SelectionCase{"ConfigBoardRevMissing", "8", nullptr, kLcf, false,
                      "P.rev Revision File is Not Valid\r\n\r\nProgram Downloaded Halted!"},
        SelectionCase{"ConfigBoardLcfMissing", "8", "ID:?05", nullptr, false,
                      "P.lcf Configuration File is Not Valid"},
        SelectionCase{"PlsBoard", "E", "ID:?05", nullptr, false,
                      "P file is a PLS target board program.\r\nOpen PLS program"},
        SelectionCase{"IncompatibleBoard", "1", "ID:?05", nullptr, false,
                      "P file is incompatible with target board."},
        SelectionCase{"RevFieldTooShort", "D", "AB", nullptr, false, "Revision File is Not Valid"},
        SelectionCase{"RevPairNotDiraVez", "D", "IDENTXY05", nullptr, false,
                      "Revision File is Not Valid"},
        SelectionCase{"IdentCharacterAboveOneByte", "D", "KV\xe2\x82\xac:?05", nullptr, false,
                      "Revision File is Not Valid"},
        SelectionCase{"IdentBeyondEightIsNotWritten", "D", "ABCDEFGH\xe2\x82\xac:?05", nullptr,
                      true, ""},
        SelectionCase{"EmptyOvpSaysNothing", "", "ID:?05", nullptr, false, ""}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(ProgramFilesTest, ShortLcfLineReadsMissingDigitsAsZeroAndUtf8IdentsAreOneBytePerChar) {
    write(QStringLiteral("P.ovp"), "8");
    write(QStringLiteral("P.rev"), "L\xc3\xadnea:?05"); // UTF-8 i with acute: one byte, 237
    write(QStringLiteral("P.lcf"), "F00000000000000000000000000000000002");
    files.DownloadFile(path(QStringLiteral("P.ovp")));
    ASSERT_TRUE(files.ValidProgram());
    EXPECT_EQ(files.config().a, 2);
    EXPECT_EQ(files.config().b, 0);
    EXPECT_EQ(files.config().c, 0);
    EXPECT_EQ(files.ident(), QString::fromUtf8("L\xc3\xadnea"));
}

TEST_F(ProgramFilesTest, UploadFileOnAMissingOvpRefusesAndKeepsTheEarlierNames) {
    write(QStringLiteral("A.ovp"), "D");
    ASSERT_TRUE(files.UploadFile(path(QStringLiteral("A.ovp"))));
    EXPECT_FALSE(files.UploadFile(path(QStringLiteral("B.ovp"))));
    write(QStringLiteral("C.ovp"), "");
    EXPECT_FALSE(files.UploadFile(path(QStringLiteral("C.ovp"))));
    EXPECT_EQ(files.names().hex, path(QStringLiteral("A.hex")));
    EXPECT_EQ(files.boardType(), 'D');
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_TRUE(prompt.boxes[0].text.endsWith(QLatin1String("B.ovp File Does Not Exist.")));
}

} // namespace
