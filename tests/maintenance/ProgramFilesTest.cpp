#include "ProgramFixture.h"
#include "data/board/BoardSettings.h"
#include "data/board/FaultCodes.h"
#include "data/board/ProgramIdent.h"
#include "data/program/HexImage.h"

using namespace kalvex;
using namespace kalvex::test;

namespace {

TEST(HexValidation, ChecksTheWholeFile) {
    // 255 data bytes with a right record checksum: only the count itself is wrong.
    const std::string countFF = ":FF000000" + std::string(510, '0') + "01\n";
    const std::tuple<const char*, const char*, bool> cases[] = {
        // clang-format off
        {"LowerCaseAndBlanks", "  :03400000AAbbcc\n", true}, {"WrongChecksum", ":03400000010203B8\n", false},
        {"Truncated", ":034000000102\n", false}, {"NonHexDigit", ":034000000102G3\n", false},
        {"NoColon", ":03400000010203\n0340000001020376\n", false}, {"OnlyTheEndRecord", ":00000001FF\n", false},
        {"BlankLineMidFile", ":03400000010203\n\n:03400100010203\n", false}, {"CountIsAttentionByte", countFF.c_str(), false},
        {"PastTheTopOfMemory", ":03FFFE00010203\n", false}, {"ExtendedAddressRecord", ":020000040001F9\n:03400000010203\n", false},
        // clang-format on
    };
    for (auto [name, text, valid] : cases) {
        const HexFile f = parseHexText(text);
        EXPECT_EQ(f.status == HexFile::Status::Ok, valid) << name << ": " << qPrintable(f.why);
    }
}

using ProgramFilesTest = ProgramFixture;

TEST_F(ProgramFilesTest, DerivedNamesIdentAShortLcfLineAndAMissingOvpForUpload) {
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
    // A short .lcf line reads its missing digits as zero; a UTF-8 ident is one byte a character.
    write("P.ovp", "8");
    write("P.rev", "L\xc3\xadnea:?05");
    write("P.lcf", "F00000000000000000000000000000000002");
    files.DownloadFile(path("P.ovp"));
    ASSERT_TRUE(files.ValidProgram());
    EXPECT_EQ(files.config().a, 2);
    EXPECT_EQ(files.config().b, 0);
    EXPECT_EQ(files.config().c, 0);
    EXPECT_EQ(files.ident(), QString::fromUtf8("L\xc3\xadnea"));
    // For an upload a missing or empty .ovp is refused and the earlier names kept.
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

TEST_F(ProgramFilesTest, SelectionDecidesValidProgramAndSaysWhy) {
    const char* const lcf = "F000000000000000000000000000000000020071000%";
    // .ovp, .rev and .lcf (nullptr: no file), valid, the last box's text (empty: no box)
    const std::tuple<const char*, const char*, const char*, bool, const char*> cases[] = {
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
    for (const auto& [ovp, rev, lcfText, valid, lastBox] : cases) {
        prompt.boxes.clear();
        write("P.ovp", ovp);
        rev ? write("P.rev", rev) : void(QFile::remove(path("P.rev")));
        lcfText ? write("P.lcf", lcfText) : void(QFile::remove(path("P.lcf")));
        files.DownloadFile(path("P.ovp"));
        EXPECT_EQ(files.ValidProgram(), valid) << ovp << " " << lastBox;
        const QString last = prompt.boxes.empty() ? QString() : prompt.boxes.back().text;
        EXPECT_EQ(prompt.boxes.empty(), !*lastBox) << qPrintable(last);
        EXPECT_TRUE(last.contains(lastBox)) << qPrintable(last);
    }
}

// The window takes a code's last record (the link's first is its own test), "00" no text.
TEST(FaultCodes, TheLastRecordOfACodeAndTheShippedFiles) {
    const CodeTexts faults = CodeTexts::fromBytes(
        CodeFile::Faults, "# header, not a code\r\n0a,First\r\n 0A , \"Second, quoted\"\r\n");
    EXPECT_EQ(faults.describe("0A"), "Second, quoted");
    EXPECT_EQ(faults.describe("00"), "");
    // The shipped texts name only codes the board's documents describe.
    const CodeTexts shipped = CodeTexts::load(KALVEX_SOURCE_DIR, CodeFile::Faults);
    EXPECT_EQ(shipped.describe("5C"), "Program is invalid.");
    EXPECT_EQ(shipped.describe("01"), "Fault Code (01H): no text installed for this code");
    EXPECT_EQ(CodeTexts::load(KALVEX_SOURCE_DIR, CodeFile::CommErrors).describe("0A"),
              "Comm Error Code (0AH): no text installed for this code");
}

QStringList flat(const std::vector<BoardWrite>& writes) {
    QStringList out;
    for (const BoardWrite& w : writes)
        out << w.address + u'=' + w.value;
    return out;
}

TEST(BoardSettings, ClockSplitOfOneInstant) {
    // clang-format off
    const std::tuple<QDateTime, QStringList, QStringList> cases[] = {
        {QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59, 900)), {"B43012=23", "B43010=59", "B43008=59"}, {"B43016=12", "B43015=31", "B43017=99"}},
        {QDateTime(QDate(2000, 2, 29), QTime(0, 0, 0)), {"B43012=0", "B43010=0", "B43008=0"}, {"B43016=2", "B43015=29", "B43017=00"}},
    };
    // clang-format on
    for (const auto& [when, time, date] : cases) {
        EXPECT_EQ(flat(clockTimeWrites(when)), time) << qPrintable(when.toString());
        EXPECT_EQ(flat(clockDateWrites(when)), date) << qPrintable(when.toString());
    }
    EXPECT_EQ(pcTimeText(QDateTime(QDate(2005, 1, 5), QTime(9, 8, 7))), "09 : 08 : 07");
}

TEST_F(ProgramFilesTest, DiskIdentFromTheRevAndHexFilesOrTheDefaults) {
    const std::tuple<QByteArray, QByteArray, bool, const char*, const char*, int, int, bool>
        cases[] = {
            {"D,program\r\n", "KVX91D07:707\r\n", true, "KVX91D07", "P9100(PLC)", 7, 167, true},
            {"A\r\n", "\"LINE 10005\",x\r\n", false, "LINE 1", "Q7610", 5, 0, false},
            {"6\r\n", "AB\r\n", true, "-", "K2170", 0, 0, false}, // shorter than its digits
            {"D\r\n", "NAMEZZZZ\r\n", true, "-", "P9100(PLC)", 0, 0, false}, // not DiraVEZ digits
            {"D\r\n", "", true, "-", "P9100(PLC)", 0, 0, false},
            {"", "KVX91D07:707\r\n", true, "KVX91D07", "P9100(PLC)", 7, 167, true}, // empty .ovp
        };
    for (const auto& [ovp, rev, hex, name, boardName, revision, checksum, dated] : cases) {
        SCOPED_TRACE(rev.constData());
        for (const char* ext : {"ovp", "rev", "hex"})
            QFile::remove(path(QStringLiteral("LINE1.") + QLatin1String(ext)));
        write("LINE1.ovp", ovp);
        if (!rev.isEmpty()) write("LINE1.rev", rev);
        if (hex) write("LINE1.hex", ":00000001FF\r\n");
        const DiskIdent d = readDiskIdent(path("LINE1.ovp"));
        EXPECT_EQ(d.name, name);
        EXPECT_EQ(d.boardName, boardName) << ovp.constData();
        EXPECT_EQ(d.revision, revision);
        EXPECT_EQ(d.checksum, checksum);
        EXPECT_EQ(d.revDate != "-", dated);
    }
    EXPECT_EQ(ReadBoardTypeCode(path("missing.ovp")), 68);
}

} // namespace
