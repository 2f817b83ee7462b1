// What the link relies on from a serial port, run against both ports it is given: the
// in-process simulator port and a real device (a pseudo-terminal) through QtSerialPort.
#include "link/QtSerialPort.h"
#include "sim/PtyServer.h"
#include "sim/SimPort.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace kalvex;

namespace {

// The parameter says whether the board sits behind a pseudo-terminal.
class SerialPortContract : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        if (GetParam()) {
            QString error;
            ASSERT_TRUE(server.start(&error)) << qPrintable(error);
            pty = std::make_unique<QtSerialPort>(server.slavePath());
        }
        onBoard([](sim::Board& b) { b.machine().running = false; });
        PortOpenError error;
        ASSERT_TRUE(port().open(PortSettings{}, &error)) << qPrintable(error.description);
    }
    SerialPort& port() { return pty ? static_cast<SerialPort&>(*pty) : simPort; }
    void onBoard(const std::function<void(sim::Board&)>& f) {
        pty ? server.withBoard(f) : f(board);
    }
    // Sends one byte and returns the board's answer, or -1 after a generous wait.
    int exchange(int byte) {
        port().send(quint8(byte));
        if (port().bytesWaiting() == 0 && !port().waitForInput(2000)) return -1;
        return port().take();
    }

    SystemClock clock;
    sim::Board board{clock};
    sim::SimPort simPort{board, clock};
    sim::PtyServer server;
    std::unique_ptr<QtSerialPort> pty;
};

TEST_P(SerialPortContract, ExchangesBytesInLockStepWithTheBoard) {
    onBoard([](sim::Board& b) { b.setValue("B300", 0xA5); });
    ASSERT_TRUE(port().isOpen());
    EXPECT_FALSE(port().deviceName().isEmpty());
    // Read mode, then the address of B300: the high byte is echoed, the low byte answered
    // with the cell.
    const int expected[][2] = {{0xFF, 0x55}, {1, 0x55}, {300 / 256, 300 / 256}, {300 % 256, 0xA5}};
    for (const auto& [out, in] : expected)
        EXPECT_EQ(exchange(out), in) << "after sending " << out;
    EXPECT_EQ(port().bytesWaiting(), 0);
    EXPECT_EQ(port().take(), -1);
}

TEST_P(SerialPortContract, WaitingTimesOutAndDiscardDropsAnAnswerAlreadyWaiting) {
    EXPECT_FALSE(port().waitForInput(30));
    EXPECT_EQ(port().take(), -1);
    port().send(0xFF);
    ASSERT_TRUE(port().bytesWaiting() > 0 || port().waitForInput(2000));
    port().discardInput();
    EXPECT_EQ(port().bytesWaiting(), 0);
    EXPECT_EQ(port().take(), -1);
}

TEST_P(SerialPortContract, ClosesAndOpensAgain) {
    port().close();
    EXPECT_FALSE(port().isOpen());
    PortOpenError error;
    ASSERT_TRUE(port().open(PortSettings{}, &error)) << qPrintable(error.description);
    port().discardInput();
    EXPECT_EQ(exchange(0xFF), 0x55);
}

INSTANTIATE_TEST_SUITE_P(Ports, SerialPortContract, ::testing::Bool(), [](const auto& p) {
    return std::string(p.param ? "PseudoTerminal" : "InProcess");
});

} // namespace
