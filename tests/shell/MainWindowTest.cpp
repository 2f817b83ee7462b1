#include "ShellFixture.h"
#include "data/LinkNotes.h"

#include <QDialog>
#include <QMdiArea>
#include <QMessageBox>
#include <QtTest/QTest>

namespace kalvex::test {
namespace {

class MainWindow : public ShellFixture {
  protected:
    void SetUp() override {
        for (int i : {0, 1, 4})
            pages[size_t(i)] = [this, i] {
                ++made[size_t(i)];
                auto* w = new QWidget;
                w->setObjectName(QStringLiteral("page%1").arg(i));
                return w;
            };
        ShellFixture::SetUp();
    }
    QString shownPage() const {
        return window->pageWindow() ? window->pageWindow()->objectName() : QString();
    }
    std::array<int, 6> made{};
};

TEST_F(MainWindow, SaveAsOpenAtStartHelpAboutAndClosingAfterAnEdit) {
    chooser.answers.push_back(home.filePath("line3.sdt"));
    item("mnuFileSaveAs")->trigger();
    EXPECT_EQ(window->windowTitle(), "KALVEX - [line3.sdt]");
    EXPECT_TRUE(QFile::exists(home.filePath("line3.sdt")));

    QFile junk(home.filePath("junk.sdt"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a set-up file");
    junk.close();
    window->openAtStart(junk.fileName());
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_TRUE(prompt.boxes[0].text.contains("junk.sdt")) << qPrintable(prompt.boxes[0].text);
    EXPECT_EQ(window->windowTitle(), "KALVEX - [line3.sdt]");

    QFile::copy(home.filePath("line3.sdt"), home.filePath("line4.sdt"));
    window->openAtStart(home.filePath("line4.sdt"));
    EXPECT_EQ(window->windowTitle(), "KALVEX - [line4.sdt]");
    EXPECT_EQ(prompt.boxes.size(), 1u);

    item("mnuHelpHelpTopics")->trigger();
    ASSERT_EQ(prompt.boxes.size(), 2u);
    const QString text = prompt.boxes[1].text;
    for (const char* part : {"KALVEX.hlp", "doc/kalvex/README.md", "man kalvex"})
        EXPECT_TRUE(text.contains(part)) << part << qPrintable(text);
    item("mnuHelpAbout")->trigger();
    auto* about = child<QDialog>("frmAbout");
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(about->isModal());
    QString texts;
    for (QLabel* l : about->findChildren<QLabel*>())
        texts += l->text();
    EXPECT_TRUE(texts.contains("KALVEX") && texts.contains(KALVEX_VERSION)) << qPrintable(texts);

    window->show();
    state.gCurrentData.Value[5] += 1;
    prompt.answer(MsgAnswer::Cancel);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(prompt.boxes.size(), 3u);
    EXPECT_EQ(prompt.boxes[2].text, "Save Changes to File?");

    goOnline();
    prompt.answer(MsgAnswer::No);
    item("mnuFileExit")->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_FALSE(port.isOpen());
}

TEST_F(MainWindow, ShowsOnePageAtATime) {
    EXPECT_EQ(shownPage(), "page0");
    EXPECT_TRUE(item("mnuWindowForm_1")->isEnabled());
    EXPECT_FALSE(item("mnuWindowForm_2")->isEnabled());
    item("mnuWindowForm_0")->trigger();
    EXPECT_EQ(made[0], 1);
    EXPECT_TRUE(item("mnuWindowForm_0")->isChecked());

    QPointer<QWidget> first = window->pageWindow();
    item("mnuWindowForm_4")->trigger();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(shownPage(), "page4");
    EXPECT_EQ(window->currentPage(), 4);
    EXPECT_EQ(child<QMdiArea>("mdiArea")->subWindowList().size(), 1);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(item(QStringLiteral("mnuWindowForm_%1").arg(i))->isChecked(), i == 4) << i;
}

using OnlineMode = ShellFixture;

TEST_F(OnlineMode, EveryToggleMovesThePortAndEveryIndicatorTogether) {
    enum Fault { None, Silent, LostAfterOpen, PortWontOpen };
    // the item triggered, else the panel double-clicked; the fault; online and offline editing
    const std::tuple<const char*, int, Fault, bool, bool> cases[] = {
        {nullptr, StatusBar::Status, None, false, false}, // not the mode panel
        {"mnuViewOnline", 0, PortWontOpen, false, false},
        {"mnuViewOnline", 0, LostAfterOpen, false, false}, // answers the open, no more
        {"mnuViewOnline", 0, Silent, false, false},
        {"mnuViewOnline", 0, None, true, false},
        {"mnuViewOffline", 0, None, false, false},
        {nullptr, StatusBar::Mode, None, true, false},
        {"mnuEditOfflineEditing", 0, None, true, true},
        {nullptr, StatusBar::Mode, None, false, true},
        {"Toolbar1_8", 0, None, false, false},
    };
    window->show();
    EXPECT_EQ(window->windowTitle(), "KALVEX - [unnamed]");
    EXPECT_EQ(status(), "System Message:");
    window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(status(), "System Message:  Program is Currently OFFLINE");
    EXPECT_EQ(state.gStatusMessage, "Set-up Program is Currently OFFLINE");
    EXPECT_TRUE(board.transcript().empty());
    bool wasOnline = false, everOnline = false;
    for (const auto& c : cases) {
        const auto& [name, clicked, fault, online, offlineEdit] = c;
        SCOPED_TRACE(&c - cases);
        board.faults().silent = fault == Silent;
        board.faults().silentAfter = fault == LostAfterOpen ? 1 : -1;
        if (fault == PortWontOpen) port.failNextOpen({8002, "KALVEX", "Invalid port number"});
        prompt.boxes.clear();
        const int opens = port.openCount();
        name ? item(name)->trigger() : QTest::mouseDClick(panel(clicked), Qt::LeftButton);
        const bool tried = fault == LostAfterOpen || fault == Silent;
        EXPECT_EQ(port.openCount() - opens, int(tried || (online && !wasOnline)));
        wasOnline = online;
        everOnline |= online;
        EXPECT_EQ(link.OnlineMode(), online);
        EXPECT_EQ(mode(), online ? "ONLINE" : "OFFLINE");
        EXPECT_TRUE(fault == Silent || port.isOpen() == online); // silent: kept for a retry
        EXPECT_EQ(item("mnuViewOnline")->isChecked(), online);
        EXPECT_EQ(item("mnuViewOffline")->isChecked(), !online);
        EXPECT_EQ(item("mnuEditPasscode")->isEnabled(), online);
        EXPECT_EQ(state.gBoardReadDone, everOnline);
        for (QAction* edit : {item("mnuEditOfflineEditing"), item("Toolbar1_8")})
            EXPECT_EQ(edit->isChecked(), offlineEdit);
        EXPECT_EQ(state.gOfflineEdit, offlineEdit);
        EXPECT_EQ(!prompt.boxes.empty() && prompt.boxes.back().title == "Comm Port Error",
                  fault == PortWontOpen);
        if (fault != Silent) continue;
        EXPECT_TRUE(link.CommError());
        window->tmrBackgroungUpdate_Timer();
        EXPECT_TRUE(
            status().startsWith("System Message:  Comm Fault with P9100  No board answered on " +
                                port.deviceName() + " at 9600 baud. Edit > Comm Port"))
            << qPrintable(status());
    }
}

// Going online sends attention, the read-mode handshake (2 bytes), then B52's high byte 4th.
TEST_F(OnlineMode, TheSpindleCountIsUsedOnlyWhenTheBoardSent24Or36AndReadOncePerRun) {
    const std::tuple<const char*, int, bool, bool, bool> cases[] = {
        {"wrong echo on B52", 36, true, false, true},
        {"a count no machine has", 0, false, false, false},
        {"a good count", 36, false, true, true}};
    for (const auto& [what, b52, wrongEcho, knownAtOnce, knownAfterTick] : cases) {
        SCOPED_TRACE(what);
        item("mnuViewOffline")->trigger();
        state.gBoardReadDone = state.gSpindleCountKnown = false;
        state.gSpindleCount = 24;
        board.setValue("B52", b52);
        if (wrongEcho) board.faults().wrongEchoAt = {board.receivedCount() + 4};
        item("mnuViewOnline")->trigger();
        ASSERT_TRUE(link.OnlineMode()); // a wrong echo is no lost link
        EXPECT_EQ(state.gSpindleCountKnown, knownAtOnce);
        window->tmrBackgroungUpdate_Timer(); // tries again
        EXPECT_EQ(state.gSpindleCountKnown, knownAfterTick);
        EXPECT_EQ(state.gBoardReadDone, knownAfterTick);
        EXPECT_EQ(state.gSpindleCount, knownAfterTick ? 36 : 24);
        board.faults().wrongEchoAt.clear();
    }
    item("mnuViewOffline")->trigger();
    board.setValue("B52", 24);
    item("mnuViewOnline")->trigger();
    EXPECT_EQ(state.gSpindleCount, 36);
}

// The high address byte after write mode is wrong on both tries (the retry's handshake is 3 bytes).
TEST_F(OnlineMode, AFailedWriteIsToldAndCountedAndThePasscodeOffersOnlyTheBoardValue) {
    goOnline();
    board.faults().wrongEchoAt = {board.receivedCount() + 3, board.receivedCount() + 8};
    EXPECT_FALSE(link.writeValue("W1092", "650"));
    const QString note = notWrittenText("W1092", "650", LinkFailure::WrongEcho);
    EXPECT_EQ(status(), note);
    window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(status(), note); // held a while against the next alarm text
    EXPECT_TRUE(panel(StatusBar::Mode)->toolTip().contains("2 wrong echoes (1 writes sent again)"))
        << qPrintable(panel(StatusBar::Mode)->toolTip());

    // The passcode: the read fails, the answer, the value offered
    const std::tuple<bool, std::optional<QString>, const char*> cases[] = {
        {false, "4321", "1234"},
        {false, "", "4321"},
        {false, std::nullopt, "4321"},
        {true, "", ""}};
    board.setValue("W1298", 1234);
    for (const auto& [readFails, answer, offered] : cases) {
        if (readFails) board.faults().wrongEchoAt = {board.receivedCount() + 1};
        prompt.inputAnswer(answer);
        board.clearTranscript();
        item("mnuEditPasscode")->trigger();
        EXPECT_EQ(prompt.inputDefaults.back(), offered);
        EXPECT_EQ(prompt.inputPrompts.back(), "Please Enter New Passcode (0-65535)");
        EXPECT_EQ(board.value("W1298"), 4321);
        EXPECT_EQ(board.writes().empty(), answer != "4321");
    }
}

using Background = ShellFixture;

int faultBoxes(bool close = false) {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
            n += box->text() == QLatin1String("Faults Acitve in Target Board");
            if (close) box->close();
        }
    return n;
}

const QString kHeader = "------------------------------ ALARM MESSAGE "
                        "------------------------------\r\n";
const QString kAlarms = "System Message:  Alarm(s) Active in P9100";
const QString kDuctor = "Feedback Fault\r\nVerify Ductor Cycling Operation\r\n";

TEST_F(Background, AlarmWordGivesStatusPanelAndMessage) {
    // clang-format off
    const std::tuple<int, QString, QString> cases[] = {
        {0, "System Message:  All Faults Normal", "-- System Normal --\r\nSet-up Program is Currently ONLINE"},
        {5, kAlarms, kHeader + "Infeed Track Jam\r\n \r\n" + kHeader + "Timing Signal Failure\r\nVerify Resolver Operation\r\n"},
        {8, kAlarms, kHeader + "\r\n"}, {256, kAlarms, kHeader + "Ductor No.1 " + kDuctor},
        {32768, kAlarms, kHeader + "Ductor No.8 " + kDuctor}};
    // clang-format on
    goOnline();
    for (const auto& [w98, panel, message] : cases) {
        board.setValue("W98", w98);
        window->tmrBackgroungUpdate_Timer();
        EXPECT_EQ(status(), panel) << w98;
        EXPECT_EQ(state.gStatusMessage, message) << w98;
    }
    // A tick reads B8176 (2 bytes) then W98: a W98 not read, or a lost link, changes nothing.
    const QString shown = status(), message = state.gStatusMessage;
    board.setValue("W98", 0);
    board.faults().wrongEchoAt = {board.receivedCount() + 3};
    window->tmrBackgroungUpdate_Timer();
    link.setCommError(true);
    board.clearTranscript();
    window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(status(), shown);
    EXPECT_EQ(state.gStatusMessage, message);
    EXPECT_TRUE(board.transcript().empty());
    EXPECT_EQ(faultBoxes(), 0);
}

TEST_F(Background, ProcessorFaultShowsTheBoxOncePerEpisode) {
    goOnline();
    board.setValue("B8176", 5);
    board.setValue("W98", 5); // not listed while the processor is faulted
    for (int tick = 0; tick < 10; ++tick)
        window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(faultBoxes(true), 1);
    EXPECT_EQ(status(), "System Message:  Fault Code (05H): --- Fault File Not Found ---");
    EXPECT_EQ(state.gStatusMessage,
              "****** PROCESSOR FAULTED ******\r\nSet-up Program is Currently ONLINE");
    window->tmrBackgroungUpdate_Timer();
    board.faults().wrongEchoAt = {board.receivedCount() + 1}; // B8176 not read: no "no fault"
    window->tmrBackgroungUpdate_Timer();
    window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(faultBoxes(), 0); // the episode goes on: no second box

    board.setValue("B8176", 0);
    board.setValue("W98", 0);
    window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(status(), "System Message:  All Faults Normal");
    board.setValue("B8176", 5);
    window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(faultBoxes(true), 1);
}

} // namespace
} // namespace kalvex::test
