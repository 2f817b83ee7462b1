#include "ShellFixture.h"

#include <QMessageBox>

namespace kalvex::test {
namespace {

using Background = ShellFixture;

int visibleFaultBoxes() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            n += box->text() == QLatin1String("Faults Acitve in Target Board");
    return n;
}

void closeFaultBoxes() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMessageBox*>(w) && w->isVisible()) w->close();
}

const QString kHeader = "------------------------------ ALARM MESSAGE "
                        "------------------------------\r\n";
const QString kAlarms = "System Message:  Alarm(s) Active in P9100";
const QString kDuctor = "Feedback Fault\r\nVerify Ductor Cycling Operation\r\n";

TEST_F(Background, AlarmWordGivesStatusPanelAndMessage) {
    const std::tuple<int, QString, QString> cases[] = {
        {0, "System Message:  All Faults Normal",
         "-- System Normal --\r\nSet-up Program is Currently ONLINE"},
        {5, kAlarms,
         kHeader + "Infeed Track Jam\r\n \r\n" + kHeader +
             "Timing Signal Failure\r\nVerify Resolver Operation\r\n"},
        {8, kAlarms, kHeader + "\r\n"},
        {256, kAlarms, kHeader + "Ductor No.1 " + kDuctor},
        {32768, kAlarms, kHeader + "Ductor No.8 " + kDuctor}};
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
    EXPECT_EQ(visibleFaultBoxes(), 0);
}

TEST_F(Background, ProcessorFaultShowsTheBoxOncePerEpisode) {
    goOnline();
    board.setValue("B8176", 5);
    board.setValue("W98", 5); // not listed while the processor is faulted
    for (int tick = 0; tick < 10; ++tick)
        window->tmrBackgroungUpdate_Timer();
    EXPECT_EQ(visibleFaultBoxes(), 1);
    EXPECT_EQ(status(), "System Message:  Fault Code (05H): --- Fault File Not Found ---");
    EXPECT_EQ(state.gStatusMessage,
              "****** PROCESSOR FAULTED ******\r\nSet-up Program is Currently ONLINE");
    closeFaultBoxes();
    window->tmrBackgroungUpdate_Timer();
    board.faults().wrongEchoAt = {board.receivedCount() + 1}; // B8176 not read: no "no fault"
    window->tmrBackgroungUpdate_Timer();
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

} // namespace
} // namespace kalvex::test
