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

// A simulated board on a fake clock, standing still, a recording prompt and a closed link.
struct SimulatedLink {
    SimulatedLink() { board.machine().running = false; }

    QTemporaryDir home;
    FakeClock clock;
    sim::Board board{clock};
    sim::SimPort port{board, clock};
    RecordingPrompt prompt;
    RSComm link{prompt, clock, home.path()};
};

// The simulated link, online.
class LinkFixture : public ::testing::Test, protected SimulatedLink {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
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

  private:
    int m_startMode = 0;
};

} // namespace kalvex::test
