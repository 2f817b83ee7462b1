#include "ProgramFixture.h"
#include "data/program/ProgramDownload.h"
#include "shell/ShellFixture.h"
#include "widgets/maintenance/frmDownloadProg.h"
#include "widgets/maintenance/frmTargetBoard.h"
#include "widgets/pages/RefreshLoop.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace kalvex;
using namespace kalvex::test;

namespace {

using DownloadWindow = ProgramFixture;

// Once run, the label changes with the transfer's state at once; the address on the next tick.
TEST_F(DownloadWindow, RunsRecordByRecordCannotBeClosedMeanwhileAndTextsFollowTheState) {
    writeProgram(kRecord.repeated(40));
    files.DownloadFile(path("LINE1.ovp"));
    prompt.answer(MsgAnswer::Yes);
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
    using S = ProgramState;
    // clang-format off
    const std::tuple<int, ProgramState, const char*> cases[] = {
        {0, S::Downloading, "Writing to Program Address: 4010H"}, {0, S::WritingIdent, "Writing Program Ident ... "},
        {0, S::Idle, "Sending Program at Address: "}, {0, S::UploadRequested, "Sending Program at Address: "},
        {1, S::ReadingIdent, "Reading Program Ident ... "}, {1, S::UploadRequested, "Reading From Program Address: 4010H"},
        {1, S::Idle, "Reading Program at Address: "}, {1, S::Downloading, "Reading Program at Address: "}};
    // clang-format on
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

class TargetBoardWindow : public ProgramFixture {
  protected:
    void open(char type, const QByteArray& rev = "KVX91D07:707\r\n", PcClock now = {}) {
        writeProgram(":00000001FF\r\n", type, rev);
        window = std::make_unique<frmTargetBoard>(TargetBoardContext{app, link, prompt, now});
        window->prepare(path("LINE1.ovp"));
        window->show(); // starts the loop; without an event loop only step() moves it
        clearTranscript();
    }
    void steps(int n) {
        for (int i = 0; i < n; ++i)
            window->refreshLoop().step();
    }
    void firstPass() {
        for (int i = 0; i < 200 && !window->firstPassDone(); ++i)
            steps(1);
        ASSERT_TRUE(window->firstPassDone());
    }
    QString text(const char* name) const { // a label's, an entry field's or a text box's
        const QWidget* w = widget(name);
        return w->property(w->inherits("QPlainTextEdit") ? "plainText" : "text").toString();
    }
    QWidget* widget(const char* name) const { return control<QWidget>(*window, name); }

    AppState app{home.path()};
    std::unique_ptr<frmTargetBoard> window;
};

// Steps 1-10: the pass laid out, its start, six registers, the CO-CPU line, the texts.
constexpr int kThroughTexts = 10;

TEST_F(TargetBoardWindow, BoardVariantsIdentAndAPollThatKeepsTheFieldBeingEdited) {
    state("B8180 = 3\nB8191 = 4\nB43012 = 9\nB43017 = 123\n");
    board.poke(61425, 10); // a control code in the name
    open('A', "AB\r\n");   // a .rev too short for its digits
    firstPass();
    steps(10);
    EXPECT_EQ(text("lblRevIdentOnDisk0") + text("lblRevIdentOnDisk3"), "-Q7610");
    EXPECT_EQ(text("lblRevIdentInPLC0") + "|" + text("lblRevIdentInPLC1") + "|" +
                  text("lblRevIdentInPLC2"),
              "KX91D07|7|167");
    EXPECT_EQ(text("txtSetup0") + text("txtSetup1") + text("txtSetup2") + text("txtSetup7"),
              "030409123");
    EXPECT_TRUE(widget("lblTargetBoard2")->isHidden());
    auto* edited = qobject_cast<QLineEdit*>(widget("txtSetup0"));
    QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(edited, &in);
    edited->setText("5");
    board.setValue("B8180", 7);
    board.setValue("B8191", 9);
    steps(30);
    EXPECT_EQ(text("txtSetup0"), "5");
    EXPECT_EQ(text("txtSetup1"), "09");
    EXPECT_TRUE(board.writes().empty());
    edited->setText("40");
    Q_EMIT edited->textEdited("40");
    QTest::keyClick(edited, Qt::Key_Return);
    QCoreApplication::processEvents(); // the range message follows the key
    ASSERT_FALSE(prompt.boxes.empty());
    EXPECT_EQ(prompt.boxes.back().title, "Set-up Current Network Address 1:");

    // A processor board: its CO-CPU line, no clock.
    state("B8175 = 3\n");
    open('2');
    firstPass();
    EXPECT_FALSE(widget("lblTargetBoard2")->isHidden());
    EXPECT_EQ(text("lblTargetBoard2"), "CO-CPU Slot: 3");
    EXPECT_TRUE(widget("txtSetup1")->isHidden());
    EXPECT_FALSE(widget("txtSetup2")->isEnabled());
    EXPECT_EQ(text("txtSetup2"), "-");
    EXPECT_FALSE(widget("cmdSetTime")->isEnabled());
}

// A wrong echo is a failure, never "00". Reset: asked first; B8178's write failing twice is said,
// the codes read again at once, and the byte the resynchronisation stored (B8191: 255) named.
TEST_F(TargetBoardWindow, FailedReadNeverNoFaultResetAndClockSayAFailedWriteLinkLostGoesOffline) {
    state("B8176 = 10\nB8178 = 4\nB8191 = 1\n");
    open('D');
    ASSERT_TRUE(link.readValue("B0")); // in read mode: the next byte is an address echo
    board.faults().wrongEchoAt.insert(board.receivedCount() + 1);
    steps(kThroughTexts + kIdentLength + 1);
    EXPECT_EQ(text("lblTargetBoard0"), "Current Fault: not read: wrong echo");
    EXPECT_EQ(text("lblTargetBoard1"), "Last Fault: not read");
    EXPECT_EQ(text("lblRevIdentInPLC1"), "not read"); // skipped after the failure
    EXPECT_FALSE(window->firstPassDone());
    ASSERT_TRUE(link.OnlineMode());
    firstPass();
    EXPECT_EQ(text("lblTargetBoard0"), "Current Fault: Code = 0AH");
    EXPECT_EQ(text("lblRevIdentInPLC0"), "KVX91D07");
    auto* reset = qobject_cast<QPushButton*>(widget("cmdResetFaults"));
    ASSERT_TRUE(reset->isEnabled());
    reset->click(); // answered No
    EXPECT_TRUE(board.writes().empty());
    EXPECT_TRUE(window->firstPassDone());
    prompt.answer(MsgAnswer::Yes);
    board.faults().wrongEchoAt = {board.receivedCount() + 3, board.receivedCount() + 8};
    reset->click();
    ASSERT_EQ(prompt.boxes.size(), 4u);
    EXPECT_EQ(prompt.boxes[1].title, "WARNING - Fault Code Reset!");
    EXPECT_EQ(prompt.boxes[2].text, "The fault reset did not complete: the write of B8178 failed "
                                    "(wrong echo from the board); 0 of 4 registers cleared.");
    EXPECT_TRUE(prompt.boxes[3].text.endsWith("now read 255, the value a stray byte leaves; "
                                              "check what they should hold:\r\n\r\nB8191"));
    EXPECT_EQ(board.peek(8191), 255);
    EXPECT_FALSE(window->firstPassDone());
    firstPass();
    EXPECT_EQ(text("lblTargetBoard0"), "Current Fault: Code = 0AH");
    EXPECT_TRUE(reset->isEnabled());

    // One instant of the PC clock for each button's writes; a write that failed twice is named.
    const QDateTime at(QDate(2005, 1, 5), QTime(10, 20, 30));
    open('A', "KVX91D07:707\r\n", [at] { return at; });
    firstPass();
    qobject_cast<QPushButton*>(widget("cmdSetDate"))->click();
    EXPECT_EQ(board.peek(43016) * 10000 + board.peek(43015) * 100 + board.peek(43017), 10505);
    const size_t boxes = prompt.boxes.size();
    board.faults().wrongEchoAt = {board.receivedCount() + 3, board.receivedCount() + 8};
    qobject_cast<QPushButton*>(widget("cmdSetTime"))->click();
    ASSERT_GT(prompt.boxes.size(), boxes);
    EXPECT_EQ(prompt.boxes[boxes].text, "The board clock was not set: the write of B43012 failed "
                                        "(wrong echo from the board); 0 of 3 values written.");

    // A failed read is named as such, never given the board's code for a lost link.
    state("B8176 = 10\nB8177 = 10\nB8179 = 3\n");
    open('D');
    steps(3); // through the read of the current fault
    board.faults().silent = true;
    steps(kThroughTexts - 3);
    EXPECT_EQ(text("lblTargetBoard0"), "Current Fault: Code = 0AH");
    EXPECT_EQ(text("lblTargetBoard1"), "Last Fault: not read: no answer");
    EXPECT_EQ(text("lblTargetBoard4"), "Current Comm Error: not read");
    EXPECT_TRUE(text("txtTargetBoard3").startsWith("Verify connection of cable between computer"));
    steps(20);
    EXPECT_FALSE(widget("cmdResetFaults")->isEnabled());
    EXPECT_FALSE(link.OnlineMode());
    for (const char* box : {"txtTargetBoard0", "txtTargetBoard1", "txtTargetBoard3",
                            "txtTargetBoard4", "txtTargetBoard5"})
        EXPECT_EQ(text(box), "Cannot Communicate with Target Board.") << box;
    EXPECT_EQ(text("lblTargetBoard5"), "Last Comm Error: not read");
    EXPECT_FALSE(widget("cmdGoOnline")->isHidden());
    EXPECT_FALSE(widget("txtSetup0")->isEnabled());
}

} // namespace
