#pragma once
#include "link/RSComm.h"
#include "sim/Board.h"
#include "sim/SimPort.h"
#include "support/Bytes.h"
#include "support/RecordingPrompt.h"
#include "support/Traffic.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kalvex::test {

// A link online with an in-process simulated board on a fake clock. The machine stands still
// so memory only changes through the link.
class LinkFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        board.machine().running = false;
        link.attachPort(port);
        link.setOnlineMode(true);
        ASSERT_TRUE(link.OnlineMode());
        clearTranscript();
    }

    QByteArray sent() const { return board.bytesFromPc(); }
    void clearTranscript() {
        board.clearTranscript();
        m_startMode = link.boardMode();
    }
    Traffic traffic() const { return trafficOf(board, m_startMode); }

    QTemporaryDir home;
    FakeClock clock;
    sim::Board board{clock};
    sim::SimPort port{board, clock};
    RecordingPrompt prompt;
    RSComm link{prompt, clock, home.path()};

  private:
    int m_startMode = 0;
};

} // namespace kalvex::test
