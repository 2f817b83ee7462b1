// What the shell does with a read that failed: nothing it shows or decides comes from it.
#include "ShellFixture.h"
#include "data/LinkNotes.h"

namespace kalvex::test {
namespace {

using FailedReads = ShellFixture;

// The reply to the `n`th byte the PC sends from now on comes back wrong.
void wrongEchoAt(sim::Board& board, std::initializer_list<int> nths) {
    for (const int n : nths)
        board.faults().wrongEchoAt.insert(board.receivedCount() + n);
}

// Going online sends the attention byte, the read-mode handshake (2 bytes), then B52's high
// byte as the 4th.
TEST_F(FailedReads, TheSpindleCountIsUsedOnlyWhenTheBoardSent24Or36) {
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
        if (c.wrongEcho) wrongEchoAt(board, {4});
        item("mnuViewOnline")->trigger();
        ASSERT_TRUE(link.OnlineMode()); // a wrong echo is no lost link
        EXPECT_EQ(state.gSpindleCountKnown, c.knownAtOnce);
        window->tmrBackgroungUpdate_Timer(); // tries again
        EXPECT_EQ(state.gSpindleCountKnown, c.knownAfterTick);
        EXPECT_EQ(state.gBoardReadDone, c.knownAfterTick);
        EXPECT_EQ(state.gSpindleCount, c.knownAfterTick ? 36 : 24);
        board.faults().wrongEchoAt.clear();
    }
}

// Write mode (2 bytes), then the high address byte: wrong on both tries (the second try's
// handshake takes three 0xFF, as the board first takes one for the address low byte).
TEST_F(FailedReads, AWriteThatFailedIsToldAndTheLineCountsIt) {
    goOnline();
    wrongEchoAt(board, {3, 8});
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
