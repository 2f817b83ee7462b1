#include "DataFixture.h"
#include "FileLimit.h"
#include "data/SetupFile.h"
#include "data/ShiftExport.h"

#include <QFile>

#include <random>

using namespace kalvex;
using namespace kalvex::test;

namespace {

const QString kSaveQuestion = QStringLiteral("Save Changes to File?");

class FileOps : public DataFixture {
  protected:
    void SetUp() override {
        DataFixture::SetUp();
        goOffline();
    }
    QString writeFile(const char* name, const SetupData& d) {
        const QString p = path(name);
        EXPECT_TRUE(writeSetupFile(p, d, nullptr));
        return p;
    }
    QString writeRaw(const char* name, const QByteArray& bytes) {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    static QByteArray contents(const QString& p) {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    SetupData olderFile() const {
        SetupData d = state.gDefaultData;
        d.Version = QStringLiteral("KALVEX_R0.9.9");
        d.Value[122] = 640;
        return d;
    }
    int questions(const QString& text) const {
        return int(std::count_if(prompt.boxes.begin(), prompt.boxes.end(),
                                 [&](const Box& b) { return b.text == text; }));
    }
};

TEST_F(FileOps, NewAsksOnlyAfterAnEdit) {
    files.New();
    EXPECT_TRUE(prompt.boxes.empty());

    state.gCurrentData.Value[122] = 650;
    prompt.answer(MsgAnswer::Cancel);
    files.New();
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].title, "KALVEX");
    EXPECT_EQ(prompt.boxes[0].text, kSaveQuestion);
    EXPECT_EQ(prompt.boxes[0].buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(prompt.boxes[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(state.gCurrentData.Value[122], 650);

    files.New(); // answered No
    EXPECT_EQ(state.gCurrentData, state.gDefaultData);
    EXPECT_EQ(state.windowCaption(), "KALVEX - [unnamed]");
}

TEST_F(FileOps, SaveAsOfANewDataSetWritesItAndNamesIt) {
    state.gCurrentData.Value[122] = 650;
    chooser.answers.push_back(path("line4.sdt"));
    EXPECT_EQ(files.Save(), SetupFileOps::SaveResult::Saved);
    ASSERT_EQ(chooser.saveCalls.size(), 1u);
    EXPECT_EQ(chooser.saveCalls[0], std::make_pair(kSetupFileFilter, QString()));
    EXPECT_EQ(state.windowCaption(), "KALVEX - [line4.sdt]");
    EXPECT_FALSE(state.gFileUnnamed);
    EXPECT_EQ(contents(path("line4.sdt")), encodeSetupData(state.gCurrentData));
    EXPECT_TRUE(files.mayClose());
    EXPECT_TRUE(prompt.boxes.empty()); // offline: no upload offer; saved: no question
}

TEST_F(FileOps, CancelledSaveAsChangesNothingButStillLetsTheProgramClose) {
    state.gCurrentData.Value[122] = 650;
    prompt.answer(MsgAnswer::Yes);
    EXPECT_TRUE(files.mayClose());
    EXPECT_EQ(chooser.saveCalls.size(), 1u);
    EXPECT_TRUE(state.gFileUnnamed);
    EXPECT_EQ(state.gSavedData, state.gDefaultData);
}

TEST_F(FileOps, OpenOfTheSameVersionAsksNothing) {
    SetupData d = state.gDefaultData;
    d.Value[1745] = 4;
    chooser.answers.push_back(writeFile("same.sdt", d));
    files.Open();
    EXPECT_TRUE(prompt.boxes.empty());
    EXPECT_EQ(state.gCurrentData, d);
    EXPECT_EQ(state.gFileNameTitle, "same.sdt");
    EXPECT_EQ(state.gFileNamePath, path("same.sdt"));
    EXPECT_FALSE(state.gUploadNOW.isEmpty());
    EXPECT_TRUE(files.mayClose());
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(FileOps, OpenOfAnotherVersionAsksAndThenCountsAsChanged) {
    chooser.answers.push_back(writeFile("old.sdt", olderFile()));
    prompt.answer(MsgAnswer::Yes);
    files.Open();
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text, "File created by set-up program version: KALVEX_R0.9.9\r\n"
                                    "Data tables may not be properly aligned.\r\n\r\n"
                                    "Do you wish to continue?");
    EXPECT_EQ(prompt.boxes[0].buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(prompt.boxes[0].icon, MsgIcon::Information);
    EXPECT_EQ(state.gCurrentData.Value[122], 640);
    EXPECT_EQ(state.gCurrentData.Version, "KALVEX_R0.9.9");
    EXPECT_EQ(state.windowCaption(), "KALVEX - [old.sdt]");

    prompt.answer(MsgAnswer::Yes);
    EXPECT_TRUE(files.mayClose()); // Yes saves the file, re-stamped
    EXPECT_EQ(questions(kSaveQuestion), 1);
    EXPECT_EQ(readSetupFile(path("old.sdt"), nullptr)->Version, state.gProgramVersion);
}

TEST_F(FileOps, OpenAnsweredNoOffersTheDialogAgainAtThatFile) {
    const QString old = writeFile("old.sdt", olderFile());
    SetupData d = state.gDefaultData;
    d.Value[0] = 3;
    const QString same = writeFile("same.sdt", d);
    chooser.answers = {old, same};
    prompt.answer(MsgAnswer::No);
    files.Open();
    ASSERT_EQ(chooser.openCalls.size(), 2u);
    EXPECT_EQ(chooser.openCalls[1].second, old);
    EXPECT_EQ(state.gCurrentData, d);
}

TEST_F(FileOps, OpenCancelledOrRefusedKeepsEverything) {
    state.gCurrentData.Value[122] = 650;
    state.gFileNamePath = path("*.sdt");
    const AppState before = state;
    const auto unchanged = [&] {
        EXPECT_EQ(state.gCurrentData, before.gCurrentData);
        EXPECT_EQ(state.gSavedData, before.gSavedData);
        EXPECT_EQ(state.gFileNamePath, before.gFileNamePath);
        EXPECT_EQ(state.gFileNameTitle, before.gFileNameTitle);
        EXPECT_EQ(state.gFileNameCaption, before.gFileNameCaption);
        EXPECT_EQ(state.gUploadNOW, before.gUploadNOW);
    };
    // Version question cancelled.
    chooser.answers.push_back(writeFile("old.sdt", olderFile()));
    prompt.answer(MsgAnswer::No);     // save changes? no
    prompt.answer(MsgAnswer::Cancel); // continue with the old version? cancel
    files.Open();
    unchanged();
    EXPECT_EQ(chooser.openCalls[0].second, path("*.sdt"));
    // Dialog cancelled: no message.
    const size_t boxes = prompt.boxes.size();
    prompt.answer(MsgAnswer::No);
    files.Open();
    unchanged();
    EXPECT_EQ(prompt.boxes.size(), boxes + 1);
    // A truncated file: a message naming it.
    const QByteArray good = encodeSetupData(state.gDefaultData);
    chooser.answers.push_back(writeRaw("cut.sdt", good.left(5000)));
    prompt.answer(MsgAnswer::No);
    files.Open();
    unchanged();
    EXPECT_TRUE(prompt.boxes.back().text.contains("cut.sdt"));
}

TEST_F(FileOps, GarbledFilesNeverChangeTheDataSet) {
    const QByteArray good = encodeSetupData(state.gDefaultData);
    std::mt19937 rng(7);
    const SetupData before = state.gCurrentData;
    int refused = 0;
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes = good;
        std::uniform_int_distribution<int> pos(0, 40);
        for (int h = 0; h < 3; ++h)
            bytes[pos(rng)] = char(rng() & 0xFF);
        chooser.answers.push_back(writeRaw("g.sdt", bytes));
        const size_t boxes = prompt.boxes.size();
        files.Open(); // a version question is answered No, and the dialog then cancelled
        if (state.gFileUnnamed) {
            ASSERT_EQ(state.gCurrentData, before) << round;
            ASSERT_EQ(prompt.boxes.size(), boxes + 1) << round;
            refused += prompt.boxes.back().buttons == MsgButtons::Ok;
        } else {
            ASSERT_EQ(state.gCurrentData.Value.size(), 1747u);
            ASSERT_EQ(state.gCurrentData.Address.size(), 1747u);
            files.New();
            state.gFileUnnamed = true;
        }
    }
    EXPECT_GT(refused, 100);
}

TEST_F(FileOps, AShortFileLoadsWithEmptyItemsAndALongOneIsCut) {
    struct Case {
        int items;
        const char* name;
    };
    for (const Case& c : {Case{1700, "short.sdt"}, Case{1800, "long.sdt"}}) {
        SetupData d;
        d.Version = state.gProgramVersion;
        for (int i = 0; i < c.items; ++i) {
            d.Address.push_back(QStringLiteral("B%1").arg(i));
            d.Value.push_back(i + 1);
        }
        chooser.answers.push_back(writeFile(c.name, d));
        files.Open();
        ASSERT_EQ(state.gCurrentData.Value.size(), 1747u);
        ASSERT_EQ(state.gCurrentData.Address.size(), 1747u);
        EXPECT_EQ(state.gCurrentData.Value[1699], 1700);
        EXPECT_EQ(state.gCurrentData.Address[1699], "B1699");
        for (int i = 1700; i <= 1746; ++i) {
            EXPECT_EQ(state.gCurrentData.Value[size_t(i)], i >= c.items ? 0 : i + 1) << i;
            EXPECT_EQ(state.gCurrentData.Address[size_t(i)].isEmpty(), i >= c.items) << i;
        }
    }
}

TEST_F(FileOps, ASaveThatFailsSaysSoAndKeepsTheProgramOpen) {
    state.gCurrentData.Value[122] = 650;
    chooser.answers.push_back(path("a.sdt"));
    ASSERT_EQ(files.SaveAs(), SetupFileOps::SaveResult::Saved);
    const QByteArray before = contents(path("a.sdt"));
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
    EXPECT_EQ(contents(path("a.sdt")), before);
    EXPECT_TRUE(prompt.boxes.back().text.contains("a.sdt"));
    EXPECT_NE(state.gSavedData.Value[123], 1);
}

TEST_F(FileOps, SaveAsToAnUnwritablePlaceKeepsTheOldName) {
    chooser.answers.push_back(path("kept.sdt"));
    files.SaveAs();
    chooser.answers.push_back(path("missing-folder/x.sdt"));
    EXPECT_EQ(files.SaveAs(), SetupFileOps::SaveResult::Failed);
    EXPECT_EQ(state.gFileNamePath, path("kept.sdt"));
    EXPECT_EQ(state.windowCaption(), "KALVEX - [kept.sdt]");
}

TEST_F(FileOps, SaveWhileOnlineOffersToUploadAllFirst) {
    link.OpenRSComm(port);
    clearTranscript();
    board.setValue(QStringLiteral("W3110"), 999);
    chooser.answers.push_back(path("up.sdt"));
    prompt.answer(MsgAnswer::Yes);
    files.Save();
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text, "Do you wish to first 'Upload Data' from the P9100?  ");
    EXPECT_EQ(prompt.boxes[0].icon, MsgIcon::Question);
    EXPECT_EQ(host.value, 1747);
    EXPECT_EQ(traffic().reads, bytesOfItems(state.gDefaultData, allDataItems()));
    EXPECT_EQ(readSetupFile(path("up.sdt"), nullptr)->Value[152], 999);
}

TEST_F(FileOps, ExportOfflineWritesTheFileAndRemembersItsPath) {
    chooser.answers.push_back(path("shift.txt"));
    EXPECT_TRUE(ExportShiftData(state, prompt, chooser, transfers));
    EXPECT_TRUE(prompt.boxes.empty());
    EXPECT_EQ(chooser.saveCalls[0], std::make_pair(kTextFileFilter, QString()));
    EXPECT_EQ(contents(path("shift.txt")), shiftExportText(state.gCurrentData, {}, {}));
    ExportShiftData(state, prompt, chooser, transfers); // cancelled
    EXPECT_EQ(chooser.saveCalls[1].second, path("shift.txt"));
}

TEST_F(FileOps, ExportOnlineCanUploadTheShiftFirst) {
    link.OpenRSComm(port);
    clearTranscript();
    prompt.answer(MsgAnswer::Yes);
    chooser.answers.push_back(path("shift.txt"));
    ExportShiftData(state, prompt, chooser, transfers);
    EXPECT_EQ(host.text, progressText(kUploadShift));
    EXPECT_EQ(host.value, 121);
    EXPECT_EQ(state.gCurrentData.Value[37], 1234567); // D1100 as the simulator starts
    EXPECT_TRUE(contents(path("shift.txt")).contains("\r\n1234567\r\n"));
}

TEST_F(FileOps, ExportThatCannotWriteSaysSo) {
    chooser.answers.push_back(path("no-folder/shift.txt"));
    EXPECT_FALSE(ExportShiftData(state, prompt, chooser, transfers));
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_TRUE(prompt.boxes[0].text.contains("shift.txt"));
}

} // namespace
