#include "data/AppState.h"
#include "data/DataTransfer.h"
#include "support/Controls.h"
#include "support/LinkFixture.h"
#include "widgets/dialogs/frmProcessing.h"

#include <QLabel>

namespace kalvex::test {
namespace {

class ProcessingWindow : public LinkFixture {};

TEST_F(ProcessingWindow, NamesTheFailedItems) {
    AppState state;
    // Mode handshake (2 bytes), item 0 (2 bytes); the 5th byte is W1092's first.
    board.faults().wrongEchoAt = {board.receivedCount() + 5};
    DataTransfer transfer(link, prompt, state.gCurrentData, transferPlan(kUploadSetup));
    frmProcessing w(transfer, link);
    w.exec();
    const QString shown = control<QLabel>(w, QStringLiteral("lblProcessing"))->text();
    EXPECT_TRUE(shown.endsWith("Failed items: W1092 (wrong echo from the board)"))
        << qPrintable(shown);
    EXPECT_EQ(transfer.outcome(), LinkFailure::WrongEcho);
}

} // namespace
} // namespace kalvex::test
