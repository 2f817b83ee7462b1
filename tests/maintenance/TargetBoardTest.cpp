// The Target Board Interface's logic; its captions and fields are judged in frmTargetBoardTest.
#include "ProgramFixture.h"
#include "data/board/BoardSettings.h"
#include "data/board/FaultCodes.h"
#include "data/board/ProgramIdent.h"

#include <QDir>
#include <QFileInfo>

using namespace kalvex;
using namespace kalvex::test;

namespace {

// A code given twice: the window takes the last record, the link's fault text the first.
TEST(FaultCodes, TextLookupFirstAndLastRecordPlaceholdersAndShippedFiles) {
    const QByteArray file = "# header, not a code\r\n0a,First\r\n 0A , \"Second, quoted\"\r\n"
                            "42,Cannot Communicate with Target Board.\r\n";
    EXPECT_EQ(findCodeText(file, "0A", CodeMatch::First), "First");
    EXPECT_EQ(findCodeText(file, "0A", CodeMatch::Last), "Second, quoted");
    EXPECT_EQ(findCodeText(file, "0B", CodeMatch::Last), std::nullopt);
    const CodeTexts faults = CodeTexts::fromBytes(CodeFile::Faults, file);
    const CodeTexts comm = CodeTexts::fromBytes(CodeFile::CommErrors, file);
    const std::tuple<const CodeTexts*, const char*, const char*> cases[] = {
        {&faults, "0A", "Second, quoted"},
        {&faults, "0B", "Fault Code (0BH): no text installed for this code"},
        {&faults, "00", ""},
        {&comm, "42", "Cannot Communicate with Target Board."},
        {&comm, "11", "Comm Error Code (11H): no text installed for this code"},
    };
    for (auto [texts, code, shown] : cases)
        EXPECT_EQ(texts->describe(QLatin1String(code)), shown) << code;
    QTemporaryDir home;
    EXPECT_EQ(CodeTexts::load(home.path(), CodeFile::Faults).describe("0B"),
              "Fault Code (0BH): no text installed (support/FaultErrCodes.txt not found)");
    // The shipped texts name only codes the board's documents describe.
    EXPECT_EQ(CodeTexts::load(KALVEX_SOURCE_DIR, CodeFile::Faults).describe("5C"),
              "Program is invalid.");
    EXPECT_EQ(CodeTexts::load(KALVEX_SOURCE_DIR, CodeFile::Faults).describe("01"),
              "Fault Code (01H): no text installed for this code");
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
    struct Case {
        QDateTime when;
        QStringList time, date;
    };
    // clang-format off
    const Case cases[] = {
        {QDateTime(QDate(2005, 1, 5), QTime(10, 20, 30)), {"B43012=10", "B43010=20", "B43008=30"}, {"B43016=1", "B43015=5", "B43017=05"}},
        {QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59, 900)), {"B43012=23", "B43010=59", "B43008=59"}, {"B43016=12", "B43015=31", "B43017=99"}},
        {QDateTime(QDate(2000, 2, 29), QTime(0, 0, 0)), {"B43012=0", "B43010=0", "B43008=0"}, {"B43016=2", "B43015=29", "B43017=00"}},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(flat(clockTimeWrites(c.when)), c.time) << qPrintable(c.when.toString());
        EXPECT_EQ(flat(clockDateWrites(c.when)), c.date) << qPrintable(c.when.toString());
    }
    const QDateTime t(QDate(2005, 1, 5), QTime(9, 8, 7));
    EXPECT_EQ(pcTimeText(t), "09 : 08 : 07");
    EXPECT_EQ(pcDateText(t), "01 - 05 - 2005");
    EXPECT_EQ(parseInstant("2005-01-05T10:20:30"), t.addSecs(3600 + 12 * 60 + 23));
    EXPECT_EQ(parseInstant("5 Jan 2005"), std::nullopt);
    EXPECT_EQ(rangeMessage(1, 32), "Only a Number Between 1 and 32 can be Entered");
}

class DiskIdentTest : public ProgramFixture {};

TEST_F(DiskIdentTest, FromTheRevAndHexFilesOrTheDefaults) {
    struct Case {
        QByteArray ovp, rev;
        bool hex;
        const char *name, *boardName;
        int revision, checksum;
        bool dated;
    };
    const Case cases[] = {
        {"D,program\r\n", "KVX91D07:707\r\n", true, "KVX91D07", "P9100(PLC)", 7, 167, true},
        {"A\r\n", "\"LINE 10005\",x\r\n", false, "LINE 1", "Q7610", 5, 0, false},
        {"6\r\n", "AB\r\n", true, "-", "K2170", 0, 0, false},            // shorter than its digits
        {"D\r\n", "NAMEZZZZ\r\n", true, "-", "P9100(PLC)", 0, 0, false}, // not DiraVEZ digits
        {"D\r\n", "", true, "-", "P9100(PLC)", 0, 0, false},
        {"", "KVX91D07:707\r\n", true, "KVX91D07", "P9100(PLC)", 7, 167, true}, // empty .ovp
    };
    for (const Case& c : cases) {
        for (const char* ext : {"ovp", "rev", "hex"})
            QFile::remove(path(QStringLiteral("LINE1.") + QLatin1String(ext)));
        write("LINE1.ovp", c.ovp);
        if (!c.rev.isEmpty()) write("LINE1.rev", c.rev);
        if (c.hex) write("LINE1.hex", ":00000001FF\r\n");
        const DiskIdent d = readDiskIdent(path("LINE1.ovp"));
        EXPECT_EQ(d.name, c.name) << c.rev.constData();
        EXPECT_EQ(d.boardName, c.boardName) << c.ovp.constData();
        EXPECT_EQ(d.revision, c.revision) << c.rev.constData();
        EXPECT_EQ(d.checksum, c.checksum) << c.rev.constData();
        EXPECT_EQ(d.revDate != "-", c.dated) << c.rev.constData();
    }
    EXPECT_EQ(ReadBoardTypeCode(path("missing.ovp")), 68);
}

} // namespace
