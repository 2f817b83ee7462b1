#include "TestFiles.h"
#include "data/AppState.h"
#include "data/DataTransfers.h"
#include "data/ItemNames.h"
#include "data/SetupFile.h"
#include "data/SetupFileOps.h"
#include "data/ShiftExport.h"
#include "data/board/FaultCodes.h"
#include "link/Address.h"
#include "sim/SetupDefaults.h"
#include "support/LinkFixture.h"

namespace kalvex::test {
namespace {

// Answers file dialogs from a script (none left: cancelled) and records each call.
class ScriptedChooser final : public FileChooser {
  public:
    using Calls = std::vector<std::pair<QString, QString>>; // filter, initial path
    std::optional<QString> openFile(const QString& filter, const QString& initial) override {
        return next(openCalls, filter, initial);
    }
    std::optional<QString> saveFile(const QString& filter, const QString& initial) override {
        return next(saveCalls, filter, initial);
    }
    QStringList answers;
    Calls openCalls, saveCalls;

  private:
    std::optional<QString> next(Calls& calls, const QString& filter, const QString& initial) {
        calls.emplace_back(filter, initial);
        return answers.isEmpty() ? std::nullopt : std::optional(answers.takeFirst());
    }
};

// Transfer windows without windows: a preset range; the progress runs (or cancels) and records.
class FakeHost final : public TransferHost {
  public:
    explicit FakeHost(std::function<void()> online) : goOnline(std::move(online)) {}
    void switchOnline() override {
        ++switches;
        goOnline();
    }
    std::optional<LabelRange> askLabelRange() override {
        ++rangeDialogs;
        return range;
    }
    void showProcessing(DataTransfer& t) override {
        ++windows;
        text = t.text();
        startMaximum = t.maximum();
        for (int steps = 0; t.step();)
            if (++steps == cancelAfter) t.cancel();
        value = t.value();
        maximum = t.maximum();
        skipped = t.skipped();
    }

    std::optional<LabelRange> range = LabelRange{};
    int cancelAfter = -1, switches = 0, rangeDialogs = 0, windows = 0;
    QString text;
    int startMaximum = -1, value = -1, maximum = -1, skipped = -1;
    std::function<void()> goOnline;
};

using Kind = TransferOutcome::Kind;

std::vector<int> bytesOfItems(const SetupData& d, const std::vector<int>& items) {
    std::vector<int> bytes;
    for (const int i : items) {
        const ParsedAddress p = parseAddress(d.Address[size_t(i)]);
        for (int k = 0; k < (p.bitMode ? 1 : p.byteCount()); ++k)
            bytes.push_back(int(p.byteAddress) + k);
    }
    return bytes;
}

class DataFixture : public LinkFixture {
  protected:
    QString path(const char* name) const { return home.filePath(QLatin1String(name)); }
    std::vector<int> writtenBytes() const {
        std::vector<int> out;
        for (const auto& w : traffic().writes)
            out.push_back(w.first);
        return out;
    }

    AppState state;
    FakeHost host{[this] { link.OpenRSComm(port); }};
    DataTransfers transfers{state, link, prompt, host};
    ScriptedChooser chooser;
    SetupFileOps files{state, prompt, chooser, transfers};
};

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

struct CodeCase {
    int code;
    std::vector<int> items;
    const char* text;
    int startMaximum, endValue, endMaximum;
    int cancelAfter = -1; // steps; a cancel stops before the next item, with no message
    int blank = -1;       // an item without an address
};

class TransferByCode : public DataFixture, public ::testing::WithParamInterface<CodeCase> {};

TEST_P(TransferByCode, MovesExactlyItsItemsInOrder) {
    const CodeCase& c = GetParam();
    const bool upload = c.code < 10;
    const bool cancelled = c.cancelAfter > 0;
    host.range = LabelRange{3, 5};
    host.cancelAfter = c.cancelAfter;
    if (c.blank > 0) state.gCurrentData.Address[size_t(c.blank)].clear(); // skipped, not B0
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
    EXPECT_EQ(std::tuple(host.startMaximum, host.value, host.maximum, host.skipped),
              std::tuple(c.startMaximum, c.endValue, c.endMaximum, c.blank > 0 ? 1 : 0));
    EXPECT_EQ(o.kind, cancelled ? Kind::Cancelled : Kind::Complete);
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
    EXPECT_EQ(state.gUploadNOW.isEmpty(), !upload || cancelled);
}

// Set-up: item 0, 122-142 and the gateway's 1744-1746. All also moves the colour control item.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Codes, TransferByCode, ::testing::Values(
    CodeCase{0, span(1744, 1746, span(122, 142, {0})), "Uploading Set-up Data, Please Standby...", 24, 25, 25},
    CodeCase{1, span(1, 121), "Uploading Shift Data, Please Standby...", 121, 121, 121},
    CodeCase{1, span(1, 10), "Uploading Shift Data, Please Standby...", 121, 10, 121, 10},
    CodeCase{2, span(192, 239), "Uploading Label Data, Please Standby...", 49, 48, 49},
    CodeCase{4, span(0, 1746), "Uploading, Please Standby...", 1747, 1747, 1747},
    CodeCase{10, span(1744, 1746, span(131, 142, span(122, 129, {0}))), "Downloading Set-Up Data, Please Standby...", 24, 25, 25, -1, 130},
    CodeCase{11, span(1, 121), "Downloading Shift Data, Please Standby...", 121, 121, 121},
    CodeCase{12, span(192, 239), "Downloading Label Data, Please Standby...", 49, 48, 49},
    CodeCase{14, span(0, 1746), "Downloading, Please Standby...", 1747, 1747, 1747}));
// clang-format on

TEST_F(DataFixture, AFailedReadIsNamedOnceAndNotStored) {
    const struct {
        int code, item, stored, progress;
        LinkFailure failure;
        const char* named;
    } cases[] = {{0, 122, 0, 25, LinkFailure::WrongEcho, "W1092 (wrong echo from the board)"},
                 {1, 6, 5, 6, LinkFailure::NoAnswer, "W1030 (no answer from the board)"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named);
        for (const int i : {0, 5, 6, 122, 123})
            board.setValue(state.gCurrentData.Address[size_t(i)], 55);
        state.gCurrentData.Value[size_t(c.item)] = -1;
        state.gCurrentData.Value[50] = -50;
        link.resetBoardMode();
        prompt.boxes.clear();
        // Mode handshake (2 bytes), then item 0 (2 bytes) or five words (4 bytes each).
        if (c.failure == LinkFailure::WrongEcho)
            board.faults().wrongEchoAt = {board.receivedCount() + 5};
        else
            board.faults().silentAfter = board.receivedCount() + 2 + 5 * 4;
        prompt.answer(MsgAnswer::Yes);
        const TransferOutcome o = transfers.UploadData(c.code);
        EXPECT_EQ(link.CommError(), c.failure == LinkFailure::NoAnswer);
        EXPECT_EQ(std::tuple(o.kind, o.failure, host.value),
                  std::tuple(Kind::Failed, c.failure, c.progress));
        ASSERT_EQ(o.failedItems.size(), 1u);
        EXPECT_EQ(o.failedItems[0].index, c.item);
        const std::vector<qint32>& v = state.gCurrentData.Value;
        EXPECT_EQ(std::tuple(v[size_t(c.stored)], v[size_t(c.item)], v[50]),
                  std::tuple(55, -1, -50));
        // The confirmation, the link's own warning after silence, and one message for the transfer.
        ASSERT_EQ(prompt.boxes.size(), c.failure == LinkFailure::NoAnswer ? 3u : 2u);
        EXPECT_EQ(prompt.boxes.back().icon, MsgIcon::Exclamation);
        EXPECT_EQ(prompt.boxes.back().text,
                  "Error Processing Request\r\n\r\nProcess Not Complete\r\n\r\nFailed items: " +
                      QString(c.named));
    }
}

TEST_F(DataFixture, DeclinedOrOfflineSendsNothingUntilOnline) {
    EXPECT_EQ(transfers.UploadData(4).kind, Kind::NotStarted); // the confirmations are answered No
    EXPECT_EQ(transfers.DownloadData(4).kind, Kind::NotStarted);
    host.range.reset();
    prompt.answer(MsgAnswer::Yes);
    EXPECT_EQ(transfers.DownloadData(2).kind, Kind::NotStarted);
    EXPECT_EQ(std::tuple(prompt.boxes.size(), host.rangeDialogs, host.windows),
              std::tuple(3u, 1, 0));
    state.gCurrentData.Address[131] = "B70000"; // another cell: DataCli.RefusedArgumentsAndFiles
    prompt.answer(MsgAnswer::Yes);
    EXPECT_EQ(transfers.DownloadData(0).kind, Kind::NotStarted);
    EXPECT_TRUE(prompt.boxes.back().text.contains("item 131: B70000 is not a board address"))
        << qPrintable(prompt.boxes.back().text);
    state.gCurrentData.Address[131] = state.gDefaultData.Address[131];
    EXPECT_TRUE(board.transcript().empty());
    link.CloseRSComm();
    clearTranscript();
    prompt.boxes.clear();
    prompt.answer(MsgAnswer::Yes);
    transfers.UploadData(0);
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_EQ(
        prompt.boxes[1].text,
        "Program is Currently OFFLINE\r\n\r\nDo You Wish to Switch to ONLINE MODE to Continue?");
    EXPECT_EQ(host.switches + host.windows, 0);
    EXPECT_TRUE(board.transcript().empty());

    port.failNextOpen({8002, "MSComm", "Invalid port"});
    prompt.answer(MsgAnswer::Yes);
    prompt.answer(MsgAnswer::Yes);
    EXPECT_EQ(transfers.UploadData(0).kind, Kind::Failed);
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

// After a wrong echo (a stray byte may be stored) the read-back is offered; asked for, it runs.
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
    board.setValue(state.gCurrentData.Address[131], 4);
    board.faults().silentAfter = board.receivedCount() + 20;
    EXPECT_FALSE(compare.compareWithBoard(state.gCurrentData, setupDataItems())) << "a failed read";
}

TEST_F(DataCompareTest, DownloadWritesTheTickedItemsAndReadsBackOnlyWhatWasSent) {
    SetupData data = state.gCurrentData;
    for (const int i : {122, 123, 124, 125, 131, kLabel5Ductor3On})
        data.Value[size_t(i)] += 1;
    const std::vector<int> ticked{122, kLabel5Ductor3On};
    prompt.answer(MsgAnswer::No);
    EXPECT_FALSE(compare.download(kUploadAll, data, ticked, false).started);
    EXPECT_TRUE(sent().isEmpty());
    prompt.answer(MsgAnswer::Yes);
    const SelectiveOutcome all = compare.download(kUploadAll, data, ticked, true);
    EXPECT_TRUE(all.complete && all.verified && !all.resynchronised && all.mismatches.empty());
    EXPECT_EQ(all.written, ticked);
    EXPECT_EQ(writtenBytes(), bytesOfItems(data, ticked));
    const std::vector<int> items{122, 123, 124, 125};
    for (const MsgAnswer readBack : {MsgAnswer::Yes, MsgAnswer::No}) {
        prompt.boxes.clear();
        host.cancelAfter = 2;
        prompt.answer(MsgAnswer::Yes);
        const SelectiveOutcome out = compare.download(kUploadSetup, data, items, true);
        EXPECT_TRUE(out.cancelled && !out.verified);
        EXPECT_EQ(std::pair(out.written, out.notSent),
                  std::pair(std::vector<int>{122, 123}, std::vector<int>{124, 125}));
        host.cancelAfter = -1;
        clearTranscript();
        prompt.answer(readBack);
        EXPECT_FALSE(reportDownload(prompt, compare, data, items, out));
        EXPECT_TRUE(traffic().writes.empty());
        EXPECT_EQ(traffic().reads.size(), readBack == MsgAnswer::Yes ? 4u : 0u); // two words
        ASSERT_EQ(prompt.boxes.size(), 3u);
        EXPECT_EQ(prompt.boxes[1].text, "Download stopped: 2 of 4 sent; 2 not sent.\r\n\r\n"
                                        "Read back the 2 items sent?");
        EXPECT_EQ(prompt.boxes[2].text,
                  QString(readBack == MsgAnswer::Yes ? "2 of 4 written and verified"
                                                     : "2 of 4 written, not verified") +
                      "; 2 not sent.\r\n\r\nNot sent, the board keeps its values:\r\nW1096  " +
                      itemName(124) + "\r\nW690  " + itemName(125));
    }
}

// A wrong echo on W300's high address byte makes the resynchronising 0xFF a write to B511.
TEST_F(DataCompareTest, VerificationCatchesAStrayWriteFromAWrongEcho) {
    SetupData data = state.gCurrentData;
    const std::vector<int> items{122, 123};
    data.Address[122] = QStringLiteral("B511");
    data.Address[123] = QStringLiteral("W300");
    std::tie(data.Value[122], data.Value[123]) = std::pair(7, 5);
    for (const auto& [verifyAfter, readBack] :
         {std::pair(true, true), {false, true}, {false, false}}) {
        prompt.boxes.clear();
        // Attention and mode, three bytes for B511, then the high address byte of W300.
        board.faults().wrongEchoAt = {board.receivedCount() + 6};
        prompt.answer(MsgAnswer::Yes);
        const SelectiveOutcome out = compare.download(kUploadSetup, data, items, verifyAfter);
        EXPECT_TRUE(out.complete); // the link's second attempt went through
        ASSERT_TRUE(out.resynchronised);
        EXPECT_EQ(out.verified, verifyAfter);
        if (!verifyAfter) prompt.answer(readBack ? MsgAnswer::Yes : MsgAnswer::No);
        EXPECT_FALSE(reportDownload(prompt, compare, data, items, out));
        ASSERT_EQ(prompt.boxes.size(), verifyAfter ? 2u : 3u);
        EXPECT_EQ(prompt.boxes[1].text.contains("a stray byte may have been written"),
                  !verifyAfter);
        EXPECT_EQ(prompt.boxes.back().icon, MsgIcon::Exclamation);
        EXPECT_TRUE(prompt.boxes.back().text.startsWith(
            readBack ? "Verification failed. The board does not hold:\r\n\r\n"
                       "B511  Canfeed Enable Low Speed: sent 7, board holds 255"
                     : "2 items written, not read back."))
            << prompt.boxes.back().text.toStdString();
    }
}

// A wrong echo or lost reply at each byte of the fault reset's writes: read back, or candidates.
TEST_F(DataCompareTest, EveryByteAWriteChangedUnaskedIsNamed) {
    const auto writes = faultResetBoardWrites();
    int strays = 0;
    for (const bool lostReply : {false, true})
        for (qint64 n = 1; n <= 14; ++n) {
            SCOPED_TRACE(testing::Message() << "lost reply " << lostReply << ", byte " << n);
            for (int a = 8176; a <= 8191; ++a)
                board.poke(a, 1);
            std::vector<quint8> before;
            for (int a = 0; a < 65536; ++a)
                before.push_back(board.peek(a));
            link.setCommError(false);
            link.resetBoardMode();
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

auto boxOf(const Box& b) {
    return std::tuple(b.title, b.text, b.buttons, b.icon);
}

class FileOps : public DataFixture {
  protected:
    void SetUp() override {
        DataFixture::SetUp();
        link.CloseRSComm();
        clearTranscript();
    }
    QString writeFile(const char* name, const SetupData& d) {
        EXPECT_TRUE(writeSetupFile(path(name), d, nullptr));
        return path(name);
    }
    SetupData olderFile() const {
        SetupData d = state.gDefaultData;
        d.Version = QStringLiteral("KALVEX_R0.9.9");
        d.Value[122] = 640;
        return d;
    }
};

TEST_F(FileOps, NewAsksAfterAnEditAndASaveNamesTheFileOnlyOnceWritten) {
    files.New();
    EXPECT_TRUE(prompt.boxes.empty());

    state.gCurrentData.Value[122] = 650;
    prompt.answer(MsgAnswer::Cancel);
    files.New();
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(boxOf(prompt.boxes[0]), std::tuple("KALVEX", "Save Changes to File?",
                                                 MsgButtons::YesNoCancel, MsgIcon::Exclamation));
    EXPECT_EQ(state.gCurrentData.Value[122], 650);

    files.New(); // answered No
    EXPECT_EQ(state.gCurrentData, state.gDefaultData);
    EXPECT_EQ(state.windowCaption(), "KALVEX - [unnamed]");

    // A Save As cancelled at closing changes nothing but still lets the program end.
    prompt.boxes.clear();
    state.gCurrentData.Value[122] = 650;
    prompt.answer(MsgAnswer::Yes);
    EXPECT_TRUE(files.mayClose());
    EXPECT_TRUE(state.gFileUnnamed);
    EXPECT_EQ(state.gSavedData, state.gDefaultData);

    chooser.answers.push_back(path("line4.sdt"));
    EXPECT_EQ(files.Save(), SetupFileOps::SaveResult::Saved);
    ASSERT_EQ(chooser.saveCalls.size(), 2u);
    EXPECT_EQ(chooser.saveCalls[1], std::make_pair(kSetupFileFilter, QString()));
    EXPECT_EQ(state.windowCaption(), "KALVEX - [line4.sdt]");
    EXPECT_FALSE(state.gFileUnnamed);
    EXPECT_EQ(fileBytes(path("line4.sdt")), encodeSetupData(state.gCurrentData));
    EXPECT_TRUE(files.mayClose());
    EXPECT_EQ(prompt.boxes.size(), 1u); // offline: no upload offer; saved: no question

    // A failed save keeps the earlier file, the name and the saved copy, and the program open.
    const QByteArray before = fileBytes(path("line4.sdt"));
    state.gCurrentData.Address[0] = QString(3000, u'B'); // a long address: over the limit
    state.gCurrentData.Value[123] = 1;
    prompt.answer(MsgAnswer::Yes);
    EXPECT_FALSE([&] {
        FileSizeLimit limit(20000);
        return files.mayClose();
    }());
    EXPECT_EQ(fileBytes(path("line4.sdt")), before);
    EXPECT_TRUE(prompt.boxes.back().text.contains("line4.sdt"));
    EXPECT_NE(state.gSavedData.Value[123], 1);
    chooser.answers = {path("missing-folder/x.sdt")};
    EXPECT_EQ(files.SaveAs(), SetupFileOps::SaveResult::Failed);
    EXPECT_EQ(std::pair(state.gFileNamePath, state.windowCaption()),
              std::pair(path("line4.sdt"), QString("KALVEX - [line4.sdt]")));
    EXPECT_NE(state.gSavedData.Value[123], 1);
}

TEST_F(FileOps, OpenKeepsEverythingUntilAFileLoadsThenFitsItAndMarksAnotherVersionChanged) {
    state.gCurrentData.Value[122] = 650;
    state.gFileNamePath = path("*.sdt");
    const auto snapshot = [this] {
        return std::tuple(state.gCurrentData, state.gSavedData, state.gFileNamePath,
                          state.gFileNameTitle, state.gFileNameCaption, state.gUploadNOW);
    };
    const auto before = snapshot();
    const auto unchanged = [&] { EXPECT_TRUE(snapshot() == before); };
    const QString old = writeFile("old.sdt", olderFile());
    chooser.answers = {old};
    prompt.answer(MsgAnswer::No);     // save changes? no
    prompt.answer(MsgAnswer::Cancel); // continue with the old version? cancel
    files.Open();
    unchanged();
    EXPECT_EQ(chooser.openCalls[0].second, path("*.sdt"));
    const size_t boxes = prompt.boxes.size();
    prompt.answer(MsgAnswer::No);
    files.Open(); // the dialog cancelled: no message
    unchanged();
    EXPECT_EQ(prompt.boxes.size(), boxes + 1);
    chooser.answers = {writeBytes(path("cut.sdt"), encodeSetupData(state.gDefaultData).left(5000))};
    prompt.answer(MsgAnswer::No);
    files.Open(); // a truncated file
    unchanged();
    EXPECT_TRUE(prompt.boxes.back().text.contains("cut.sdt"));
    EXPECT_EQ(prompt.boxes.back().buttons, MsgButtons::Ok);

    SetupData d = state.gDefaultData;
    d.Value[1745] = 4;
    chooser.answers = {old, writeFile("same.sdt", d), old};
    prompt.boxes.clear();
    for (int k = 0; k < 3; ++k) // save changes? no; the old version? no: asked again, no
        prompt.answer(MsgAnswer::No);
    files.Open();
    ASSERT_EQ(chooser.openCalls.size(), 5u);
    EXPECT_EQ(chooser.openCalls[4].second, old);
    EXPECT_EQ(state.gCurrentData, d);
    EXPECT_EQ(std::tuple(state.gFileNameTitle, state.gFileNamePath, state.gUploadNOW.isEmpty()),
              std::tuple(QString("same.sdt"), path("same.sdt"), false));
    EXPECT_TRUE(files.mayClose());
    EXPECT_EQ(prompt.boxes.size(), 3u);
    prompt.answer(MsgAnswer::Yes);
    files.Open(); // the current version opened without a question
    ASSERT_EQ(prompt.boxes.size(), 4u);
    EXPECT_EQ(boxOf(prompt.boxes[3]),
              std::tuple("KALVEX",
                         "File created by set-up program version: KALVEX_R0.9.9\r\n"
                         "Data tables may not be properly aligned.\r\n\r\nDo you wish to continue?",
                         MsgButtons::YesNoCancel, MsgIcon::Information));
    EXPECT_EQ(std::tuple(state.gCurrentData.Value[122], state.gCurrentData.Version,
                         state.windowCaption()),
              std::tuple(640, "KALVEX_R0.9.9", "KALVEX - [old.sdt]"));
    prompt.answer(MsgAnswer::Yes);
    EXPECT_TRUE(files.mayClose()); // Yes saves the file, re-stamped
    ASSERT_EQ(prompt.boxes.size(), 5u);
    EXPECT_EQ(prompt.boxes[4].text, "Save Changes to File?");
    EXPECT_EQ(readSetupFile(old, nullptr)->Version, state.gProgramVersion);
    for (const int items : {1700, 1800}) {
        SetupData n{state.gProgramVersion, {}, {}};
        for (int i = 0; i < items; ++i) {
            n.Address.push_back(QStringLiteral("B%1").arg(i));
            n.Value.push_back(i + 1);
        }
        chooser.answers = {writeFile("n.sdt", n)};
        files.Open();
        n.Address.resize(kItemCount + 1); // a short file gets empty items, a long one is cut
        n.Value.resize(kItemCount + 1);
        EXPECT_EQ(state.gCurrentData, n) << items;
    }
}

TEST_F(FileOps, OnlineSaveAndExportOfferToUploadFirst) {
    chooser.answers = {path("shift.txt")};
    EXPECT_TRUE(ExportShiftData(state, prompt, chooser, transfers));
    EXPECT_TRUE(prompt.boxes.empty());
    EXPECT_EQ(chooser.saveCalls[0], std::make_pair(kTextFileFilter, QString()));
    EXPECT_EQ(fileBytes(path("shift.txt")), shiftExportText(state.gCurrentData, {}, {}));
    ExportShiftData(state, prompt, chooser, transfers); // cancelled
    EXPECT_EQ(chooser.saveCalls[1].second, path("shift.txt"));
    chooser.answers = {path("no-folder/shift.txt")};
    EXPECT_FALSE(ExportShiftData(state, prompt, chooser, transfers));
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_TRUE(prompt.boxes[0].text.contains("no-folder/shift.txt"));

    link.OpenRSComm(port);
    clearTranscript();
    prompt.boxes.clear();
    board.setValue(QStringLiteral("W3110"), 999);
    chooser.answers = {path("up.sdt"), path("shift.txt")};
    prompt.answer(MsgAnswer::Yes);
    files.Save();
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(boxOf(prompt.boxes[0]),
              std::tuple("KALVEX", "Do you wish to first 'Upload Data' from the P9100?  ",
                         MsgButtons::YesNo, MsgIcon::Question));
    EXPECT_EQ(traffic().reads, bytesOfItems(state.gDefaultData, allDataItems()));
    EXPECT_EQ(readSetupFile(path("up.sdt"), nullptr)->Value[152], 999);

    board.setValue(QStringLiteral("D1100"), 7654321);
    prompt.answer(MsgAnswer::Yes);
    ExportShiftData(state, prompt, chooser, transfers);
    EXPECT_EQ(prompt.boxes.size(), 2u);
    EXPECT_EQ(std::pair(host.text, host.value), std::pair(progressText(kUploadShift), 121));
    EXPECT_TRUE(fileBytes(path("shift.txt")).contains("\r\n7654321\r\n"));

    // After a failed upload: export only the old counts under their old date; Save saves nothing.
    const QString oldDate = QStringLiteral("01/02/2026 10:00:00");
    for (const bool asItWas : {false, true}) {
        SCOPED_TRACE(asItWas);
        writeBytes(path("shift.txt"), "old export");
        link.OpenRSComm(port);
        state.gUploadNOW = oldDate;
        const SetupData before = state.gCurrentData;
        board.setValue(QStringLiteral("D1100"), 7654321);
        board.faults().silentAfter = board.receivedCount() + 40;
        prompt.boxes.clear();
        chooser.answers = {path("shift.txt")};
        for (int k = 0; k < 8; ++k)
            prompt.answerWith([&](const test::Box& b) {
                if (b.title == "Export Shift Data") return asItWas ? MsgAnswer::Yes : MsgAnswer::No;
                if (b.text.contains("Upload Data")) return MsgAnswer::Yes;
                return b.buttons == MsgButtons::RetryCancel ? MsgAnswer::Cancel : MsgAnswer::Ok;
            });
        ExportShiftData(state, prompt, chooser, transfers);
        board.faults().silentAfter = -1;
        EXPECT_TRUE(std::any_of(prompt.boxes.begin(), prompt.boxes.end(),
                                [](const test::Box& b) { return b.title == "Export Shift Data"; }));
        EXPECT_EQ(state.gUploadNOW, oldDate);
        EXPECT_EQ(fileBytes(path("shift.txt")),
                  asItWas ? shiftExportText(before, state.gFileNameTitle, oldDate)
                          : QByteArray("old export"));
    }
    link.OpenRSComm(port);
    const QString saved = writeFile("a.sdt", olderFile());
    chooser.answers.push_back(saved);
    board.faults().silentAfter = board.receivedCount() + 40;
    prompt.boxes.clear();
    prompt.answer(MsgAnswer::Yes);
    EXPECT_EQ(files.SaveAs(), SetupFileOps::SaveResult::Failed);
    EXPECT_EQ(state.gFileNamePath, path("up.sdt")); // not renamed to the file not written
    EXPECT_EQ(prompt.boxes.back().text,
              "The data upload did not complete.\r\n\r\nNothing was saved.");
    EXPECT_EQ(readSetupFile(saved, nullptr)->Version, olderFile().Version);
}

} // namespace
} // namespace kalvex::test
