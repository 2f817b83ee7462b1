#include "ShellFixture.h"
#include "data/LinkNotes.h"

#include <QtTest/QTest>

namespace kalvex::test {
namespace {

using OnlineMode = ShellFixture;

// Every way to change the mode: the port, the link, the mode panel, the menu ticks, the toolbar
// and the passcode item follow, or all stay offline when the board or the port fails.
TEST_F(OnlineMode, EveryToggleMovesThePortAndEveryIndicatorTogether) {
    enum Fault { None, Silent, LostAfterOpen, PortWontOpen };
    const auto click = [this](int index) {
        return [this, index] { QTest::mouseDClick(panel(index), Qt::LeftButton); };
    };
    const auto trigger = [this](const char* name) {
        return [this, name] { item(name)->trigger(); };
    };
    const struct {
        std::function<void()> act;
        Fault fault;
        bool online, offlineEdit;
    } cases[] = {
        {click(StatusBar::Status), None, false, false}, // not the mode panel
        {trigger("mnuViewOnline"), PortWontOpen, false, false},
        {trigger("mnuViewOnline"), LostAfterOpen, false, false}, // answers the open, no more
        {trigger("mnuViewOnline"), Silent, false, false},
        {trigger("mnuViewOnline"), None, true, false},
        {trigger("mnuViewOffline"), None, false, false},
        {click(StatusBar::Mode), None, true, false},
        {trigger("mnuEditOfflineEditing"), None, true, true},
        {click(StatusBar::Mode), None, false, true},
        {trigger("Toolbar1_8"), None, false, false},
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
        SCOPED_TRACE(&c - cases);
        board.faults().silent = c.fault == Silent;
        board.faults().silentAfter = c.fault == LostAfterOpen ? 1 : -1;
        if (c.fault == PortWontOpen) port.failNextOpen({8002, "KALVEX", "Invalid port number"});
        prompt.boxes.clear();
        const int opens = port.openCount();
        c.act();
        const bool tried = c.fault == LostAfterOpen || c.fault == Silent;
        EXPECT_EQ(port.openCount() - opens, int(tried || (c.online && !wasOnline)));
        wasOnline = c.online;
        everOnline |= c.online;
        EXPECT_EQ(link.OnlineMode(), c.online);
        EXPECT_EQ(mode(), c.online ? "ONLINE" : "OFFLINE");
        // A silent board keeps the port open for the next try.
        if (c.fault != Silent) {
            EXPECT_EQ(port.isOpen(), c.online);
        }
        EXPECT_EQ(item("mnuViewOnline")->isChecked(), c.online);
        EXPECT_EQ(item("mnuViewOffline")->isChecked(), !c.online);
        EXPECT_EQ(item("mnuEditPasscode")->isEnabled(), c.online);
        EXPECT_EQ(state.gBoardReadDone, everOnline);
        for (QAction* edit : {item("mnuEditOfflineEditing"), item("Toolbar1_8")})
            EXPECT_EQ(edit->isChecked(), c.offlineEdit);
        EXPECT_EQ(state.gOfflineEdit, c.offlineEdit);
        EXPECT_EQ(!prompt.boxes.empty() && prompt.boxes.back().title == "Comm Port Error",
                  c.fault == PortWontOpen);
        if (c.fault != Silent) continue;
        EXPECT_TRUE(link.CommError());
        window->tmrBackgroungUpdate_Timer();
        // The system's message stays as it is; the port tried and the way to another follow it.
        EXPECT_TRUE(
            status().startsWith("System Message:  Comm Fault with P9100  No board answered on " +
                                port.deviceName() + " at 9600 baud. Edit > Comm Port"))
            << qPrintable(status());
    }
}

// The box offers only what the board sent; an empty or cancelled answer writes nothing.
TEST_F(OnlineMode, PasscodeOffersTheBoardValueAndWritesTheAnswer) {
    const struct {
        bool readFails;
        std::optional<QString> answer;
        const char* offered;
        int after;
    } cases[] = {{false, "4321", "1234", 4321},
                 {false, "", "4321", 4321},
                 {false, std::nullopt, "4321", 4321},
                 {true, "", "", 4321}};
    goOnline();
    board.setValue("W1298", 1234);
    for (const auto& c : cases) {
        if (c.readFails) board.faults().wrongEchoAt = {board.receivedCount() + 1};
        prompt.inputAnswer(c.answer);
        board.clearTranscript();
        item("mnuEditPasscode")->trigger();
        EXPECT_EQ(prompt.inputDefaults.back(), c.offered);
        EXPECT_EQ(prompt.inputPrompts.back(), "Please Enter New Passcode (0-65535)");
        EXPECT_EQ(board.value("W1298"), c.after);
        EXPECT_EQ(board.writes().empty(), c.answer != "4321");
    }
}

// Going online sends the attention byte, the read-mode handshake (2 bytes), then B52's high
// byte as the 4th.
TEST_F(OnlineMode, TheSpindleCountIsUsedOnlyWhenTheBoardSent24Or36AndReadOncePerRun) {
    const struct {
        const char* what;
        int b52;
        bool wrongEcho;
        bool knownAtOnce, knownAfterTick;
    } cases[] = {{"wrong echo on B52", 36, true, false, true},
                 {"a count no machine has", 0, false, false, false},
                 {"a good count", 36, false, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        item("mnuViewOffline")->trigger();
        state.gBoardReadDone = state.gSpindleCountKnown = false;
        state.gSpindleCount = 24;
        board.setValue("B52", c.b52);
        if (c.wrongEcho) board.faults().wrongEchoAt = {board.receivedCount() + 4};
        item("mnuViewOnline")->trigger();
        ASSERT_TRUE(link.OnlineMode()); // a wrong echo is no lost link
        EXPECT_EQ(state.gSpindleCountKnown, c.knownAtOnce);
        window->tmrBackgroungUpdate_Timer(); // tries again
        EXPECT_EQ(state.gSpindleCountKnown, c.knownAfterTick);
        EXPECT_EQ(state.gBoardReadDone, c.knownAfterTick);
        EXPECT_EQ(state.gSpindleCount, c.knownAfterTick ? 36 : 24);
        board.faults().wrongEchoAt.clear();
    }
    item("mnuViewOffline")->trigger();
    board.setValue("B52", 24);
    item("mnuViewOnline")->trigger();
    EXPECT_EQ(state.gSpindleCount, 36);
}

// Write mode (2 bytes), then the high address byte: wrong on both tries (the second try's
// handshake takes three 0xFF, as the board first takes one for the address low byte).
TEST_F(OnlineMode, AWriteThatFailedIsToldAndTheLineCountsIt) {
    goOnline();
    board.faults().wrongEchoAt = {board.receivedCount() + 3, board.receivedCount() + 8};
    EXPECT_FALSE(link.writeValue("W1092", "650"));
    const QString note = notWrittenText("W1092", "650", LinkFailure::WrongEcho);
    EXPECT_EQ(status(), note);
    window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(status(), note); // held a while against the next alarm text
    EXPECT_TRUE(panel(StatusBar::Mode)->toolTip().contains("2 wrong echoes (1 writes sent again)"))
        << qPrintable(panel(StatusBar::Mode)->toolTip());
}

} // namespace
} // namespace kalvex::test
