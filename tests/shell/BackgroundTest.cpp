#include "ShellFixture.h"

namespace kalvex::test {
namespace {

const QString kHeader = "------------------------------ ALARM MESSAGE "
                        "------------------------------\r\n";
const QString kNormal = "-- System Normal --\r\nSet-up Program is Currently ONLINE";
const QString kFaulted = "****** PROCESSOR FAULTED ******\r\nSet-up Program is Currently ONLINE";

struct AlarmCase {
    int w98;
    QString panel;
    QString message;
};

void PrintTo(const AlarmCase& c, std::ostream* os) {
    *os << "W98 " << c.w98;
}

class AlarmTexts : public ShellFixture, public ::testing::WithParamInterface<AlarmCase> {};

TEST_P(AlarmTexts, StatusPanelAndStatusMessage) {
    goOnline();
    board.setValue("W98", GetParam().w98);
    window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(status(), GetParam().panel);
    EXPECT_EQ(state.gStatusMessage, GetParam().message);
    EXPECT_EQ(visibleFaultBoxes(), 0);
}

const QString kAlarms = "System Message:  Alarm(s) Active in P9100";

INSTANTIATE_TEST_SUITE_P(
    W98, AlarmTexts,
    ::testing::Values(
        AlarmCase{0, "System Message:  All Faults Normal", kNormal},
        AlarmCase{5, kAlarms,
                  kHeader + "Infeed Track Jam\r\n \r\n" + kHeader +
                      "Timing Signal Failure\r\nVerify Resolver Operation\r\n"},
        AlarmCase{8, kAlarms, kHeader + "\r\n"},
        AlarmCase{256, kAlarms,
                  kHeader + "Ductor No.1 Feedback Fault\r\nVerify Ductor Cycling Operation\r\n"},
        AlarmCase{32768, kAlarms,
                  kHeader + "Ductor No.8 Feedback Fault\r\nVerify Ductor Cycling Operation\r\n"}));

using Background = ShellFixture;

TEST_F(Background, OfflineTexts) {
    for (bool commError : {false, true}) {
        link.setCommError(commError);
        window->tmrBackgroungUpdate_Timer();
        EXPECT_EQ(state.gStatusMessage, "Set-up Program is Currently OFFLINE");
        EXPECT_EQ(status(), commError ? "System Message:  Comm Fault with P9100"
                                      : "System Message:  Program is Currently OFFLINE");
    }
}

TEST_F(Background, ProcessorFaultShowsTheBoxOncePerEpisode) {
    goOnline();
    board.setValue("B8176", 5);
    board.setValue("W98", 5); // not listed while the processor is faulted
    for (int tick = 0; tick < 10; ++tick)
        window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(visibleFaultBoxes(), 1);
    EXPECT_EQ(status(), "System Message:  Fault Code (05H): --- Fault File Not Found ---");
    EXPECT_EQ(state.gStatusMessage, kFaulted);
    closeFaultBoxes();

    window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(visibleFaultBoxes(), 0); // the episode goes on: no second box

    board.setValue("B8176", 0);
    board.setValue("W98", 0);
    window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(status(), "System Message:  All Faults Normal");
    board.setValue("B8176", 5);
    window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(visibleFaultBoxes(), 1);
    closeFaultBoxes();
}

TEST_F(Background, CommErrorWhileOnlineFreezesTheTexts) {
    goOnline();
    board.setValue("W98", 1);
    window->tmrBackgroungUpdate_Timer();
    const QString message = state.gStatusMessage;
    link.setCommError(true);
    board.setValue("W98", 0);
    board.clearTranscript();
    window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(status(), kAlarms);
    EXPECT_EQ(state.gStatusMessage, message);
    EXPECT_TRUE(board.transcript().empty());
}

} // namespace
} // namespace kalvex::test
