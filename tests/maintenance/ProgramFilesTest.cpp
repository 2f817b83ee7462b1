#include "ProgramFixture.h"
#include "data/program/DiraVez.h"
#include "data/program/HexImage.h"

using namespace kalvex;
using namespace kalvex::test;

namespace {

TEST(DiraVez, ReplacesDigitsBothWaysInPlace) {
    QString hex = QStringLiteral("3F");
    EXPECT_EQ(HEX2DiraVEZ(hex), "3?");
    EXPECT_EQ(hex, "3?");
    QString dv = QStringLiteral("=:");
    EXPECT_EQ(DiraVez2HEX(dv), "DA");
    EXPECT_EQ(dv, "DA");
    EXPECT_EQ(diraVezPair(0xA7), ":7");
}

TEST(HexValidation, ChecksTheWholeFile) {
    // 255 data bytes with a right record checksum: only the count itself is wrong.
    const std::string countFF = ":FF000000" + std::string(510, '0') + "01\n";
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"WithRecordChecksum", ":03400000010203B7\r\n:00000001FF\r\n", true},
        {"WithoutChecksumAsUploaded", ":03400000010203\r\n:00000001FF\r\n", true},
        {"LowerCaseAndBlanks", "  :03400000AAbbcc\n", true},
        {"WrongChecksum", ":03400000010203B8\n", false},
        {"Truncated", ":034000000102\n", false},
        {"NonHexDigit", ":034000000102G3\n", false},
        {"NoColon", ":03400000010203\n0340000001020376\n", false},
        {"BlankLineMidFile", ":03400000010203\n\n:03400100010203\n", false},
        {"CountIsAttentionByte", countFF.c_str(), false},
        {"PastTheTopOfMemory", ":03FFFE00010203\n", false},
        {"ExtendedAddressRecord", ":020000040001F9\n:03400000010203\n", false},
        {"OnlyTheEndRecord", ":00000001FF\n", false},
    };
    for (auto [name, text, valid] : cases) {
        const HexFile f = parseHexText(text);
        EXPECT_EQ(f.status == HexFile::Status::Ok, valid) << name << ": " << qPrintable(f.why);
    }
}

using ProgramFilesTest = ProgramFixture;

TEST_F(ProgramFilesTest, DerivedNamesAreLowerCaseAndOnlyTheRevFileIsReadForBoardD) {
    write("LINE1.OVP", "D\r\n");
    write("LINE1.rev", "ABCDEFGH:?05\r\n");
    files.DownloadFile(path("LINE1.OVP"));
    EXPECT_TRUE(files.ValidProgram());
    EXPECT_EQ(files.names().rev, path("LINE1.rev"));
    EXPECT_EQ(files.names().hex, path("LINE1.hex"));
    EXPECT_EQ(files.names().lcf, path("LINE1.lcf"));
    EXPECT_EQ(files.ident(), "ABCDEFGH");
    EXPECT_EQ(files.checksum(), "175");
    EXPECT_EQ(files.revision(), "5");
    EXPECT_EQ(files.boardName(), "P9100(PLC)");
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(ProgramFilesTest, SelectionDecidesValidProgramAndSaysWhy) {
    const char* const lcf = "F000000000000000000000000000000000020071000%";
    struct Case {
        const char* ovp;
        const char* rev; // nullptr: no file
        const char* lcf;
        bool valid;
        const char* lastBox; // text the last box holds; empty: no box
    };
    const Case cases[] = {
        {"8", "ID:?05", lcf, true, ""},
        {"8", nullptr, lcf, false,
         "P.rev Revision File is Not Valid\r\n\r\nProgram Downloaded Halted!"},
        {"8", "ID:?05", nullptr, false, "P.lcf Configuration File is Not Valid"},
        {"E", "ID:?05", nullptr, false,
         "P file is a PLS target board program.\r\nOpen PLS program"},
        {"1", "ID:?05", nullptr, false, "P file is incompatible with target board."},
        {"D", "AB", nullptr, false, "Revision File is Not Valid"},        // field too short
        {"D", "IDENTXY05", nullptr, false, "Revision File is Not Valid"}, // pair not DiraVEZ
        // An ident character above one byte is refused only where it would be written.
        {"D", "KV\xe2\x82\xac:?05", nullptr, false, "Revision File is Not Valid"},
        {"D", "ABCDEFGH\xe2\x82\xac:?05", nullptr, true, ""},
        {"", "ID:?05", nullptr, false, ""}, // an empty .ovp says nothing
    };
    for (const Case& c : cases) {
        prompt.boxes.clear();
        write("P.ovp", c.ovp);
        c.rev ? write("P.rev", c.rev) : void(QFile::remove(path("P.rev")));
        c.lcf ? write("P.lcf", c.lcf) : void(QFile::remove(path("P.lcf")));
        files.DownloadFile(path("P.ovp"));
        EXPECT_EQ(files.ValidProgram(), c.valid) << c.ovp << " " << c.lastBox;
        const QString last = prompt.boxes.empty() ? QString() : prompt.boxes.back().text;
        EXPECT_EQ(prompt.boxes.empty(), !*c.lastBox) << qPrintable(last);
        EXPECT_TRUE(last.contains(c.lastBox)) << qPrintable(last);
    }
}

TEST_F(ProgramFilesTest, ShortLcfLineReadsMissingDigitsAsZeroAndUtf8IdentsAreOneBytePerChar) {
    write("P.ovp", "8");
    write("P.rev", "L\xc3\xadnea:?05"); // UTF-8 i with acute: one byte, 237
    write("P.lcf", "F00000000000000000000000000000000002");
    files.DownloadFile(path("P.ovp"));
    ASSERT_TRUE(files.ValidProgram());
    EXPECT_EQ(files.config().a, 2);
    EXPECT_EQ(files.config().b, 0);
    EXPECT_EQ(files.config().c, 0);
    EXPECT_EQ(files.ident(), QString::fromUtf8("L\xc3\xadnea"));
}

TEST_F(ProgramFilesTest, UploadFileOnAMissingOvpRefusesAndKeepsTheEarlierNames) {
    write("A.ovp", "D");
    ASSERT_TRUE(files.UploadFile(path("A.ovp")));
    EXPECT_FALSE(files.UploadFile(path("B.ovp")));
    write("C.ovp", "");
    EXPECT_FALSE(files.UploadFile(path("C.ovp")));
    EXPECT_EQ(files.names().hex, path("A.hex"));
    EXPECT_EQ(files.boardType(), 'D');
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_TRUE(prompt.boxes[0].text.endsWith("B.ovp File Does Not Exist."));
}

} // namespace
