#include "ProgramFixture.h"
#include "data/board/BoardSettings.h"
#include "data/board/FaultCodes.h"
#include "data/board/ProgramIdent.h"
#include "data/program/HexImage.h"
#include "data/program/ProgramDownload.h"
#include "data/program/ProgramUpload.h"
#include "link/ProgramModeExit.h"

using namespace kalvex;
using namespace kalvex::test;

namespace {

using Outcome = ProgramDownload::Outcome;

class ProgramDownloadTest : public ProgramFixture {
  protected:
    Outcome download(std::optional<MsgAnswer> confirm = MsgAnswer::Yes) {
        files.DownloadFile(path("LINE1.ovp"));
        clearTranscript();
        if (confirm) prompt.answer(*confirm);
        ProgramDownload run(transfer, files, prompt);
        run.runToEnd();
        EXPECT_EQ(transfer.state(), ProgramState::Idle);
        return run.outcome();
    }
};

TEST_F(ProgramDownloadTest, OnlyYesOnAValidSetStreamsRecordsConfigurationAndIdent) {
    writeProgram(kHex);
    for (const MsgAnswer a : {MsgAnswer::No, MsgAnswer::Cancel}) {
        EXPECT_EQ(download(a), Outcome::Declined);
        EXPECT_TRUE(traffic().writes.empty());
        EXPECT_EQ(traffic().reads.size(), 10u); // the board's ident, read before the question
        EXPECT_TRUE(board.programLog().empty());
        EXPECT_TRUE(link.OnlineMode());
        EXPECT_TRUE(files.ValidProgram());
    }
    std::vector<ProgramState> states; // as the download window is told them
    QObject::connect(&transfer, &ProgramTransfer::stateChanged,
                     [&](ProgramState s) { states.push_back(s); });
    ASSERT_EQ(download(), Outcome::Complete);
    ASSERT_EQ(board.programLog().size(), 1u); // the LL = 0 lines sent nothing
    const sim::ProgramRecord& r = board.programLog()[0];
    EXPECT_EQ(std::tuple(int(r.count), int(r.address), r.data),
              std::tuple(16, 0x4000, QByteArray::fromHex("0102030405060708090A0B0C0D0E0F10")));
    // Run and fault bytes before program mode; after it the ident padded, checksum, revision.
    const std::vector<std::pair<int, int>> writes{
        {8181, 86}, {8176, 0},  {61424, 'A'}, {61425, 'B'}, {61426, 'C'}, {61427, 0},
        {61428, 0}, {61429, 0}, {61430, 0},   {61431, 0},   {61432, 175}, {61433, 5}};
    EXPECT_EQ(traffic().writes, writes);
    // The board's ident before the question, and the new one read back once written.
    EXPECT_EQ(traffic().reads.size(), 20u);
    EXPECT_EQ(prompt.boxes.front().title, "Program Download - [ABC]");
    EXPECT_TRUE(prompt.boxes.front().text.contains(
        "  Program Ident: \t\tKVX91D07\r\n  Program Revision: \t\t7\r\n"
        "  Program Checksum: \t167\r\n"));
    EXPECT_EQ(prompt.boxes.back().text, "Program Download Complete!");
    EXPECT_TRUE(link.OnlineMode());
    EXPECT_FALSE(files.ValidProgram());
    using S = ProgramState;
    EXPECT_EQ(states, (std::vector<S>{S::Downloading, S::WritingIdent, S::Downloading, S::Idle}));
    // A configuration board gets its bytes before program mode.
    writeProgram(kHex, '8', "IDENT12345:?05");
    write("LINE1.lcf", "F000000000000000000000000000000000020071000%");
    ASSERT_EQ(download(), Outcome::Complete);
    const auto w = traffic().writes;
    ASSERT_GE(w.size(), 5u);
    EXPECT_EQ(std::vector(w.begin() + 2, w.begin() + 5),
              (std::vector<std::pair<int, int>>{{8188, 5}, {8189, 7}, {8190, 5}}));
    EXPECT_EQ(board.peek(61431), '3'); // the ident cut to eight characters
    EXPECT_EQ(board.peek(61432), 175);

    const std::tuple<QByteArray, char, bool, Outcome, const char*> cases[] = {
        {kRecord + ":1040100001020304\r\n" + kRecord, 'D', true, Outcome::Invalid,
         "Currently Selected Program is Invalid.\r\n\r\nProgram Download Halted!"},
        {"", 'D', true, Outcome::FileError,
         "LINE1.hex File is Not Valid\r\n\r\nProgram Downloaded Halted"},
        {"-", 'D', true, Outcome::FileError, // no .hex file
         "LINE1.hex File Does Not Exist.\r\n\r\nProgram Downloaded Halted"},
        {kHex, 'E', true, Outcome::Invalid, ""},
        {kHex, 'D', false, Outcome::Offline, "Program is Currently OFFLINE."},
    };
    for (const auto& [hex, type, online, outcome, box] : cases) {
        SCOPED_TRACE(int(outcome));
        writeProgram(hex, type);
        if (hex == "-") QFile::remove(path("LINE1.hex"));
        link.setOnlineMode(online);
        prompt.boxes.clear();
        EXPECT_EQ(download(std::nullopt), outcome);
        EXPECT_TRUE(sent().isEmpty());
        EXPECT_EQ(link.OnlineMode(), online);
        ASSERT_FALSE(prompt.boxes.empty());
        EXPECT_TRUE(prompt.boxes.back().text.contains(box)) << qPrintable(prompt.boxes.back().text);
        EXPECT_TRUE(outcome != Outcome::Invalid || !files.ValidProgram());
    }
}

// Echoed wrong on both tries, `gap` bytes apart, at the exchange whose address bytes are `at`.
TEST_F(ProgramDownloadTest, AByteEchoedWrongTwiceFailsTheDownloadWhereItIs) {
    const std::tuple<char, const char*, int, MsgAnswer, Outcome, size_t, bool, const char*>
        cases[] = {
            // clang-format off
        {'D', "EFF0", 4, MsgAnswer::No, Outcome::Declined, 0, true, "  Program Ident: \t\tnot read: wrong echo\r\n"},
        {'8', "1FFC", 5, MsgAnswer::Yes, Outcome::CommFailure, 0, false, "Could Not Set Program Configuration in PLC!"},
        {'D', "EFF041", 5, MsgAnswer::Yes, Outcome::CommFailure, 1, false, "Could Not Send Program Ident and Revision to PLC!"},
            // clang-format on
        };
    for (const auto& [type, bytes, gap, answer, outcome, records, online, box] : cases) {
        SCOPED_TRACE(bytes);
        writeProgram(kHex, type);
        write("LINE1.lcf", "F000000000000000000000000000000000020071000%");
        link.setOnlineMode(true);
        link.resetBoardMode(); // both runs start with the mode handshake
        download(answer);
        const qint64 at = board.bytesFromPc().indexOf(QByteArray::fromHex(bytes)) + 1;
        ASSERT_GT(at, 0);
        link.resetBoardMode();
        board.poke(61424, 'K');
        board.faults().wrongEchoAt = {board.receivedCount() + at, board.receivedCount() + at + gap};
        prompt.boxes.clear();
        EXPECT_EQ(download(answer), outcome);
        EXPECT_EQ(board.programLog().size(), records);
        EXPECT_EQ(board.peek(61424), 'K');
        EXPECT_EQ(link.OnlineMode(), online);
        EXPECT_TRUE(std::any_of(prompt.boxes.begin(), prompt.boxes.end(),
                                [&](const Box& b) { return b.text.contains(box); }));
        EXPECT_NE(prompt.boxes.back().text, "Program Download Complete!");
    }
}

// name, board state, outcome, last box, records the board took
using FaultCase = std::tuple<const char*, const char*, Outcome, const char*, size_t>;
class DownloadFaults : public ProgramDownloadTest,
                       public ::testing::WithParamInterface<FaultCase> {};

TEST_P(DownloadFaults, AreNeverReportedComplete) {
    const auto& [name, boardState, outcome, box, records] = GetParam();
    state(boardState);
    writeProgram(kRecord + kRecord + kRecord);
    EXPECT_EQ(download(), outcome);
    EXPECT_EQ(prompt.boxes.back().text, box);
    EXPECT_EQ(board.programLog().size(), records);
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_EQ(board.peek(61424), 'K'); // the old ident stays
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Board, DownloadFaults, ::testing::Values(
    FaultCase{"WrongChecksum", "program_bad_checksum_at = 2", Outcome::ChecksumError, "Checksum Error, Program Download Halted!", 2},
    FaultCase{"NoChecksum", "program_no_checksum_at = 1", Outcome::ChecksumError, "Checksum Error, Program Download Halted!", 1},
    FaultCase{"NoExitAcknowledge", "program_no_exit_ack = 1", Outcome::NoExitAck, "PLC did not Exit Program Mode!", 3}),
    [](const auto& p) { return std::string(std::get<0>(p.param)); });
// clang-format on

// Leaving program mode sends 0xFF alone (a partial record filled first), without link retries.
TEST_F(ProgramDownloadTest, LeavingProgramModeFillsAPartialRecordAndSendsNoRetries) {
    // in program mode, a partial record sent after entering it, board silent, left, bytes sent
    const std::tuple<bool, QByteArray, bool, bool, int> cases[] = {
        // clang-format off
        {false, {}, false, true, 2}, {true, {}, false, true, 2},
        {true, QByteArray::fromHex("104000") + QByteArray(5, '\x11'), false, true, 13},
        {true, QByteArray("\x02", 1), false, true, 6}, {true, {}, true, false, 262}}; // 6: after the count byte
    // clang-format on
    for (const auto& [programMode, partialRecord, silent, left, bytes] : cases) {
        SCOPED_TRACE(bytes);
        if (programMode) transfer.enterProgramMode();
        for (const char b : partialRecord)
            port.send(quint8(b));
        board.faults().silent = silent;
        const ProgramModeExit r = leaveProgramMode(port, 262, 5);
        EXPECT_EQ(r.left, left);
        EXPECT_EQ(r.bytesSent, bytes);
        EXPECT_TRUE(silent || !board.inProgramMode());
        EXPECT_TRUE(prompt.boxes.empty()); // no retry box
    }
}

using UploadOutcome = ProgramUpload::Outcome;

using ProgramUploadTest = ProgramFixture;

// A wrong echo once (the first image read's high address byte) is read again, never "00".
TEST_F(ProgramUploadTest,
       BoardDGivesIdentAndLinesFrom4000ToBFF0Board8ItsLcfAFailureLeavesTheOldSet) {
    const auto upload = [&] {
        EXPECT_TRUE(files.UploadFile(path("LINE1.ovp")));
        transfer.setState(ProgramState::UploadRequested);
        ProgramUpload run(transfer, files, prompt);
        run.runToEnd();
        EXPECT_EQ(transfer.state(), ProgramState::Idle);
        return run.outcome();
    };
    write("LINE1.ovp", "D");
    board.poke(61424 + 3, 0xEA);       // an ident byte beyond ASCII stays one byte in the file
    ASSERT_TRUE(link.readValue("B0")); // read mode is set: the ident reads are bytes 1-20
    board.faults().wrongEchoAt = {board.receivedCount() + 21};
    ASSERT_EQ(upload(), UploadOutcome::Complete);
    EXPECT_EQ(read("LINE1.rev"), QByteArray("KVX\xEA"
                                            "1D07:707\r\n"));
    EXPECT_FALSE(QFile::exists(path("LINE1.lcf")));
    const QList<QByteArray> lines = read("LINE1.hex").split('\n');
    ASSERT_EQ(lines.size(), 2048 + 2); // data, the end record, the empty rest after its CR LF
    EXPECT_TRUE(lines[0].startsWith(":10400000"));
    EXPECT_EQ(lines[0].size(), 9 + 32 + 1); // no record checksum, CR
    EXPECT_TRUE(lines[2047].startsWith(":10BFF000"));
    EXPECT_EQ(lines[2048], QByteArray(":00000001FF\r"));
    QByteArray image, memory; // board D's program memory, 4000H to BFFFH
    for (const HexRecord& r : parseHexText(read("LINE1.hex")).records)
        image += r.data;
    for (int a = 0x4000; a < 0xC000; ++a)
        memory += char(board.peek(a));
    EXPECT_TRUE(image == memory);
    EXPECT_EQ(prompt.boxes.back().text, "Program Upload Complete!");

    write("LINE1.ovp", "8");
    ASSERT_EQ(upload(), UploadOutcome::Complete);
    EXPECT_EQ(read("LINE1.lcf"), QByteArray("F") + QByteArray(34, '0') + "2001" + "2000%\r\n");
    EXPECT_EQ(read("LINE1.hex").count('\n'), 0x2000 / 16 + 1);

    // A failure leaves the old set whole (files replace theirs only once all are written).
    // blocked: a folder, else a dangling link, in its place; "": a wrong echo twice, else silence
    const std::tuple<const char*, bool, const char*, UploadOutcome> cases[] = {
        {"LINE1.rev", false, "Cannot write \"%1\": ", UploadOutcome::FileError},
        {"LINE1.lcf", true, "\"%1\" is not a regular file.", UploadOutcome::FileError},
        {"LINE1.lcf", false, "Cannot write \"%1\": ", UploadOutcome::FileError},
        {"", false, "HEX file not created.", UploadOutcome::CommFailure},
        {"", true, "HEX file not created.", UploadOutcome::CommFailure},
    };
    const std::vector<std::pair<QString, QByteArray>> old{
        {"LINE1.hex", ":00000001FF\r\n"}, {"LINE1.rev", "OLD:?05\r\n"}, {"LINE1.lcf", "old lcf"}};
    for (const auto& [blocked, folder, why, outcome] : cases) {
        for (const QString& name :
             QDir(home.path()).entryList({"LINE1.*"}, QDir::AllEntries | QDir::System))
            QFile::remove(path(name)) || QDir().rmdir(path(name));
        board.faults().silentAfter = -1;
        link.setCommError(false);
        link.setOnlineMode(true);
        write("LINE1.ovp", "8");
        for (const auto& [name, bytes] : old)
            if (name != blocked) write(name, bytes);
        if (*blocked)
            ASSERT_TRUE(folder ? QDir().mkdir(path(blocked))
                               : QFile::link(path("missing/x"), path(blocked)));
        else if (!folder)
            board.faults().silentAfter = board.receivedCount() + 500;
        else {
            ASSERT_TRUE(link.readValue("B0")); // read mode is set: the ident reads are bytes 1-20
            board.faults().wrongEchoAt = {board.receivedCount() + 21, board.receivedCount() + 25};
        }
        prompt.boxes.clear();
        EXPECT_EQ(upload(), outcome) << blocked;
        EXPECT_EQ(link.OnlineMode(), *blocked != 0) << blocked;
        for (const auto& [name, bytes] : old)
            EXPECT_TRUE(name == blocked || read(name) == bytes) << blocked << qPrintable(name);
        EXPECT_EQ(QDir(home.path()).entryList({"LINE1.*"}, QDir::AllEntries | QDir::System).size(),
                  4)
            << blocked; // no temporary file left behind
        ASSERT_FALSE(prompt.boxes.empty());
        EXPECT_TRUE(prompt.boxes.back().text.startsWith(
            "Program Upload Not Complete!\r\n\r\n" +
            QString::fromLatin1(why).arg(QDir::toNativeSeparators(path(blocked)))))
            << qPrintable(prompt.boxes.back().text);
    }
}

using ProgramFilesTest = ProgramFixture;

TEST_F(ProgramFilesTest, HexChecksDerivedNamesIdentLcfMissingOvpWhyASelectionIsInvalidDiskIdent) {
    // 255 data bytes with a right record checksum: only the count itself is wrong.
    const std::string countFF = ":FF000000" + std::string(510, '0') + "01\n";
    const std::tuple<const char*, const char*, bool> hexes[] = {
        // clang-format off
        {"LowerCaseAndBlanks", "  :03400000AAbbcc\n", true}, {"WrongChecksum", ":03400000010203B8\n", false},
        {"Truncated", ":034000000102\n", false}, {"NonHexDigit", ":034000000102G3\n", false},
        {"NoColon", ":03400000010203\n0340000001020376\n", false}, {"OnlyTheEndRecord", ":00000001FF\n", false},
        {"BlankLineMidFile", ":03400000010203\n\n:03400100010203\n", false}, {"CountIsAttentionByte", countFF.c_str(), false},
        {"PastTheTopOfMemory", ":03FFFE00010203\n", false}, {"ExtendedAddressRecord", ":020000040001F9\n:03400000010203\n", false},
        // clang-format on
    };
    for (auto [name, text, valid] : hexes) {
        const HexFile f = parseHexText(text);
        EXPECT_EQ(f.status == HexFile::Status::Ok, valid) << name << ": " << qPrintable(f.why);
    }

    write("LINE1.OVP", "D\r\n");
    write("LINE1.rev", "ABCDEFGH:?05\r\n");
    files.DownloadFile(path("LINE1.OVP"));
    EXPECT_TRUE(files.ValidProgram());
    EXPECT_EQ(files.names().rev, path("LINE1.rev"));
    EXPECT_EQ(files.names().hex, path("LINE1.hex"));
    EXPECT_EQ(files.names().lcf, path("LINE1.lcf"));
    EXPECT_EQ(QStringList({files.ident(), files.checksum(), files.revision(), files.boardName()}),
              QStringList({"ABCDEFGH", "175", "5", "P9100(PLC)"}));
    EXPECT_TRUE(prompt.boxes.empty());
    // A short .lcf line reads its missing digits as zero; a UTF-8 ident is one byte a character.
    write("P.ovp", "8");
    write("P.rev", "L\xc3\xadnea:?05");
    write("P.lcf", "F00000000000000000000000000000000002");
    files.DownloadFile(path("P.ovp"));
    ASSERT_TRUE(files.ValidProgram());
    EXPECT_EQ(std::tuple(int(files.config().a), int(files.config().b), int(files.config().c)),
              std::tuple(2, 0, 0));
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

    const std::tuple<QByteArray, QByteArray, bool, const char*, const char*, int, int, bool>
        disks[] = {
            {"D,program\r\n", "KVX91D07:707\r\n", true, "KVX91D07", "P9100(PLC)", 7, 167, true},
            {"A\r\n", "\"LINE 10005\",x\r\n", false, "LINE 1", "Q7610", 5, 0, false},
            {"6\r\n", "AB\r\n", true, "-", "K2170", 0, 0, false}, // shorter than its digits
            {"D\r\n", "NAMEZZZZ\r\n", true, "-", "P9100(PLC)", 0, 0, false}, // not DiraVEZ digits
            {"D\r\n", "", true, "-", "P9100(PLC)", 0, 0, false},
            {"", "KVX91D07:707\r\n", true, "KVX91D07", "P9100(PLC)", 7, 167, true}, // empty .ovp
        };
    for (const auto& [ovp, rev, hex, name, boardName, revision, checksum, dated] : disks) {
        SCOPED_TRACE(rev.constData());
        for (const char* ext : {"ovp", "rev", "hex"})
            QFile::remove(path(QStringLiteral("LINE1.") + QLatin1String(ext)));
        write("LINE1.ovp", ovp);
        if (!rev.isEmpty()) write("LINE1.rev", rev);
        if (hex) write("LINE1.hex", ":00000001FF\r\n");
        const DiskIdent d = readDiskIdent(path("LINE1.ovp"));
        EXPECT_EQ(
            std::tuple(d.name, d.boardName, int(d.revision), int(d.checksum), d.revDate != "-"),
            std::tuple(QString(name), QString(boardName), revision, checksum, dated))
            << ovp.constData();
    }
    EXPECT_EQ(ReadBoardTypeCode(path("missing.ovp")), 68);
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

} // namespace
