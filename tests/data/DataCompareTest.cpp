// GCC sees the scripted chooser's optional as maybe uninitialised once inlined here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include "DataFixture.h"
#pragma GCC diagnostic pop
#include "data/DataCompare.h"
#include "data/ItemNames.h"
#include "data/StrayReadBack.h"
#include "data/TagMap.h"
#include "data/board/FaultCodes.h"
#include "sim/SetupDefaults.h"

using namespace kalvex;
using namespace kalvex::test;

namespace {

class DataCompareTest : public DataFixture {
  protected:
    void SetUp() override {
        DataFixture::SetUp();
        sim::loadSetupDefaults(board);
        clearTranscript();
    }
    DataCompare compare{link, prompt, host};
};

constexpr int kLabel5Ductor3On = kFirstLabelItem + 5 * kItemsPerLabel + 2; // B3252

// Items changed on the board are listed by name in transfer order, and nothing is written.
TEST_F(DataCompareTest, ListsTheItemsChangedOnTheBoard) {
    const std::pair<int, std::vector<int>> cases[] = {
        {kUploadSetup, {0, 122, 131}},
        {kUploadLabels, {kLabel5Ductor3On, kLabel5Ductor3On + 8, kFirstLabelItem + 6 * 16 + 7}},
        {kUploadAll, {38, 125, kLabel5Ductor3On}},
    };
    EXPECT_EQ(itemName(kLabel5Ductor3On + 8), "Label 5, ductor 3 cycle");
    const SetupData before = state.gCurrentData;
    for (const auto& [code, items] : cases) {
        for (const int i : allDataItems()) // the machine model's counters start above zero
            board.setValue(before.Address[size_t(i)], before.Value[size_t(i)]);
        std::vector<ItemDifference> want;
        for (const int i : items) {
            board.setValue(before.Address[size_t(i)], before.Value[size_t(i)] + 3);
            want.push_back({i, before.Address[size_t(i)], itemName(i), before.Value[size_t(i)],
                            before.Value[size_t(i)] + 3});
        }
        clearTranscript();
        EXPECT_EQ(compare.compareWithBoard(state.gCurrentData, setItemsOf(code, 4, 6)), want);
        EXPECT_TRUE(traffic().writes.empty());
        EXPECT_EQ(state.gCurrentData, before);
    }
    // A board read that fails compares nothing.
    board.setValue(state.gCurrentData.Address[131], 4);
    board.faults().silentAfter = board.receivedCount() + 20;
    EXPECT_FALSE(compare.compareWithBoard(state.gCurrentData, setupDataItems()));
}

// The data set differs from the board in three items; only the two ticked go out, and the
// read-back finds them held.
TEST_F(DataCompareTest, DownloadOfTickedItemsWritesThoseAndNothingElse) {
    SetupData data = state.gCurrentData;
    for (const int i : {122, 131, kLabel5Ductor3On})
        data.Value[size_t(i)] += 2;
    const std::vector<int> ticked{122, kLabel5Ductor3On};

    prompt.answer(MsgAnswer::No);
    EXPECT_FALSE(compare.download(kUploadAll, data, ticked, false).started);
    EXPECT_TRUE(sent().isEmpty());
    prompt.answer(MsgAnswer::Yes);
    const SelectiveOutcome out = compare.download(kUploadAll, data, ticked, true);
    EXPECT_TRUE(out.complete && out.verified && !out.resynchronised && out.mismatches.empty());
    EXPECT_EQ(out.written, ticked);
    EXPECT_EQ(writtenBytes(), bytesOfItems(data, ticked));
    for (const int i : ticked)
        EXPECT_EQ(board.value(data.Address[size_t(i)]), data.Value[size_t(i)]);
    // A value changed behind the program's back afterwards is found.
    board.setValue(QStringLiteral("W1092"), 6);
    const auto m = compare.verify(data, ticked);
    ASSERT_TRUE(m);
    EXPECT_EQ(*m, (std::vector<ItemDifference>{{122, "W1092", itemName(122), data.Value[122], 6}}));
}

// Cancel stops the writes and reads back nothing unasked; the read-back offered covers only
// the items sent.
TEST_F(DataCompareTest, AfterCancelOnlyWhatWasSentIsReadBack) {
    SetupData data = state.gCurrentData;
    for (const int i : {122, 123, 124, 125})
        data.Value[size_t(i)] += 1;
    const std::vector<int> items{122, 123, 124, 125};
    for (const MsgAnswer readBack : {MsgAnswer::Yes, MsgAnswer::No}) {
        prompt.boxes.clear();
        host.cancelAfter = 2;
        prompt.answer(MsgAnswer::Yes);
        const SelectiveOutcome out = compare.download(kUploadSetup, data, items, true);
        EXPECT_TRUE(out.cancelled && !out.verified);
        EXPECT_EQ(out.written, (std::vector<int>{122, 123}));
        EXPECT_EQ(out.notSent, (std::vector<int>{124, 125}));
        host.cancelAfter = -1;
        clearTranscript();
        prompt.answer(readBack);
        EXPECT_FALSE(reportDownload(prompt, compare, data, items, out));
        EXPECT_TRUE(traffic().writes.empty());
        EXPECT_EQ(traffic().reads.size(), readBack == MsgAnswer::Yes ? 4u : 0u); // two words
        ASSERT_EQ(prompt.boxes.size(), 3u);
        EXPECT_EQ(prompt.boxes[1].text, "Download stopped: 2 of 4 sent; 2 not sent.\r\n\r\n"
                                        "Read back the 2 items sent?");
        EXPECT_TRUE(prompt.boxes[2].text.startsWith(
            readBack == MsgAnswer::Yes ? "2 of 4 written and verified; 2 not sent.\r\n\r\n"
                                       : "2 of 4 written, not verified; 2 not sent.\r\n\r\n"))
            << prompt.boxes[2].text.toStdString();
        EXPECT_TRUE(prompt.boxes[2].text.endsWith("Not sent, the board keeps its values:\r\n"
                                                  "W1096  " +
                                                  itemName(124) + "\r\nW690  " + itemName(125)));
    }
}

// B511 and W300: a wrong echo on the first address byte of the W300 write makes the board
// take the resynchronising 0xFF as the low address byte of a write to byte 511. The read-back,
// asked for or offered afterwards, finds the stray.
TEST_F(DataCompareTest, VerificationCatchesAStrayWriteFromAWrongEcho) {
    SetupData data = state.gCurrentData;
    data.Address[122] = QStringLiteral("B511");
    data.Address[123] = QStringLiteral("W300");
    data.Value[122] = 7;
    data.Value[123] = 5;
    const std::vector<int> items{122, 123};
    for (const bool verifyAfter : {true, false}) {
        prompt.boxes.clear();
        // Attention and mode, three bytes for B511, then the high address byte of W300.
        board.faults().wrongEchoAt = {board.receivedCount() + 6};
        prompt.answer(MsgAnswer::Yes);
        const SelectiveOutcome out = compare.download(kUploadSetup, data, items, verifyAfter);
        EXPECT_TRUE(out.complete); // the link's second attempt went through
        ASSERT_TRUE(out.resynchronised);
        EXPECT_EQ(out.verified, verifyAfter);
        if (!verifyAfter) prompt.answer(MsgAnswer::Yes); // read back
        EXPECT_FALSE(reportDownload(prompt, compare, data, items, out));
        ASSERT_EQ(prompt.boxes.size(), verifyAfter ? 2u : 3u);
        EXPECT_EQ(prompt.boxes[1].text.contains("a stray byte may have been written"),
                  !verifyAfter);
        EXPECT_EQ(prompt.boxes.back().text,
                  "Verification failed. The board does not hold:\r\n\r\n"
                  "B511  Canfeed Enable Low Speed: sent 7, board holds 255");
    }
    // The read-back declined: no word that all is well.
    prompt.boxes.clear();
    board.faults().wrongEchoAt = {board.receivedCount() + 6};
    prompt.answer(MsgAnswer::Yes);
    const SelectiveOutcome out = compare.download(kUploadSetup, data, items, false);
    prompt.answer(MsgAnswer::No);
    EXPECT_FALSE(reportDownload(prompt, compare, data, items, out));
    EXPECT_EQ(prompt.boxes.back().icon, MsgIcon::Exclamation);
    EXPECT_TRUE(prompt.boxes.back().text.startsWith("2 items written, not read back."));
}

// Over every byte of the four writes of a fault reset, a wrong echo or a lost reply there: any
// byte that changed, besides the registers written, is named; read back (255) when the board
// still answers, else as a byte that may have been changed.
TEST_F(DataCompareTest, EveryByteAWriteChangedUnaskedIsNamed) {
    const auto writes = faultResetWrites();
    int strays = 0;
    for (const bool lostReply : {false, true})
        for (qint64 n = 1; n <= 14; ++n) {
            SCOPED_TRACE(
                QStringLiteral("lost reply %1, byte %2").arg(lostReply).arg(n).toStdString());
            for (int a = 8176; a <= 8191; ++a)
                board.poke(a, 1);
            std::vector<quint8> before(65536);
            for (int a = 0; a < 65536; ++a)
                before[size_t(a)] = board.peek(a);
            link.setCommError(false);
            link.resetBoardMode();
            board.faults() = {};
            if (lostReply)
                board.faults().mutedAfter = board.receivedCount() + n - 1;
            else
                board.faults().wrongEchoAt = {board.receivedCount() + n};
            const CheckedWrites w = writeChecked(link, writes);
            board.faults() = {};
            const std::vector<int>& named = w.strays.read ? w.strays.strays : w.strays.candidates;
            for (int a = 0; a < 65536; ++a) {
                if (board.peek(a) == before[size_t(a)] || (a >= 8176 && a <= 8179)) continue;
                ++strays;
                EXPECT_NE(std::find(named.begin(), named.end(), a), named.end()) << a;
                EXPECT_FALSE(w.strays.text().isEmpty());
            }
        }
    EXPECT_GE(strays, 4); // the faults above do store strays
}

} // namespace
