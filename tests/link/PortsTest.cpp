#include "link/DevicePort.h"
#include "link/NetworkPort.h"
#include "link/PortProbe.h"
#include "link/RSComm.h"
#include "sim/PtyServer.h"
#include "sim/SimPort.h"
#include "support/Bytes.h"
#include "support/RecordingPrompt.h"
#include "support/Ser2net.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <memory>
#include <termios.h>
#include <unistd.h>

using namespace kalvex;
using test::bytes;

namespace {

enum class Path { InProcess, PseudoTerminal, Ser2netRaw, Ser2netRfc2217 };

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

TEST_P(SerialPortContract, ExchangesInLockStepTimesOutDiscardsAndReopens) {
    onBoard([](sim::Board& b) { b.setValue("B300", 0xA5); });
    ASSERT_TRUE(port().isOpen());
    EXPECT_FALSE(port().deviceName().isEmpty());
    // Read mode, then B300's address: the high byte is echoed, the low byte answered the cell.
    const int expected[][2] = {{0xFF, 0x55}, {1, 0x55}, {300 / 256, 300 / 256}, {300 % 256, 0xA5}};
    for (const auto& [out, in] : expected)
        EXPECT_EQ(exchange(out), in) << "after sending " << out;
    EXPECT_EQ(port().bytesWaiting(), 0);
    EXPECT_EQ(port().take(), -1);

    EXPECT_FALSE(port().waitForInput(30));
    EXPECT_EQ(port().take(), -1);
    port().send(0xFF);
    ASSERT_TRUE(port().bytesWaiting() > 0 || port().waitForInput(2000));
    port().discardInput();
    EXPECT_EQ(port().bytesWaiting(), 0);
    EXPECT_EQ(port().take(), -1);

    port().close();
    EXPECT_FALSE(port().isOpen());
    PortOpenError error;
    ASSERT_TRUE(port().open(PortSettings{}, &error)) << qPrintable(error.description);
    port().discardInput();
    EXPECT_EQ(exchange(0xFF), 0x55);
}

const char* pathNames[] = {"InProcess", "PseudoTerminal", "Ser2netRaw", "Ser2netRfc2217"};
INSTANTIATE_TEST_SUITE_P(Ports, SerialPortContract,
                         ::testing::Values(Path::InProcess, Path::PseudoTerminal, Path::Ser2netRaw,
                                           Path::Ser2netRfc2217),
                         [](const auto& p) { return std::string(pathNames[int(p.param)]); });

// Whole or split at any byte; NetworkLink tests the accepted options through ser2net.
TEST(TelnetCodec, CommandsAreTakenOutOfTheDataAndUnofferedOptionsRefused) {
    // A refused WILL and DO, a NOP, SET-BAUDRATE answered 130816 (a 0xFF inside), a data 0xFF.
    const QByteArray wire =
        bytes({0x41, 0xFF, 0xFB, 0x01, 0x42, 0xFF, 0xFD, 0x18, 0xFF, 0xF1, 0x43, 0xFF,
               0xFA, 0x2C, 0x65, 0x00, 0x01, 0xFF, 0xFF, 0x00, 0xFF, 0xF0, 0xFF, 0xFF});
    for (const qsizetype chunk : {wire.size(), qsizetype(1)}) {
        telnet::Decoder d;
        QByteArray data, reply;
        for (qsizetype i = 0; i < wire.size(); i += chunk)
            d.feed(wire.mid(i, chunk), data, reply);
        EXPECT_EQ(data, QByteArray("ABC\xFF")) << chunk;
        EXPECT_EQ(reply, bytes({0xFF, 0xFE, 0x01, 0xFF, 0xFC, 0x18})) << chunk;
        EXPECT_FALSE(d.comPortAccepted());
        EXPECT_EQ(d.baud().value_or(0), 130816u);
    }
}

TEST(NetworkDeviceAddress, TakesHostAndPortOnly) {
    // The device, and what the refusal names (empty: accepted).
    const std::pair<QString, QString> cases[] = {
        {"rfc2217://127.0.0.1:2001", ""},   {"SOCKET://plant-gw:4001", ""},
        {"rfc2217://[::1]:2001", ""},       {"rfc2217://127.0.0.1", "port"},
        {"socket://:2001", "host"},         {"socket://127.0.0.1:99999", "cannot"},
        {"rfc2217://h:1/dev/ttyS0", "only"}};
    for (const auto& [text, named] : cases) {
        QString why;
        const auto d = parseNetworkDevice(text, &why);
        EXPECT_EQ(d.has_value(), named.isEmpty()) << qPrintable(text);
        EXPECT_TRUE(why.contains(named)) << qPrintable(why);
        EXPECT_EQ(d ? networkDeviceText(*d).toLower() : QString(), d ? text.toLower() : QString());
    }
}

QByteArray received(sim::PtyServer& server) {
    QByteArray out;
    server.withBoard([&](sim::Board& b) { out = b.bytesFromPc(); });
    return out;
}

class NetworkLink : public ::testing::Test {
  protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(server.start(&error)) << qPrintable(error);
        server.withBoard([](sim::Board& b) { b.machine().running = false; });
    }
    void startSer2net() {
        QString error;
        ASSERT_TRUE(ser2net.start(server.slavePath(), true, &error)) << qPrintable(error);
    }
    // Online through `device` while f runs: what the board got.
    QByteArray through(const QString& device, const std::function<void(RSComm&)>& f) {
        DevicePort port(device);
        RSComm link(prompt, clock, home.path());
        link.attachPort(port);
        link.setOnlineMode(true);
        EXPECT_TRUE(link.OnlineMode()) << qPrintable(device);
        server.withBoard([](sim::Board& b) { b.clearTranscript(); });
        f(link);
        link.setOnlineMode(false);
        return received(server);
    }

    QTemporaryDir home;
    SystemClock clock;
    test::RecordingPrompt prompt;
    sim::PtyServer server;
    test::Ser2net ser2net;
};

TEST_F(NetworkLink, Bytes0xFFCrossRfc2217BothWaysAsOnTheDirectLine) {
    const std::pair<QString, qint64> cells[] = {
        {"B300", 255}, {"W302", 0xFFFF}, {"W304", 0xFF}, {"W306", 0xFF00}};
    const auto run = [&](RSComm& link) {
        for (const auto& [address, value] : cells) {
            server.withBoard([&](sim::Board& b) { b.setValue(address, 0); });
            EXPECT_TRUE(link.writeValue(address, QString::number(value)).ok())
                << qPrintable(address);
            EXPECT_EQ(link.readValue(address).value, value) << qPrintable(address); // never 0
        }
    };
    // Direct first: ser2net may hold the line for its listen check, dropping the board's replies.
    const QByteArray direct = through(server.slavePath(), run);
    startSer2net();
    EXPECT_EQ(through(ser2net.url(), run), direct);
    EXPECT_GE(direct.count('\xFF'), 8);
}

TEST_F(NetworkLink, Rfc2217SetsTheSpeedOfTheServersPort) {
    startSer2net();
    for (const auto& [baud, speed] : {std::pair{19200, B19200}, {9600, B9600}}) {
        DevicePort port(ser2net.url());
        PortOpenError e;
        ASSERT_TRUE(port.open(PortSettings{1, baud, {}}, &e)) << qPrintable(e.description);
        const int fd = ::open(qPrintable(server.slavePath()), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios t{};
        ASSERT_EQ(::tcgetattr(fd, &t), 0);
        ::close(fd);
        EXPECT_EQ(cfgetospeed(&t), speed) << baud;
    }
}

TEST_F(NetworkLink, ALostServerIsASilentBoardAndRetryConnectsAgain) {
    server.withBoard([](sim::Board& b) { b.setValue(QStringLiteral("B300"), 0xA5); });
    startSer2net();
    through(ser2net.url(), [&](RSComm& link) {
        ser2net.kill();
        prompt.answerWith([&](const test::Box&) {
            QString error;
            EXPECT_TRUE(ser2net.start(server.slavePath(), true, &error)) << qPrintable(error);
            return MsgAnswer::Retry;
        });
        (void)link.readValue("B300"); // what the resynchronised exchange gives is the link's
        const LinkResult r = link.readValue("B300");
        EXPECT_TRUE(r.ok());
        EXPECT_EQ(r.value, 0xA5);
    });
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].title, "WARNING - Communication Error!");
}

std::unique_ptr<sim::PtyServer> board(int lineSpeed, bool silent) {
    auto server = std::make_unique<sim::PtyServer>();
    server->withBoard([&](sim::Board& b) {
        b.faults().lineSpeed = lineSpeed;
        b.faults().silent = silent;
    });
    QString error;
    return server->start(&error) ? std::move(server) : nullptr;
}

TEST(PortProbe, NumberedPortsAndTheNamedList) {
    const std::pair<const char*, int> cases[] = {
        {"/dev/ttyS0", 1}, {"/dev/ttyS98", 99}, {"/dev/ttyS99", 0}, {"/dev/ttyUSB0", 0}};
    for (auto [device, number] : cases)
        EXPECT_EQ(candidateFor(device).portNumber, number) << device;
    qputenv("KALVEX_PORTS", "/dev/pts/7:/dev/ttyS2");
    const std::vector<PortCandidate> named = listSerialPorts();
    qunsetenv("KALVEX_PORTS");
    ASSERT_EQ(named.size(), 2u);
    EXPECT_EQ(candidateLine(named[1]), "/dev/ttyS2 (port 3)");
}

TEST(PortProbe, SearchFindsTheSpeedTheBoardAnswersAndSendsOnlyAttention) {
    auto answering = board(19200, false);
    auto silent = board(0, true);
    ASSERT_TRUE(answering && silent);
    const std::vector<PortCandidate> ports = {
        candidateFor(silent->slavePath()), candidateFor("/dev/kalvex-no-such-port"),
        candidateFor(answering->slavePath()), candidateFor("/dev/kalvex-held"),
        candidateFor("rfc2217://127.0.0.1:9")};
    std::vector<std::pair<ProbeOutcome, int>> seen;
    const std::optional<ProbeResult> found = findBoard(
        ports, "/dev/kalvex-held",
        [&](const ProbeResult& r) { seen.emplace_back(r.outcome, r.baud); }, 200);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->port.device, answering->slavePath());
    EXPECT_EQ(found->baud, 19200);
    const std::vector<std::pair<ProbeOutcome, int>> expected = {
        {ProbeOutcome::Silent, 9600},     {ProbeOutcome::Silent, 19200},
        {ProbeOutcome::CannotOpen, 9600}, {ProbeOutcome::Silent, 9600},
        {ProbeOutcome::Answered, 19200},  {ProbeOutcome::Skipped, 0},
        {ProbeOutcome::Network, 0}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(received(*silent), bytes({0xFF, 0xFF}));
    EXPECT_EQ(received(*answering), bytes({0xFF, 0xFF}));
}

} // namespace
