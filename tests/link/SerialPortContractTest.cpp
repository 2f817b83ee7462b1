// What the link relies on from a serial port, run against every port it is given: the
// in-process simulator port, a real device (a pseudo-terminal) through QtSerialPort, and ser2net
// in front of that device, raw and with RFC 2217.
#include "link/DevicePort.h"
#include "sim/PtyServer.h"
#include "sim/SimPort.h"
#include "support/Ser2net.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace kalvex;

namespace {

enum class Path { InProcess, PseudoTerminal, Ser2netRaw, Ser2netRfc2217 };

// The parameter says how the board is reached.
class SerialPortContract : public ::testing::TestWithParam<Path> {
  protected:
    void SetUp() override {
        if (GetParam() != Path::InProcess) {
            QString error;
            ASSERT_TRUE(server.start(&error)) << qPrintable(error);
            QString device = server.slavePath();
            if (GetParam() != Path::PseudoTerminal) {
                ASSERT_TRUE(ser2net.start(device, GetParam() == Path::Ser2netRfc2217, &error))
                    << qPrintable(error);
                device = ser2net.url();
            }
            pty = std::make_unique<DevicePort>(device);
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
    test::Ser2net ser2net;
    std::unique_ptr<DevicePort> pty;
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

std::string pathName(const ::testing::TestParamInfo<Path>& p) {
    const char* names[] = {"InProcess", "PseudoTerminal", "Ser2netRaw", "Ser2netRfc2217"};
    return names[int(p.param)];
}

INSTANTIATE_TEST_SUITE_P(Ports, SerialPortContract,
                         ::testing::Values(Path::InProcess, Path::PseudoTerminal, Path::Ser2netRaw,
                                           Path::Ser2netRfc2217),
                         pathName);

} // namespace
