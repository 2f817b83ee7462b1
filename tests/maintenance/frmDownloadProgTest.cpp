#include "widgets/maintenance/frmDownloadProg.h"
#include "ProgramFixture.h"
#include "data/program/ProgramDownload.h"
#include "shell/ShellFixture.h"

#include <QTest>

using namespace kalvex;
using namespace kalvex::test;

namespace {

class DownloadWindow : public ProgramFixture {
  protected:
    void SetUp() override {
        ensureApplication();
        ProgramFixture::SetUp();
        QByteArray hex;
        for (int i = 0; i < 40; ++i)
            hex += ":10" + QByteArray::number(0x4000 + 16 * i, 16).toUpper() + "00" +
                   QByteArray(32, '1') + "\r\n";
        writeProgram(hex);
        files.DownloadFile(path("LINE1.ovp"));
        prompt.answer(MsgAnswer::Yes);
    }
};

// The label changes with the transfer's state at once; the address moves on the next tick.
TEST_F(DownloadWindow, TextsFollowTheTransferState) {
    using S = ProgramState;
    const std::tuple<int, ProgramState, const char*> cases[] = {
        {0, S::Downloading, "Writing to Program Address: 4010H"},
        {0, S::WritingIdent, "Writing Program Ident ... "},
        {0, S::Idle, "Sending Program at Address: "},
        {0, S::UploadRequested, "Sending Program at Address: "},
        {1, S::ReadingIdent, "Reading Program Ident ... "},
        {1, S::UploadRequested, "Reading From Program Address: 4010H"},
        {1, S::Idle, "Reading Program at Address: "},
        {1, S::Downloading, "Reading Program at Address: "},
    };
    ProgramDownload run(transfer, files, prompt);
    frmDownloadProg w(transfer, run);
    transfer.setCurrentProgramAdd(QStringLiteral("4010H"));
    for (const auto& [mode, state, label] : cases) {
        w.SetTransferMode(mode);
        transfer.setState(state);
        EXPECT_EQ(w.labelText(), label) << int(state);
    }
    transfer.setCurrentProgramAdd(QStringLiteral("4020H"));
    EXPECT_EQ(w.labelText(), "Reading Program at Address: ");
    w.SetTransferMode(0);
    transfer.setState(S::Downloading);
    transfer.setCurrentProgramAdd(QStringLiteral("4030H"));
    w.Timer1_Timer();
    EXPECT_EQ(w.labelText(), "Writing to Program Address: 4030H");
}

TEST_F(DownloadWindow, RunsRecordByRecordAndCannotBeClosedMeanwhile) {
    ProgramDownload run(transfer, files, prompt);
    frmDownloadProg w(transfer, run);
    size_t records = 0, mostPerStep = 0;
    QObject::connect(&w, &frmDownloadProg::stepped, [&] {
        mostPerStep = std::max(mostPerStep, board.programLog().size() - records);
        records = board.programLog().size();
    });
    w.show();
    for (int steps = 0; !run.finished() && steps < 1000; ++steps) {
        if (run.waitUntilUs() > 0) clock.sleepUntilUs(run.waitUntilUs()); // board pauses
        QTest::qWait(run.waitUntilUs() > 0 ? 25 : 0); // one step per event-loop pass
        w.close();
        QTest::keyClick(&w, Qt::Key_Escape);
        EXPECT_TRUE(run.finished() || w.isVisible());
    }
    EXPECT_EQ(records, 40u);
    EXPECT_EQ(mostPerStep, 1u);
    EXPECT_EQ(run.outcome(), ProgramDownload::Outcome::Complete);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }));
}

// The offline question, the file dialog, the question naming the file, the window; the
// background timer stopped meanwhile.
using DownloadMenu = ShellFixture;

TEST_F(DownloadMenu, AsksChoosesAndDownloadsWithTheBackgroundTimerStopped) {
    const QString ovp = home.filePath("LINE1.ovp");
    writeProgramSet(QDir(home.path()), kHex);
    chooser.answers = {ovp};
    state.gProgramFilePath = home.filePath("OLD.ovp");
    QTimer* background = child<QTimer>("tmrBackgroungUpdate");
    background->start();
    bool timerStopped = false;
    prompt.answer(MsgAnswer::Yes); // Program Offline
    prompt.answer(MsgAnswer::Yes); // You are about to download ...
    prompt.answerWith([&](const Box&) {
        timerStopped = !background->isActive();
        return MsgAnswer::Yes;
    });
    item("mnuFileDownloadProgram")->trigger();

    ASSERT_EQ(prompt.boxes.size(), 4u);
    EXPECT_EQ(prompt.boxes[0].title, "Program Offline");
    EXPECT_EQ(chooser.initialPaths, std::vector<QString>{home.filePath("OLD.ovp")});
    EXPECT_EQ(state.gProgramFilePath, ovp);
    EXPECT_EQ(prompt.boxes[1].text, "You are about to download \"LINE1.ovp\" to the "
                                    "P9100.\r\n\r\nDo you wish to continue?");
    EXPECT_TRUE(timerStopped);
    EXPECT_EQ(prompt.boxes[3].text, "Program Download Complete!");
    EXPECT_TRUE(background->isActive());
    EXPECT_EQ(mode(), "ONLINE");
    EXPECT_EQ(board.peek(0x400F), 0x10);
    background->stop();
}

} // namespace
