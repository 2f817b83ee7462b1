#include "DataFixture.h"
#include "data/TagMap.h"

using namespace kalvex;
using namespace kalvex::test;

namespace {

// A value for item i that fits its address and differs from the default and its neighbours.
qint32 distinctValue(const QString& address, int i) {
    const ParsedAddress p = parseAddress(address);
    if (p.bitMode) return 1;
    if (p.type == u'B') return 1 + i % 200;
    return p.type == u'W' ? 2000 + i : 100000 + 7 * i;
}

std::vector<int> span(int first, int last, std::vector<int> v = {}) {
    for (int i = first; i <= last; ++i)
        v.push_back(i);
    return v;
}

// Item 0, the set-up parameters 122-142 and the gateway settings 1744-1746.
std::vector<int> setupItems() {
    return span(1744, 1746, span(122, 142, {0}));
}

struct CodeCase {
    int code;
    std::vector<int> items;
    const char* text;
    int startMaximum, endValue, endMaximum;
};

void PrintTo(const CodeCase& c, std::ostream* os) {
    *os << "code " << c.code;
}

class TransferByCode : public DataFixture, public ::testing::WithParamInterface<CodeCase> {};

TEST_P(TransferByCode, MovesExactlyItsItemsInOrder) {
    const CodeCase& c = GetParam();
    const bool upload = c.code < 10;
    host.range = LabelRange{3, 5};
    const SetupData before = state.gCurrentData;
    for (int i = 0; i <= kItemCount; ++i) {
        const QString& a = before.Address[size_t(i)];
        if (upload)
            board.setValue(a, distinctValue(a, i));
        else
            state.gCurrentData.Value[size_t(i)] = distinctValue(a, i);
    }
    const SetupData sent = state.gCurrentData;
    clearTranscript();
    prompt.answer(MsgAnswer::Yes);
    const TransferOutcome o =
        upload ? transfers.UploadData(c.code) : transfers.DownloadData(c.code - 10);

    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].title, upload ? "Data Upload" : "Data Download");
    EXPECT_EQ(prompt.boxes[0].text,
              QStringLiteral("You are about to %1\r\n\r\nDo You Wish to Continue?")
                  .arg(upload ? "Upload Data from the PLC" : "Download Data to the PLC"));
    EXPECT_EQ(host.text, c.text);
    EXPECT_EQ(std::tuple(host.startMaximum, host.value, host.maximum),
              std::tuple(c.startMaximum, c.endValue, c.endMaximum));
    EXPECT_TRUE(o.complete());
    EXPECT_EQ(o.doneItems, int(c.items.size()));
    EXPECT_EQ(upload ? traffic().reads : writtenBytes(), bytesOfItems(before, c.items));
    EXPECT_EQ(traffic().writes.empty(), upload);
    SetupData want = upload ? before : sent; // downloads never change the data set
    for (const int i : c.items) {
        const QString& a = before.Address[size_t(i)];
        want.Value[size_t(i)] = distinctValue(a, i);
        ASSERT_EQ(board.value(a), want.Value[size_t(i)]) << i;
    }
    EXPECT_EQ(state.gCurrentData, want);
    EXPECT_EQ(state.gProcessCode, c.code);
    EXPECT_EQ(state.gUploadNOW.isEmpty(), !upload);
}

// Download All also writes the colour control item, which belongs to no other set.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Codes, TransferByCode, ::testing::Values(
    CodeCase{0, setupItems(), "Uploading Set-up Data, Please Standby...", 24, 25, 25},
    CodeCase{1, span(1, 121), "Uploading Shift Data, Please Standby...", 121, 121, 121},
    CodeCase{2, span(192, 239), "Uploading Label Data, Please Standby...", 49, 48, 49},
    CodeCase{4, span(0, 1746), "Uploading, Please Standby...", 1747, 1747, 1747},
    CodeCase{10, setupItems(), "Downloading Set-Up Data, Please Standby...", 24, 25, 25},
    CodeCase{11, span(1, 121), "Downloading Shift Data, Please Standby...", 121, 121, 121},
    CodeCase{12, span(192, 239), "Downloading Label Data, Please Standby...", 49, 48, 49},
    CodeCase{14, span(0, 1746), "Downloading, Please Standby...", 1747, 1747, 1747}));
// clang-format on

// The confirmation answered No, the Label Range dialog cancelled: nothing sent. The silent
// uploads ask nothing.
TEST_F(DataFixture, DeclinedOrSilentTransfers) {
    using Kind = TransferOutcome::Kind;
    EXPECT_EQ(transfers.UploadData(4).kind, Kind::NotStarted); // the confirmations are answered No
    EXPECT_EQ(transfers.DownloadData(4).kind, Kind::NotStarted);
    host.range.reset();
    prompt.answer(MsgAnswer::Yes);
    EXPECT_EQ(transfers.DownloadData(2).kind, Kind::NotStarted);
    EXPECT_EQ(std::tuple(prompt.boxes.size(), host.rangeDialogs, host.windows),
              std::tuple(3u, 1, 0));
    EXPECT_TRUE(board.transcript().empty());
    transfers.UploadData(DataTransfers::kSilentUploadShift);
    EXPECT_EQ(host.text, progressText(kUploadShift));
    transfers.UploadData(DataTransfers::kSilentUploadAll);
    EXPECT_EQ(host.text, progressText(kUploadAll));
    EXPECT_EQ(prompt.boxes.size(), 3u);
}

TEST_F(DataFixture, CancelStopsBeforeTheNextItem) {
    host.cancelAfter = 10;
    for (int i = 1; i <= 121; ++i)
        board.setValue(state.gCurrentData.Address[size_t(i)], 77);
    prompt.answer(MsgAnswer::Yes);
    const TransferOutcome o = transfers.UploadData(1);
    EXPECT_EQ(o.kind, TransferOutcome::Kind::Cancelled);
    EXPECT_EQ(std::tuple(o.doneItems, host.value, traffic().reads.size()), std::tuple(10, 10, 20u));
    EXPECT_EQ(std::pair(state.gCurrentData.Value[10], state.gCurrentData.Value[11]),
              std::pair(77, 0));
    EXPECT_EQ(prompt.boxes.size(), 1u); // no message for a cancel
}

TEST_F(DataFixture, CommErrorStopsOnceWithOneMessageAndKeepsUnreadItems) {
    for (int i = 1; i <= 121; ++i)
        board.setValue(state.gCurrentData.Address[size_t(i)], 55);
    state.gCurrentData.Value[6] = -6;
    state.gCurrentData.Value[50] = -50;
    // Mode handshake (2 bytes), then five words of 4 bytes each; the sixth read goes unanswered.
    board.faults().silentAfter = board.receivedCount() + 2 + 5 * 4;
    prompt.answer(MsgAnswer::Yes);
    const TransferOutcome o = transfers.UploadData(1);
    EXPECT_TRUE(link.CommError());
    EXPECT_EQ(std::tuple(o.kind, o.failure, host.value),
              std::tuple(TransferOutcome::Kind::Failed, LinkFailure::NoAnswer, 6));
    ASSERT_EQ(o.failedItems.size(), 1u);
    EXPECT_EQ(o.failedItems[0].index, 6);
    const std::vector<qint32>& v = state.gCurrentData.Value; // the failed read is not stored as 0
    EXPECT_EQ(std::vector(v.begin() + 1, v.begin() + 7),
              (std::vector<qint32>{55, 55, 55, 55, 55, -6}));
    EXPECT_EQ(state.gCurrentData.Value[50], -50);
    // One message for the transfer, naming the item not read.
    const auto isProcessingError = [](const Box& b) {
        return b.icon == MsgIcon::Exclamation &&
               b.text == "Error Processing Request\r\n\r\nProcess Not Complete\r\n\r\n"
                         "Failed items: W1030 (no answer from the board)";
    };
    EXPECT_EQ(std::count_if(prompt.boxes.begin(), prompt.boxes.end(), isProcessingError), 1);
}

// Offline, a transfer asks to go online first: No sends nothing, Yes goes online and transfers;
// a port that does not open transfers nothing and says so.
TEST_F(DataFixture, OfflineAsksToGoOnlineFirst) {
    goOffline();
    prompt.answer(MsgAnswer::Yes);
    transfers.UploadData(0);
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_EQ(
        prompt.boxes[1].text,
        "Program is Currently OFFLINE\r\n\r\nDo You Wish to Switch to ONLINE MODE to Continue?");
    EXPECT_EQ(host.switches + host.windows, 0);
    EXPECT_TRUE(board.transcript().empty());

    port.failNextOpen(
        PortOpenError{8002, QStringLiteral("MSComm"), QStringLiteral("Invalid port")});
    prompt.answer(MsgAnswer::Yes);
    prompt.answer(MsgAnswer::Yes);
    EXPECT_EQ(transfers.UploadData(0).kind, TransferOutcome::Kind::Failed);
    EXPECT_EQ(std::pair(host.switches, host.value), std::pair(1, 0));
    EXPECT_EQ(prompt.boxes.back().text, "Error Processing Request\r\n\r\nProcess Not Complete");
    EXPECT_TRUE(traffic().reads.empty());
    EXPECT_EQ(state.gCurrentData, state.gDefaultData);

    link.setCommError(false);
    prompt.answer(MsgAnswer::Yes);
    prompt.answer(MsgAnswer::Yes);
    transfers.DownloadData(1);
    EXPECT_EQ(std::tuple(host.switches, link.OnlineMode(), host.value), std::tuple(2, true, 121));
}

// An item missing from a shorter file is left out; one naming no cell refuses the whole download.
// (An item naming another cell than the tag map: DataCli.RefusedArgumentsAndFiles.)
TEST_F(DataFixture, ItemsWithoutABoardAddressAreSkipped) {
    state.gCurrentData.Address[130].clear();
    state.gCurrentData.Value[130] = 9;
    prompt.answer(MsgAnswer::Yes);
    transfers.DownloadData(0);
    EXPECT_EQ(std::pair(host.skipped, host.value), std::pair(1, 25));
    const std::vector<int> written = writtenBytes();
    EXPECT_EQ(std::count(written.begin(), written.end(), 32), 0); // empty would land on B32
    EXPECT_EQ(prompt.boxes.size(), 1u);
    state.gCurrentData.Address[131] = "B70000";
    clearTranscript();
    prompt.answer(MsgAnswer::Yes);
    transfers.DownloadData(0);
    EXPECT_TRUE(traffic().writes.empty());
    EXPECT_TRUE(prompt.boxes.back().text.contains("item 131: B70000 is not a board address"))
        << qPrintable(prompt.boxes.back().text);
}

// A wrong echo makes the link resynchronise, which may store a stray byte: the read-back of the
// items written is offered after the last write. Asked for, it runs without the question.
TEST_F(DataFixture, ReadBackAfterADownload) {
    const struct {
        bool verify, wrongEcho;
        MsgAnswer answer; // to the read-back question, asked after a wrong echo
        size_t boxes;
    } cases[] = {{false, false, MsgAnswer::No, 1},
                 {false, true, MsgAnswer::No, 2},
                 {false, true, MsgAnswer::Yes, 3},
                 {true, false, MsgAnswer::No, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.verify << c.wrongEcho << int(c.answer));
        prompt.boxes.clear();
        transfers.setVerifyDownloads(c.verify);
        if (c.wrongEcho) board.faults().wrongEchoAt = {board.receivedCount() + 6};
        prompt.answer(MsgAnswer::Yes);
        if (c.wrongEcho) prompt.answer(c.answer);
        board.clearTranscript();
        const TransferOutcome o = transfers.DownloadData(1);
        ASSERT_EQ(prompt.boxes.size(), c.boxes);
        EXPECT_EQ(prompt.boxes[1 % c.boxes].text.contains("a stray byte may have been written"),
                  c.wrongEcho);
        const bool readBack = c.verify || c.answer == MsgAnswer::Yes;
        EXPECT_EQ(traffic().reads.empty(), !readBack);
        EXPECT_TRUE(o.complete());
        ASSERT_EQ(o.readBack.has_value(), readBack);
        if (!readBack) continue;
        EXPECT_EQ(prompt.boxes.back().text, "121 items read back: the board holds them.");
        EXPECT_TRUE(o.readBack->finished && o.readBack->mismatches.empty());
    }
}

// A failed item is recorded by address, keeps its value and makes the transfer incomplete,
// even when the link carries on.
TEST_F(DataFixture, FailedItemsAreRecordedAndNamed) {
    board.setValue("W1092", 650);
    state.gCurrentData.Value[122] = -1;
    // Mode handshake (2 bytes), item 0 (2 bytes); the 5th byte is W1092's first.
    board.faults().wrongEchoAt = {board.receivedCount() + 5};
    prompt.answer(MsgAnswer::Yes);
    const TransferOutcome o = transfers.UploadData(0);
    EXPECT_FALSE(link.CommError());
    EXPECT_EQ(std::pair(o.kind, o.failure),
              std::pair(TransferOutcome::Kind::Failed, LinkFailure::WrongEcho));
    EXPECT_EQ(std::pair(state.gCurrentData.Value[122], host.value), std::pair(-1, 25));
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_EQ(prompt.boxes[1].text, "Error Processing Request\r\n\r\nProcess Not Complete\r\n\r\n"
                                    "Failed items: W1092 (wrong echo from the board)");
}

} // namespace
