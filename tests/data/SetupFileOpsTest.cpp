#include "DataFixture.h"
#include "data/SetupFile.h"
#include "data/ShiftExport.h"

#include <QFile>

#include <algorithm>

using namespace kalvex;
using namespace kalvex::test;

namespace {

auto boxOf(const Box& b) {
    return std::tuple(b.title, b.text, b.buttons, b.icon);
}

class FileOps : public DataFixture {
  protected:
    void SetUp() override {
        DataFixture::SetUp();
        goOffline();
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

TEST_F(FileOps, NewAsksOnlyAfterAnEditAndSaveAsNamesTheFileOnlyOnceWritten) {
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
}

// No to the version question offers the dialog again there, and a file of this version opens
// without a question; Yes opens the file, which then counts as changed.
TEST_F(FileOps, OpenOfAnotherVersionAsksAndThenCountsAsChanged) {
    const QString old = writeFile("old.sdt", olderFile());
    SetupData d = state.gDefaultData;
    d.Value[1745] = 4;
    chooser.answers = {old, writeFile("same.sdt", d), old};
    prompt.answer(MsgAnswer::No);
    files.Open();
    ASSERT_EQ(chooser.openCalls.size(), 2u);
    EXPECT_EQ(chooser.openCalls[1].second, old);
    EXPECT_EQ(state.gCurrentData, d);
    EXPECT_EQ(std::tuple(state.gFileNameTitle, state.gFileNamePath, state.gUploadNOW.isEmpty()),
              std::tuple(QString("same.sdt"), path("same.sdt"), false));
    EXPECT_TRUE(files.mayClose());
    EXPECT_EQ(prompt.boxes.size(), 1u);

    prompt.answer(MsgAnswer::Yes);
    files.Open();
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_EQ(boxOf(prompt.boxes[1]),
              std::tuple("KALVEX",
                         "File created by set-up program version: KALVEX_R0.9.9\r\n"
                         "Data tables may not be properly aligned.\r\n\r\nDo you wish to continue?",
                         MsgButtons::YesNoCancel, MsgIcon::Information));
    EXPECT_EQ(std::tuple(state.gCurrentData.Value[122], state.gCurrentData.Version,
                         state.windowCaption()),
              std::tuple(640, "KALVEX_R0.9.9", "KALVEX - [old.sdt]"));

    prompt.answer(MsgAnswer::Yes);
    EXPECT_TRUE(files.mayClose()); // Yes saves the file, re-stamped
    ASSERT_EQ(prompt.boxes.size(), 3u);
    EXPECT_EQ(prompt.boxes[2].text, "Save Changes to File?");
    EXPECT_EQ(readSetupFile(old, nullptr)->Version, state.gProgramVersion);
}

TEST_F(FileOps, OpenCancelledOrRefusedKeepsEverything) {
    state.gCurrentData.Value[122] = 650;
    state.gFileNamePath = path("*.sdt");
    const auto snapshot = [this] {
        return std::tuple(state.gCurrentData, state.gSavedData, state.gFileNamePath,
                          state.gFileNameTitle, state.gFileNameCaption, state.gUploadNOW);
    };
    const auto before = snapshot();
    const auto unchanged = [&] { EXPECT_TRUE(snapshot() == before); };
    chooser.answers.push_back(writeFile("old.sdt", olderFile()));
    prompt.answer(MsgAnswer::No);     // save changes? no
    prompt.answer(MsgAnswer::Cancel); // continue with the old version? cancel
    files.Open();                     // the version question cancelled
    unchanged();
    EXPECT_EQ(chooser.openCalls[0].second, path("*.sdt"));
    const size_t boxes = prompt.boxes.size();
    prompt.answer(MsgAnswer::No);
    files.Open(); // the dialog cancelled: no message
    unchanged();
    EXPECT_EQ(prompt.boxes.size(), boxes + 1);
    chooser.answers.push_back(
        writeBytes(path("cut.sdt"), encodeSetupData(state.gDefaultData).left(5000)));
    prompt.answer(MsgAnswer::No);
    files.Open(); // a truncated file
    unchanged();
    EXPECT_TRUE(prompt.boxes.back().text.contains("cut.sdt"));
    EXPECT_EQ(prompt.boxes.back().buttons, MsgButtons::Ok);
}

TEST_F(FileOps, AShortFileLoadsWithEmptyItemsAndALongOneIsCut) {
    for (const int items : {1700, 1800}) {
        SetupData d{state.gProgramVersion, {}, {}};
        for (int i = 0; i < items; ++i) {
            d.Address.push_back(QStringLiteral("B%1").arg(i));
            d.Value.push_back(i + 1);
        }
        chooser.answers.push_back(writeFile("n.sdt", d));
        files.Open();
        const SetupData& got = state.gCurrentData;
        ASSERT_EQ(std::pair(got.Value.size(), got.Address.size()), std::pair(1747ul, 1747ul));
        EXPECT_EQ(got.Address[1699], "B1699");
        for (size_t i = 1699; i <= 1746; ++i)
            EXPECT_EQ(std::pair(got.Value[i], got.Address[i].isEmpty()),
                      std::pair(i >= size_t(items) ? 0 : int(i) + 1, i >= size_t(items)))
                << i;
    }
}

// A failed save keeps the earlier file, the name and the saved copy, and the program open.
TEST_F(FileOps, ASaveThatFailsSaysSoAndKeepsTheProgramOpen) {
    state.gCurrentData.Value[122] = 650;
    chooser.answers.push_back(path("a.sdt"));
    ASSERT_EQ(files.SaveAs(), SetupFileOps::SaveResult::Saved);
    const QByteArray before = fileBytes(path("a.sdt"));
    // A bigger record: a long address pushes it over the limit.
    state.gCurrentData.Address[0] = QString(3000, u'B');
    state.gCurrentData.Value[123] = 1;
    prompt.answer(MsgAnswer::Yes);
    bool mayClose = true;
    {
        FileSizeLimit limit(20000);
        mayClose = files.mayClose();
    }
    EXPECT_FALSE(mayClose);
    EXPECT_EQ(fileBytes(path("a.sdt")), before);
    EXPECT_TRUE(prompt.boxes.back().text.contains("a.sdt"));
    EXPECT_NE(state.gSavedData.Value[123], 1);

    chooser.answers.push_back(path("missing-folder/x.sdt"));
    EXPECT_EQ(files.SaveAs(), SetupFileOps::SaveResult::Failed);
    EXPECT_EQ(std::pair(state.gFileNamePath, state.windowCaption()),
              std::pair(path("a.sdt"), QString("KALVEX - [a.sdt]")));
    EXPECT_NE(state.gSavedData.Value[123], 1);
}

TEST_F(FileOps, ExportOfflineWritesTheFileAndRemembersItsPath) {
    chooser.answers.push_back(path("shift.txt"));
    EXPECT_TRUE(ExportShiftData(state, prompt, chooser, transfers));
    EXPECT_TRUE(prompt.boxes.empty());
    EXPECT_EQ(chooser.saveCalls[0], std::make_pair(kTextFileFilter, QString()));
    EXPECT_EQ(fileBytes(path("shift.txt")), shiftExportText(state.gCurrentData, {}, {}));
    ExportShiftData(state, prompt, chooser, transfers); // cancelled
    EXPECT_EQ(chooser.saveCalls[1].second, path("shift.txt"));

    chooser.answers.push_back(path("no-folder/shift.txt"));
    EXPECT_FALSE(ExportShiftData(state, prompt, chooser, transfers));
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_TRUE(prompt.boxes[0].text.contains("shift.txt"));
}

// Online, Save offers to upload All first and Export to upload the shift data first.
TEST_F(FileOps, OnlineSaveAndExportOfferToUploadFirst) {
    link.OpenRSComm(port);
    clearTranscript();
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
}

// After an upload that did not read every count, nothing is exported unless the operator takes
// the counts as they were, under their old date; nothing is saved.
TEST_F(FileOps, ExportOrSaveAfterAFailedUploadKeepsTheOldCountsAndDate) {
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
    // Save after a failed upload saves nothing.
    link.OpenRSComm(port);
    const QString saved = writeFile("a.sdt", olderFile());
    chooser.answers.push_back(saved);
    board.faults().silentAfter = board.receivedCount() + 40;
    prompt.boxes.clear();
    prompt.answer(MsgAnswer::Yes);
    EXPECT_EQ(files.SaveAs(), SetupFileOps::SaveResult::Failed);
    EXPECT_TRUE(state.gFileUnnamed);
    EXPECT_EQ(prompt.boxes.back().text,
              "The data upload did not complete.\r\n\r\nNothing was saved.");
    EXPECT_EQ(readSetupFile(saved, nullptr)->Version, olderFile().Version);
}

} // namespace
