#include "ProgramFixture.h"
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
    void SetUp() override {
        ProgramFixture::SetUp();
        QObject::connect(&transfer, &ProgramTransfer::stateChanged,
                         [this](ProgramState s) { states.push_back(s); });
    }
    Outcome download(std::optional<MsgAnswer> confirm = MsgAnswer::Yes) {
        files.DownloadFile(path("LINE1.ovp"));
        clearTranscript();
        if (confirm) prompt.answer(*confirm);
        ProgramDownload run(transfer, files, prompt);
        states.clear();
        run.runToEnd();
        EXPECT_EQ(transfer.state(), ProgramState::Idle);
        return run.outcome();
    }
    std::vector<ProgramState> states; // as the download window is told them
};

TEST_F(ProgramDownloadTest, AnythingButYesSendsNothingYesStreamsRecordsConfigurationAndIdent) {
    writeProgram(kHex);
    for (const MsgAnswer a : {MsgAnswer::No, MsgAnswer::Cancel}) {
        EXPECT_EQ(download(a), Outcome::Declined);
        EXPECT_TRUE(traffic().writes.empty());
        EXPECT_EQ(traffic().reads.size(), 10u); // the board's ident, read before the question
        EXPECT_TRUE(board.programLog().empty());
        EXPECT_TRUE(link.OnlineMode());
        EXPECT_TRUE(files.ValidProgram());
    }
    ASSERT_EQ(download(), Outcome::Complete);
    ASSERT_EQ(board.programLog().size(), 1u); // the LL = 0 lines sent nothing
    const sim::ProgramRecord& r = board.programLog()[0];
    EXPECT_EQ(r.count, 16);
    EXPECT_EQ(r.address, 0x4000);
    EXPECT_EQ(r.data, QByteArray::fromHex("0102030405060708090A0B0C0D0E0F10"));
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
}

TEST_F(ProgramDownloadTest, BadFilesSelectionsAndOfflineSendNothing) {
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

class ProgramUploadTest : public ProgramFixture {
  protected:
    UploadOutcome upload() {
        EXPECT_TRUE(files.UploadFile(path("LINE1.ovp")));
        transfer.setState(ProgramState::UploadRequested);
        ProgramUpload run(transfer, files, prompt);
        run.runToEnd();
        EXPECT_EQ(transfer.state(), ProgramState::Idle);
        return run.outcome();
    }
};

// A wrong echo once (the first image read's high address byte) is read again, never "00".
TEST_F(ProgramUploadTest, BoardDGivesIdentAndLinesFrom4000ToBFF0AndBoard8ItsLcfLine) {
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
}

// A failure leaves the old set whole (files replace theirs only once all are written).
TEST_F(ProgramUploadTest, AFailedUploadLeavesTheOldSetWhole) {
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

} // namespace
