#include "data/program/ProgramDownload.h"
#include "ProgramFixture.h"
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

TEST_F(ProgramDownloadTest, StreamsRecordsAwaitsTheirSumAndWritesTheIdentAfter) {
    writeProgram(kHex);
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
}

TEST_F(ProgramDownloadTest, ConfigurationBoardGetsItsBytesBeforeProgramMode) {
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

TEST_F(ProgramDownloadTest, AnythingButYesSendsNothingAfterTheIdentReads) {
    writeProgram(kHex);
    for (const MsgAnswer a : {MsgAnswer::No, MsgAnswer::Cancel}) {
        EXPECT_EQ(download(a), Outcome::Declined);
        EXPECT_TRUE(traffic().writes.empty());
        EXPECT_EQ(traffic().reads.size(), 10u);
        EXPECT_TRUE(board.programLog().empty());
        EXPECT_TRUE(link.OnlineMode());
        EXPECT_TRUE(files.ValidProgram());
    }
}

TEST_F(ProgramDownloadTest, BadFilesSelectionsAndOfflineSendNothing) {
    const struct {
        QByteArray hex; // "-": no .hex file
        char type;
        bool online;
        Outcome outcome;
        const char* box; // the end of the last box's text
    } cases[] = {
        {kRecord + ":1040100001020304\r\n" + kRecord, 'D', true, Outcome::Invalid,
         "Currently Selected Program is Invalid.\r\n\r\nProgram Download Halted!"},
        {"", 'D', true, Outcome::FileError,
         "LINE1.hex File is Not Valid\r\n\r\nProgram Downloaded Halted"},
        {"-", 'D', true, Outcome::FileError,
         "LINE1.hex File Does Not Exist.\r\n\r\nProgram Downloaded Halted"},
        {kHex, 'E', true, Outcome::Invalid, ""},
        {kHex, 'D', false, Outcome::Offline, "Program is Currently OFFLINE."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.outcome));
        writeProgram(c.hex, c.type);
        if (c.hex == "-") QFile::remove(path("LINE1.hex"));
        link.setOnlineMode(c.online);
        prompt.boxes.clear();
        EXPECT_EQ(download(std::nullopt), c.outcome);
        EXPECT_TRUE(sent().isEmpty());
        EXPECT_EQ(link.OnlineMode(), c.online);
        ASSERT_FALSE(prompt.boxes.empty());
        EXPECT_TRUE(prompt.boxes.back().text.contains(c.box))
            << qPrintable(prompt.boxes.back().text);
        EXPECT_TRUE(c.outcome != Outcome::Invalid || !files.ValidProgram());
    }
}

// Echoed wrong on both tries (`gap` bytes apart): an ident read is named in the question, a
// configuration write stops before program mode, an ident write leaves the old ident, offline.
TEST_F(ProgramDownloadTest, AByteEchoedWrongTwiceFailsTheDownloadWhereItIs) {
    const struct {
        char type;
        const char* at; // the address bytes of the spoilt exchange, in a clean run
        int gap;
        MsgAnswer answer;
        Outcome outcome;
        size_t records;
        bool online;
        const char* box;
    } cases[] = {
        // clang-format off
        {'D', "EFF0", 4, MsgAnswer::No, Outcome::Declined, 0, true, "  Program Ident: \t\tnot read: wrong echo\r\n"},
        {'8', "1FFC", 5, MsgAnswer::Yes, Outcome::CommFailure, 0, false, "Could Not Set Program Configuration in PLC!"},
        {'D', "EFF041", 5, MsgAnswer::Yes, Outcome::CommFailure, 1, false, "Could Not Send Program Ident and Revision to PLC!"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.at);
        writeProgram(kHex, c.type);
        write("LINE1.lcf", "F000000000000000000000000000000000020071000%");
        link.setOnlineMode(true);
        link.resetBoardMode(); // both runs start with the mode handshake
        download(c.answer);
        const qint64 at = board.bytesFromPc().indexOf(QByteArray::fromHex(c.at)) + 1;
        ASSERT_GT(at, 0);
        link.resetBoardMode();
        board.poke(61424, 'K');
        board.faults().wrongEchoAt = {board.receivedCount() + at,
                                      board.receivedCount() + at + c.gap};
        prompt.boxes.clear();
        EXPECT_EQ(download(c.answer), c.outcome);
        EXPECT_EQ(board.programLog().size(), c.records);
        EXPECT_EQ(board.peek(61424), 'K');
        EXPECT_EQ(link.OnlineMode(), c.online);
        EXPECT_TRUE(std::any_of(prompt.boxes.begin(), prompt.boxes.end(),
                                [&](const Box& b) { return b.text.contains(c.box); }));
        EXPECT_NE(prompt.boxes.back().text, "Program Download Complete!");
    }
}

struct FaultCase {
    const char* name;
    const char* state;
    Outcome outcome;
    const char* box;
    size_t records; // records the board took
};

class DownloadFaults : public ProgramDownloadTest,
                       public ::testing::WithParamInterface<FaultCase> {};

TEST_P(DownloadFaults, AreNeverReportedComplete) {
    const FaultCase& c = GetParam();
    state(c.state);
    writeProgram(kRecord + kRecord + kRecord);
    EXPECT_EQ(download(), c.outcome);
    EXPECT_EQ(prompt.boxes.back().text, c.box);
    EXPECT_EQ(board.programLog().size(), c.records);
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_EQ(board.peek(61424), 'K'); // the old ident stays
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Board, DownloadFaults, ::testing::Values(
    FaultCase{"WrongChecksum", "program_bad_checksum_at = 2", Outcome::ChecksumError, "Checksum Error, Program Download Halted!", 2},
    FaultCase{"NoChecksum", "program_no_checksum_at = 1", Outcome::ChecksumError, "Checksum Error, Program Download Halted!", 1},
    FaultCase{"NoExitAcknowledge", "program_no_exit_ack = 1", Outcome::NoExitAck, "PLC did not Exit Program Mode!", 3}),
    [](const auto& p) { return std::string(p.param.name); });
// clang-format on

// Leaving program mode sends 0xFF alone (a partial record filled first), without link retries.
using ProgramModeExitTest = ProgramFixture;

TEST_F(ProgramModeExitTest, FillsAPartialRecordAndSendsNoRetries) {
    const struct {
        bool programMode;
        QByteArray partialRecord; // sent after entering program mode
        bool silent, left;
        int bytes;
    } cases[] = {
        {false, {}, false, true, 2},
        {true, {}, false, true, 2},
        {true, QByteArray::fromHex("104000") + QByteArray(5, '\x11'), false, true, 13},
        {true, QByteArray("\x02", 1), false, true, 6}, // after the count byte
        {true, {}, true, false, 262},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        if (c.programMode) transfer.enterProgramMode();
        for (const char b : c.partialRecord)
            port.send(quint8(b));
        board.faults().silent = c.silent;
        const ProgramModeExit r = leaveProgramMode(port, 262, 5);
        EXPECT_EQ(r.left, c.left);
        EXPECT_EQ(r.bytesSent, c.bytes);
        EXPECT_TRUE(c.silent || !board.inProgramMode());
        EXPECT_TRUE(prompt.boxes.empty()); // no retry box
    }
}

} // namespace
