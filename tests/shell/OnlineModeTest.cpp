#include "ShellFixture.h"

#include <QtTest/QTest>

namespace kalvex::test {
namespace {

using OnlineMode = ShellFixture;

TEST_F(OnlineMode, MenuAndModePanelSwitchThePortAndTheIndicatorsFollow) {
    window->show();
    QTest::mouseDClick(panel(StatusBar::Status), Qt::LeftButton); // not the mode panel
    EXPECT_FALSE(link.OnlineMode());
    const auto dblClickMode = [this] {
        QTest::mouseDClick(panel(StatusBar::Mode), Qt::LeftButton);
    };
    const std::function<void()> toggles[] = {[this] { item("mnuViewOnline")->trigger(); },
                                             [this] { item("mnuViewOffline")->trigger(); },
                                             dblClickMode, dblClickMode};
    bool online = false;
    for (const auto& toggle : toggles) {
        toggle();
        online = !online;
        SCOPED_TRACE(online);
        EXPECT_EQ(link.OnlineMode(), online);
        EXPECT_EQ(port.isOpen(), online);
        EXPECT_EQ(mode(), online ? "ONLINE" : "OFFLINE");
        EXPECT_EQ(item("mnuViewOnline")->isChecked(), online);
        EXPECT_EQ(item("mnuViewOffline")->isChecked(), !online);
        EXPECT_EQ(item("mnuEditPasscode")->isEnabled(), online);
    }
    EXPECT_EQ(port.openCount(), 2);
}

TEST_F(OnlineMode, ASilentBoardStaysOfflineAndTheSpindleCountIsReadOncePerRun) {
    board.faults().silent = true;
    item("mnuViewOnline")->trigger();
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_TRUE(link.CommError());
    EXPECT_EQ(mode(), "OFFLINE");
    EXPECT_FALSE(item("mnuEditPasscode")->isEnabled());
    EXPECT_FALSE(state.gBoardReadDone);
    window->tmrBackgroungUpdate_Timer();
    // The system's message stays as it is; the port tried and the way to another follow it.
    EXPECT_TRUE(
        status().startsWith("System Message:  Comm Fault with P9100  No board answered on " +
                            port.deviceName() + " at 9600 baud. Edit > Comm Port"))
        << qPrintable(status());

    board.faults().silent = false;
    board.setValue("B52", 36);
    item("mnuViewOnline")->trigger();
    EXPECT_TRUE(link.OnlineMode());
    EXPECT_TRUE(state.gBoardReadDone);
    EXPECT_EQ(state.gSpindleCount, 36);
    item("mnuViewOffline")->trigger();
    board.setValue("B52", 24);
    item("mnuViewOnline")->trigger();
    EXPECT_EQ(state.gSpindleCount, 36);
}

TEST_F(OnlineMode, BoardLostDuringTheFirstReadsClosesThePort) {
    board.faults().silentAfter = 1; // answers the attention byte of the open, then nothing
    item("mnuViewOnline")->trigger();
    EXPECT_FALSE(link.OnlineMode() || state.gBoardReadDone || port.isOpen());
    EXPECT_EQ(mode(), "OFFLINE");
    EXPECT_TRUE(item("mnuViewOffline")->isChecked());
}

TEST_F(OnlineMode, PortThatCannotOpenStaysOffline) {
    port.failNextOpen({8002, "KALVEX", "Invalid port number"});
    item("mnuViewOnline")->trigger();
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_EQ(mode(), "OFFLINE");
    ASSERT_FALSE(prompt.boxes.empty());
    EXPECT_EQ(prompt.boxes.back().title, "Comm Port Error");
}

// An empty or cancelled answer leaves the passcode as it was.
TEST_F(OnlineMode, PasscodeOffersTheBoardValueAndWritesTheAnswer) {
    goOnline();
    board.setValue("W1298", 1234);
    prompt.inputAnswer(QString("4321"));
    prompt.inputAnswer(QString(""));
    prompt.inputAnswer(std::nullopt);
    for (int i = 0; i < 3; ++i) {
        item("mnuEditPasscode")->trigger();
        EXPECT_EQ(board.value("W1298"), 4321) << i;
    }
    EXPECT_EQ(prompt.inputPrompts,
              std::vector<QString>(3, QStringLiteral("Please Enter New Passcode (0-65535)")));
}

} // namespace
} // namespace kalvex::test
