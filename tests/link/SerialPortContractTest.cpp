// What the link relies on from a serial port, run against both ports it is given: the
// in-process simulator port and a real device (a pseudo-terminal) through QtSerialPort.
#include "PtyServer.h"
#include "SimPort.h"
#include "link/QtSerialPort.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace kalvex;

namespace {

class Backend {
  public:
    virtual ~Backend() = default;
    virtual SerialPort& port() = 0;
    virtual void onBoard(const std::function<void(sim::Board&)>& f) = 0;
};

class InProcess final : public Backend {
  public:
    SerialPort& port() override { return m_port; }
    void onBoard(const std::function<void(sim::Board&)>& f) override { f(m_board); }

  private:
    SystemClock m_clock;
    sim::Board m_board{m_clock};
    sim::SimPort m_port{m_board, m_clock};
};

class PseudoTerminal final : public Backend {
  public:
    PseudoTerminal() {
        QString error;
        if (!m_server.start(&error)) ADD_FAILURE() << qPrintable(error);
        m_port = std::make_unique<QtSerialPort>(m_server.slavePath());
    }
    SerialPort& port() override { return *m_port; }
    void onBoard(const std::function<void(sim::Board&)>& f) override { m_server.withBoard(f); }

  private:
    sim::PtyServer m_server;
    std::unique_ptr<QtSerialPort> m_port;
};

std::unique_ptr<Backend> makeBackend(const std::string& name) {
    if (name == "InProcess") return std::make_unique<InProcess>();
    return std::make_unique<PseudoTerminal>();
}

class SerialPortContract : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        backend = makeBackend(GetParam());
        backend->onBoard([](sim::Board& b) { b.machine().running = false; });
        PortOpenError error;
        ASSERT_TRUE(port().open(PortSettings{}, &error)) << qPrintable(error.description);
    }
    SerialPort& port() { return backend->port(); }
    // Sends one byte and returns the board's answer, or -1 after a generous wait.
    int exchange(int byte) {
        port().send(quint8(byte));
        if (port().bytesWaiting() == 0 && !port().waitForInput(2000)) return -1;
        return port().take();
    }

    std::unique_ptr<Backend> backend;
};

TEST_P(SerialPortContract, ExchangesBytesInLockStepWithTheBoard) {
    backend->onBoard([](sim::Board& b) { b.setValue(QStringLiteral("B300"), 0xA5); });
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

TEST_P(SerialPortContract, WaitingWithNothingToComeTimesOut) {
    EXPECT_FALSE(port().waitForInput(30));
    EXPECT_EQ(port().take(), -1);
}

TEST_P(SerialPortContract, DiscardDropsAnAnswerAlreadyWaiting) {
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

INSTANTIATE_TEST_SUITE_P(Ports, SerialPortContract,
                         ::testing::Values("InProcess", "PseudoTerminal"),
                         [](const auto& param) { return param.param; });

} // namespace
