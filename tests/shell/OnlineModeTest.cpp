#include "ShellFixture.h"

#include <QtTest/QTest>

namespace kalvex::test {
namespace {

using OnlineMode = ShellFixture;

TEST_F(OnlineMode, MenuOpensAndClosesThePortAndTheIndicatorsFollow) {
    item("mnuViewOnline")->trigger();
    EXPECT_TRUE(link.OnlineMode());
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(mode(), "ONLINE");
    EXPECT_TRUE(item("mnuViewOnline")->isChecked());
    EXPECT_FALSE(item("mnuViewOffline")->isChecked());
    EXPECT_TRUE(item("mnuEditPasscode")->isEnabled());

    item("mnuViewOffline")->trigger();
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(mode(), "OFFLINE");
    EXPECT_FALSE(item("mnuViewOnline")->isChecked());
    EXPECT_TRUE(item("mnuViewOffline")->isChecked());
    EXPECT_FALSE(item("mnuEditPasscode")->isEnabled());
}

TEST_F(OnlineMode, ModePanelDoubleClickToggles) {
    window->show();
    QTest::mouseDClick(panel(StatusBar::Status), Qt::LeftButton);
    EXPECT_FALSE(link.OnlineMode());
    QTest::mouseDClick(panel(StatusBar::Mode), Qt::LeftButton);
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(mode(), "ONLINE");
    QTest::mouseDClick(panel(StatusBar::Mode), Qt::LeftButton);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(mode(), "OFFLINE");
    EXPECT_EQ(port.openCount(), 1);
}

TEST_F(OnlineMode, SpindleCountIsReadOncePerRun) {
    board.setValue("B52", 36);
    item("mnuViewOnline")->trigger();
    EXPECT_EQ(state.gSpindleCount, 36);
    EXPECT_TRUE(state.gBoardReadDone);
    item("mnuViewOffline")->trigger();
    board.setValue("B52", 24);
    item("mnuViewOnline")->trigger();
    EXPECT_EQ(state.gSpindleCount, 36);
}

TEST_F(OnlineMode, SwitchToASilentBoardEndsOfflineAndTriesAgainNextTime) {
    board.faults().silent = true;
    item("mnuViewOnline")->trigger();
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_TRUE(link.CommError());
    EXPECT_EQ(mode(), "OFFLINE");
    EXPECT_FALSE(item("mnuEditPasscode")->isEnabled());
    EXPECT_FALSE(state.gBoardReadDone);
    window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(status(), "System Message:  Comm Fault with P9100");

    board.faults().silent = false;
    board.setValue("B52", 36);
    item("mnuViewOnline")->trigger();
    EXPECT_TRUE(link.OnlineMode());
    EXPECT_TRUE(state.gBoardReadDone);
    EXPECT_EQ(state.gSpindleCount, 36);
}

TEST_F(OnlineMode, BoardLostDuringTheFirstReadsClosesThePort) {
    board.faults().silentAfter = 1; // answers the attention byte of the open, then nothing
    item("mnuViewOnline")->trigger();
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_FALSE(state.gBoardReadDone);
    EXPECT_FALSE(port.isOpen());
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

TEST_F(OnlineMode, PasscodeOffersTheBoardValueAndWritesTheAnswer) {
    goOnline();
    board.setValue("W1298", 1234);
    prompt.inputAnswer(QString("4321"));
    item("mnuEditPasscode")->trigger();
    ASSERT_EQ(prompt.inputPrompts.size(), 1u);
    EXPECT_EQ(prompt.inputPrompts[0], "Please Enter New Passcode (0-65535)");
    EXPECT_EQ(board.value("W1298"), 4321);

    for (const std::optional<QString>& answer :
         {std::optional<QString>(""), std::optional<QString>()}) {
        prompt.inputAnswer(answer);
        item("mnuEditPasscode")->trigger();
        EXPECT_EQ(board.value("W1298"), 4321);
    }
}

} // namespace
} // namespace kalvex::test
