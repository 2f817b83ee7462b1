// GCC sees the scripted chooser's optional as maybe uninitialised once inlined here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include "DataFixture.h"
#pragma GCC diagnostic pop
#include "SetupDefaults.h"
#include "data/DataCompare.h"
#include "data/ItemNames.h"
#include "data/TagMap.h"

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

struct ChangedCase {
    const char* set;
    int code;
    std::vector<int> items; // changed on the board, in transfer order
    std::vector<const char*> names;
};

void PrintTo(const ChangedCase& c, std::ostream* os) {
    *os << c.set;
}

class ChangedOnBoard : public DataCompareTest, public ::testing::WithParamInterface<ChangedCase> {};

TEST_P(ChangedOnBoard, ListsExactlyThoseItemsByNameAndWritesNothing) {
    const ChangedCase& c = GetParam();
    const SetupData before = state.gCurrentData;
    for (const int i : allDataItems()) // the machine model's counters start above zero
        board.setValue(before.Address[size_t(i)], before.Value[size_t(i)]);
    for (const int i : c.items)
        board.setValue(before.Address[size_t(i)], before.Value[size_t(i)] + 3);
    clearTranscript();

    const auto diffs = compare.compareWithBoard(state.gCurrentData, setItemsOf(c.code, 4, 6));

    ASSERT_TRUE(diffs);
    ASSERT_EQ(diffs->size(), c.items.size());
    for (size_t k = 0; k < c.items.size(); ++k) {
        const ItemDifference& d = (*diffs)[k];
        const size_t i = size_t(c.items[k]);
        EXPECT_EQ(d, (ItemDifference{c.items[k], before.Address[i], QString::fromLatin1(c.names[k]),
                                     before.Value[i], before.Value[i] + 3}));
    }
    EXPECT_TRUE(traffic().writes.empty());
    EXPECT_EQ(state.gCurrentData, before);
}

INSTANTIATE_TEST_SUITE_P(
    Sets, ChangedOnBoard,
    ::testing::Values(
        ChangedCase{"setup",
                    kUploadSetup,
                    {0, 122, 131},
                    {"Spindle No.1 trip shift offset", "Canfeed Enable Low Speed",
                     "Number of Cans to Blow-off for Each Misload"}},
        ChangedCase{"labels 4-6",
                    kUploadLabels,
                    {kLabel5Ductor3On, kLabel5Ductor3On + 8, kFirstLabelItem + 6 * 16 + 7},
                    {"Label 5, ductor 3 ON", "Label 5, ductor 3 cycle", "Label 6, ductor 8 ON"}},
        ChangedCase{"all",
                    kUploadAll,
                    {38, 125, kLabel5Ductor3On},
                    {"Current shift, total blow-offs", "Maximum Cycle Duration (0.1 cans)",
                     "Label 5, ductor 3 ON"}}));

TEST_F(DataCompareTest, ABoardReadThatFailsComparesNothing) {
    board.setValue(state.gCurrentData.Address[131], 4);
    board.faults().silentAfter = board.receivedCount() + 20;
    EXPECT_FALSE(compare.compareWithBoard(state.gCurrentData, setupDataItems()));
}

// The data set differs from the board in three items; only the two ticked go out.
TEST_F(DataCompareTest, DownloadOfTickedItemsWritesThoseAndNothingElse) {
    SetupData data = state.gCurrentData;
    for (const int i : {122, 131, kLabel5Ductor3On})
        data.Value[size_t(i)] += 2;
    const std::vector<int> ticked{122, kLabel5Ductor3On};

    prompt.answer(MsgAnswer::No);
    EXPECT_FALSE(compare.download(kUploadAll, data, ticked, false).started);
    EXPECT_TRUE(sent().isEmpty());

    prompt.answer(MsgAnswer::Yes);
    const SelectiveOutcome out = compare.download(kUploadAll, data, ticked, false);

    EXPECT_TRUE(out.complete);
    EXPECT_TRUE(out.failed.empty());
    EXPECT_EQ(prompt.boxes.back().title, "Data Download");
    EXPECT_EQ(host.text, progressText(kDownloadAll));
    std::vector<int> written;
    for (const auto& [address, value] : traffic().writes)
        written.push_back(address);
    EXPECT_EQ(written, bytesOfItems(data, ticked));
    for (const int i : ticked)
        EXPECT_EQ(board.value(data.Address[size_t(i)]), data.Value[size_t(i)]);
    EXPECT_EQ(board.value(data.Address[131]), state.gCurrentData.Value[131]);
}

TEST_F(DataCompareTest, CancelAndALostBoardNameTheItemsNotWritten) {
    SetupData data = state.gCurrentData;
    const std::vector<int> items{122, 123, 124, 125};
    host.cancelAfter = 2;
    prompt.answer(MsgAnswer::Yes);
    const SelectiveOutcome out = compare.download(kUploadSetup, data, items, true);
    EXPECT_FALSE(out.complete);
    EXPECT_EQ(out.failed, (std::vector<int>{124, 125}));
}

// B511 and W300: a wrong echo on the first address byte of the W300 write makes the board
// take the resynchronising 0xFF as the low address byte of a write to byte 511.
SetupData strayPair(SetupData data) {
    data.Address[122] = QStringLiteral("B511");
    data.Value[122] = 7;
    data.Address[123] = QStringLiteral("W300");
    data.Value[123] = 5;
    return data;
}

TEST_F(DataCompareTest, VerificationCatchesAStrayWriteFromAWrongEcho) {
    const SetupData data = strayPair(state.gCurrentData);
    const std::vector<int> items{122, 123};
    // Attention and mode, three bytes for B511, then the high address byte of W300.
    board.faults().wrongEchoAt = {board.receivedCount() + 6};
    prompt.answer(MsgAnswer::Yes);
    const SelectiveOutcome out = compare.download(kUploadSetup, data, items, true);

    EXPECT_TRUE(out.complete); // the link's second attempt went through
    EXPECT_TRUE(out.resynchronised);
    EXPECT_TRUE(out.verified);
    ASSERT_EQ(out.mismatches.size(), 1u);
    EXPECT_EQ(out.mismatches[0].address, "B511");
    EXPECT_EQ(out.mismatches[0].valueB, 255);
}

// Without the read-back asked for, a resynchronised download offers it, and it finds the stray.
TEST_F(DataCompareTest, AResynchronisedDownloadOffersTheReadBack) {
    const SetupData data = strayPair(state.gCurrentData);
    const std::vector<int> items{122, 123};
    board.faults().wrongEchoAt = {board.receivedCount() + 6};
    prompt.answer(MsgAnswer::Yes);
    const SelectiveOutcome out = compare.download(kUploadSetup, data, items, false);
    ASSERT_TRUE(out.resynchronised);
    EXPECT_FALSE(out.verified);

    prompt.boxes.clear();
    prompt.answer(MsgAnswer::Yes);
    EXPECT_FALSE(reportDownload(prompt, compare, data, items, out));
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_TRUE(prompt.boxes[0].text.contains("a stray byte may have been written"));
    EXPECT_EQ(prompt.boxes[1].text, "Verification failed. The board does not hold:\r\n\r\n"
                                    "B511  Canfeed Enable Low Speed: sent 7, board holds 255");
}

TEST_F(DataCompareTest, VerificationCatchesAValueChangedBehindTheProgramsBack) {
    const SetupData data = strayPair(state.gCurrentData);
    const std::vector<int> items{122, 123};
    prompt.answer(MsgAnswer::Yes);
    const SelectiveOutcome clean = compare.download(kUploadSetup, data, items, true);
    EXPECT_TRUE(clean.verified);
    EXPECT_FALSE(clean.resynchronised);
    EXPECT_TRUE(clean.mismatches.empty());

    board.setValue(QStringLiteral("W300"), 6);
    const auto m = compare.verify(data, items);
    ASSERT_TRUE(m);
    EXPECT_EQ(*m, (std::vector<ItemDifference>{{123, "W300", itemName(123), 5, 6}}));
}

} // namespace
