#include "DataFixture.h"
#include "data/TagMap.h"
#include "link/Address.h"

using namespace kalvex;
using namespace kalvex::test;

namespace {

// A value for item i that fits its address and differs from the default and from its
// neighbours.
qint32 distinctValue(const QString& address, int i) {
    const ParsedAddress p = parseAddress(address);
    if (p.bitMode) return 1;
    if (p.type == u'B') return 1 + i % 200;
    if (p.type == u'W') return 2000 + i;
    return 100000 + 7 * i;
}

struct CodeCase {
    int code;
    std::vector<int> items;
    int startMaximum;
    int endValue;
    int endMaximum;
};

void PrintTo(const CodeCase& c, std::ostream* os) {
    *os << "code " << c.code;
}

std::vector<int> labels3to5() {
    return labelDataItems(3, 5);
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
    if (upload)
        transfers.UploadData(c.code);
    else
        transfers.DownloadData(c.code - 10);

    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].title, upload ? "Data Upload" : "Data Download");
    EXPECT_EQ(host.text, progressText(c.code));
    EXPECT_EQ(host.startMaximum, c.startMaximum);
    EXPECT_EQ(host.value, c.endValue);
    EXPECT_EQ(host.maximum, c.endMaximum);

    const Traffic t = traffic();
    const std::vector<int> expected = bytesOfItems(before, c.items);
    if (upload) {
        EXPECT_EQ(t.reads, expected);
        EXPECT_TRUE(t.writes.empty());
    } else {
        std::vector<int> written;
        for (const auto& w : t.writes)
            written.push_back(w.first);
        EXPECT_EQ(written, expected);
    }

    std::vector<bool> inSet(kItemCount + 1, false);
    for (const int i : c.items)
        inSet[size_t(i)] = true;
    for (int i = 0; i <= kItemCount; ++i) {
        const QString& a = before.Address[size_t(i)];
        if (upload) {
            const qint32 want = inSet[size_t(i)] ? distinctValue(a, i) : before.Value[size_t(i)];
            ASSERT_EQ(state.gCurrentData.Value[size_t(i)], want) << i;
        } else {
            ASSERT_EQ(state.gCurrentData, sent); // downloads never change the data set
            if (inSet[size_t(i)]) {
                ASSERT_EQ(board.value(a), sent.Value[size_t(i)]) << i;
            }
        }
    }
    EXPECT_EQ(state.gSavedData, state.gDefaultData);
    EXPECT_EQ(state.gProcessCode, c.code);
    EXPECT_EQ(state.gUploadNOW.isEmpty(), !upload);
}

std::vector<int> setupOrder() {
    return setupDataItems();
}

INSTANTIATE_TEST_SUITE_P(Codes, TransferByCode,
                         ::testing::Values(CodeCase{0, setupOrder(), 24, 25, 25},
                                           CodeCase{1, shiftDataItems(), 121, 121, 121},
                                           CodeCase{2, labels3to5(), 49, 48, 49},
                                           CodeCase{4, allDataItems(), 1747, 1747, 1747},
                                           CodeCase{10, setupOrder(), 24, 25, 25},
                                           CodeCase{11, shiftDataItems(), 121, 121, 121},
                                           CodeCase{12, labels3to5(), 49, 48, 49},
                                           CodeCase{14, allDataItems(), 1747, 1747, 1747}));

TEST_F(DataFixture, DownloadAllWritesTheColorControlItem) {
    state.gCurrentData.Value[kColorControlItem] = 1234;
    prompt.answer(MsgAnswer::Yes);
    transfers.DownloadData(4);
    EXPECT_EQ(board.value(QStringLiteral("W686")), 1234);
}

TEST_F(DataFixture, LabelRangeFromTheDialogRules) {
    struct Case {
        const char* from;
        const char* to;
        int firstItem;
        int lastItem;
    };
    for (const Case& c : {Case{"5", "3", 224, 239}, Case{"-4", "150", 144, 1743}}) {
        clearTranscript();
        host.range = labelRangeOk(true, QLatin1String(c.from), QLatin1String(c.to));
        prompt.answer(MsgAnswer::Yes);
        transfers.UploadData(2);
        std::vector<int> items;
        for (int i = c.firstItem; i <= c.lastItem; ++i)
            items.push_back(i);
        EXPECT_EQ(traffic().reads, bytesOfItems(state.gCurrentData, items)) << c.from;
    }
}

TEST_F(DataFixture, CancelledLabelRangeTransfersNothing) {
    host.range = labelRangeOk(true, QStringLiteral("x"), QStringLiteral("4"));
    prompt.answer(MsgAnswer::Yes);
    transfers.DownloadData(2);
    EXPECT_EQ(host.rangeDialogs, 1);
    EXPECT_EQ(host.windows, 0);
    EXPECT_TRUE(board.transcript().empty());
}

TEST_F(DataFixture, AnsweringNoToTheConfirmationSendsNothing) {
    transfers.UploadData(4);
    transfers.DownloadData(4);
    EXPECT_EQ(prompt.boxes.size(), 2u);
    EXPECT_EQ(host.windows, 0);
    EXPECT_TRUE(board.transcript().empty());
}

TEST_F(DataFixture, SilentUploadsAskNothing) {
    transfers.UploadData(DataTransfers::kSilentUploadShift);
    EXPECT_EQ(host.text, progressText(kUploadShift));
    transfers.UploadData(DataTransfers::kSilentUploadAll);
    EXPECT_EQ(host.text, progressText(kUploadAll));
    EXPECT_TRUE(prompt.boxes.empty());
    EXPECT_FALSE(state.gUploadNOW.isEmpty());
}

TEST_F(DataFixture, CancelStopsBeforeTheNextItem) {
    host.cancelAfter = 10;
    for (int i = 1; i <= 121; ++i)
        board.setValue(state.gCurrentData.Address[size_t(i)], 77);
    prompt.answer(MsgAnswer::Yes);
    transfers.UploadData(1);
    EXPECT_EQ(host.value, 10);
    EXPECT_EQ(state.gCurrentData.Value[10], 77);
    EXPECT_EQ(state.gCurrentData.Value[11], 0);
    EXPECT_EQ(prompt.boxes.size(), 1u); // no message for a cancel
    EXPECT_EQ(traffic().reads.size(), 20u);
}

TEST_F(DataFixture, CommErrorStopsOnceWithOneMessageAndKeepsUnreadItems) {
    for (int i = 1; i <= 121; ++i)
        board.setValue(state.gCurrentData.Address[size_t(i)], 55);
    state.gCurrentData.Value[6] = -6;
    state.gCurrentData.Value[50] = -50;
    // Mode handshake (2 bytes), then five words of 4 bytes each; the sixth read goes unanswered.
    board.faults().silentAfter = board.receivedCount() + 2 + 5 * 4;
    prompt.answer(MsgAnswer::Yes);
    transfers.UploadData(1);

    EXPECT_TRUE(link.CommError());
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(state.gCurrentData.Value[size_t(i)], 55) << i;
    EXPECT_EQ(state.gCurrentData.Value[6], -6); // the failed read is not stored as 0
    EXPECT_EQ(state.gCurrentData.Value[50], -50);
    EXPECT_EQ(state.gSavedData, state.gDefaultData);
    int processingErrors = 0;
    for (const Box& b : prompt.boxes)
        if (b.text.startsWith("Error Processing Request\r\n\r\nProcess Not Complete\r\n\r\n"
                              "Failed items: ") &&
            b.text.endsWith(" (no answer from the board)")) { // item 6, the first not read
            ++processingErrors;
            EXPECT_EQ(b.title, "KALVEX");
            EXPECT_EQ(b.icon, MsgIcon::Exclamation);
        }
    EXPECT_EQ(processingErrors, 1);
    EXPECT_EQ(host.value, 6);
}

TEST_F(DataFixture, OfflineAnswerNoSendsNothing) {
    goOffline();
    prompt.answer(MsgAnswer::Yes);
    transfers.UploadData(0);
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_EQ(prompt.boxes[1].title, "Program Offline");
    EXPECT_EQ(
        prompt.boxes[1].text,
        "Program is Currently OFFLINE\r\n\r\nDo You Wish to Switch to ONLINE MODE to Continue?");
    EXPECT_EQ(host.switches, 0);
    EXPECT_EQ(host.windows, 0);
    EXPECT_TRUE(board.transcript().empty());
}

TEST_F(DataFixture, OfflineAnswerYesGoesOnlineAndTransfers) {
    goOffline();
    prompt.answer(MsgAnswer::Yes);
    prompt.answer(MsgAnswer::Yes);
    transfers.DownloadData(1);
    EXPECT_EQ(host.switches, 1);
    EXPECT_TRUE(link.OnlineMode());
    EXPECT_EQ(host.value, 121);
}

TEST_F(DataFixture, FailedSwitchOnlineTransfersNothingAndSaysSo) {
    goOffline();
    port.failNextOpen(
        PortOpenError{8002, QStringLiteral("MSComm"), QStringLiteral("Invalid port")});
    prompt.answer(MsgAnswer::Yes);
    prompt.answer(MsgAnswer::Yes);
    transfers.UploadData(0);
    EXPECT_TRUE(link.CommError());
    EXPECT_EQ(host.value, 0);
    EXPECT_EQ(prompt.boxes.back().text, "Error Processing Request\r\n\r\nProcess Not Complete");
    EXPECT_TRUE(traffic().reads.empty());
    EXPECT_EQ(state.gCurrentData, state.gDefaultData);
}

TEST_F(DataFixture, ItemsWithoutABoardAddressAreSkipped) {
    state.gCurrentData.Address[130].clear();    // missing from a shorter file
    state.gCurrentData.Address[131] = "B70000"; // names no cell
    state.gCurrentData.Value[130] = 9;
    prompt.answer(MsgAnswer::Yes);
    prompt.answer(MsgAnswer::Yes); // send items with other addresses than the tag map
    transfers.DownloadData(0);
    EXPECT_EQ(host.skipped, 2);
    EXPECT_EQ(host.value, 25);
    for (const auto& w : traffic().writes)
        EXPECT_NE(w.first, 32); // an empty address would land on B32
    EXPECT_EQ(prompt.boxes.size(), 2u);
}

// An item whose address differs from the tag map is listed and sent only on Yes.
TEST_F(DataFixture, ForeignAddressesAreListedAndAsked) {
    state.gCurrentData.Address[122] = "B8176";
    state.gCurrentData.Value[122] = 5;
    for (const MsgAnswer a : {MsgAnswer::No, MsgAnswer::Yes}) {
        prompt.boxes.clear();
        clearTranscript();
        prompt.answer(MsgAnswer::Yes);
        prompt.answer(a);
        transfers.DownloadData(0);
        ASSERT_EQ(prompt.boxes.size(), 2u);
        EXPECT_TRUE(prompt.boxes[1].text.contains("item 122: B8176 (tag map: W1092)"))
            << qPrintable(prompt.boxes[1].text);
        EXPECT_EQ(board.peek(8176), a == MsgAnswer::Yes ? 5 : 0);
        EXPECT_EQ(traffic().writes.empty(), a == MsgAnswer::No);
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
    transfers.UploadData(0);
    EXPECT_FALSE(link.CommError());
    EXPECT_EQ(state.gCurrentData.Value[122], -1);
    EXPECT_EQ(host.value, 25);
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_EQ(prompt.boxes[1].text, "Error Processing Request\r\n\r\nProcess Not Complete\r\n\r\n"
                                    "Failed items: W1092 (wrong echo from the board)");
}

} // namespace
