// Device servers on the network: the Telnet coding on its own, then the link through a real
// ser2net on loopback in front of the simulated board's pseudo-terminal.
#include "link/NetworkPort.h"
#include "link/DevicePort.h"
#include "link/RSComm.h"
#include "sim/PtyServer.h"
#include "support/Bytes.h"
#include "support/RecordingPrompt.h"
#include "support/Ser2net.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace kalvex;
using test::bytes;

namespace {

QByteArray decode(telnet::Decoder& d, const QByteArray& wire, QByteArray* reply) {
    QByteArray data;
    d.feed(wire, data, *reply);
    return data;
}

// Whole or split at any byte, the same data (a data 0xFF is doubled on the wire; the link
// test below sends them through ser2net), the same answers and the same port settings.
TEST(TelnetCodec, CommandsAreTakenOutOfTheDataAndUnofferedOptionsRefused) {
    const struct {
        QByteArray wire, data, reply;
        bool accepted;
        quint32 baud;
    } cases[] = {
        {bytes({0x41, 0xFF, 0xFB, 0x01, 0x42}), "AB", bytes({0xFF, 0xFE, 0x01}), false, 0},
        {bytes({0xFF, 0xFD, 0x18, 0xFF, 0xF1, 0x43}), "C", bytes({0xFF, 0xFC, 0x18}), false, 0},
        {bytes({0xFF, 0xFD, 0x2C, 0xFF, 0xFD, 0x00, 0xFF, 0xFB, 0x03}), {}, {}, true, 0},
        // SET-BAUDRATE answered with 130816 (a 0xFF inside), then a data 0xFF.
        {bytes({0xFF, 0xFA, 0x2C, 0x65, 0x00, 0x01, 0xFF, 0xFF, 0x00, 0xFF, 0xF0, 0xFF, 0xFF}),
         bytes({0xFF}),
         {},
         false,
         130816},
    };
    for (const auto& c : cases) {
        for (const qsizetype chunk : {c.wire.size(), qsizetype(1)}) {
            telnet::Decoder d;
            QByteArray data, reply;
            for (qsizetype i = 0; i < c.wire.size(); i += chunk)
                data += decode(d, c.wire.mid(i, chunk), &reply);
            EXPECT_EQ(data, c.data) << c.wire.toHex().constData();
            EXPECT_EQ(reply, c.reply) << c.wire.toHex().constData();
            EXPECT_EQ(d.comPortAccepted(), c.accepted);
            EXPECT_EQ(d.baud().value_or(0), c.baud);
        }
    }
}

TEST(NetworkDeviceAddress, TakesHostAndPortOnly) {
    const struct {
        const char* text;
        const char* why; // empty: accepted
    } cases[] = {{"rfc2217://127.0.0.1:2001", ""},   {"SOCKET://plant-gw:4001", ""},
                 {"rfc2217://[::1]:2001", ""},       {"rfc2217://127.0.0.1", "port"},
                 {"socket://:2001", "host"},         {"socket://127.0.0.1:99999", "cannot"},
                 {"rfc2217://h:1/dev/ttyS0", "only"}};
    for (const auto& c : cases) {
        QString why;
        const auto d = parseNetworkDevice(QLatin1String(c.text), &why);
        EXPECT_EQ(d.has_value(), !*c.why) << c.text;
        EXPECT_TRUE(why.contains(QLatin1String(c.why))) << qPrintable(why);
        if (d) {
            EXPECT_EQ(networkDeviceText(*d).toLower(), QString::fromLatin1(c.text).toLower());
        }
    }
}

// Keeps what the link sent, to compare with what reached the board.
class SentBytes final : public SerialPort {
  public:
    explicit SentBytes(const QString& device) : m_port(device) {}
    bool open(const PortSettings& s, PortOpenError* e) override { return m_port.open(s, e); }
    void close() override { m_port.close(); }
    bool isOpen() const override { return m_port.isOpen(); }
    int bytesWaiting() override { return m_port.bytesWaiting(); }
    void discardInput() override { m_port.discardInput(); }
    void send(quint8 byte) override {
        sent += char(byte);
        m_port.send(byte);
    }
    int take() override { return m_port.take(); }
    bool waitForInput(int ms) override { return m_port.waitForInput(ms); }
    QString deviceName() const override { return m_port.deviceName(); }

    QByteArray sent;

  private:
    DevicePort m_port;
};

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
    // Online through `device` while f runs; the bytes the board received meanwhile, which are
    // those the link sent (no byte lost and sent again).
    QByteArray through(const QString& device, const std::function<void(RSComm&)>& f) {
        SentBytes port(device);
        RSComm link(prompt, clock, home.path());
        link.attachPort(port);
        link.setOnlineMode(true);
        EXPECT_TRUE(link.OnlineMode()) << qPrintable(device);
        server.withBoard([](sim::Board& b) { b.clearTranscript(); });
        port.sent.clear();
        f(link);
        QByteArray received;
        server.withBoard([&](sim::Board& b) { received = b.bytesFromPc(); });
        EXPECT_EQ(port.sent.toHex(' ').toStdString(), received.toHex(' ').toStdString());
        link.setOnlineMode(false);
        return received;
    }

    QTemporaryDir home;
    SystemClock clock;
    test::RecordingPrompt prompt;
    sim::PtyServer server;
    test::Ser2net ser2net;
};

TEST_F(NetworkLink, Bytes0xFFCrossRfc2217BothWaysAsOnTheDirectLine) {
    const struct {
        const char* address;
        qint64 value;
    } cells[] = {{"B300", 255}, {"W302", 0xFFFF}, {"W304", 0xFF}, {"W306", 0xFF00}};
    const auto run = [&](RSComm& link) {
        for (const auto& c : cells) {
            server.withBoard([&](sim::Board& b) { b.setValue(QLatin1String(c.address), 0); });
            EXPECT_TRUE(link.writeValue(c.address, QString::number(c.value)).ok()) << c.address;
            const LinkResult r = link.readValue(c.address);
            EXPECT_TRUE(r.ok()) << c.address;
            EXPECT_EQ(r.value, c.value) << c.address;
        }
    };
    // The direct run comes before ser2net starts: ser2net opens the line for the client that
    // checks it listens and may hold it long after, reading (and dropping) the board's replies.
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

// ser2net gone: the board does not answer and the retry box comes; Retry connects again.
TEST_F(NetworkLink, ALostServerIsASilentBoardAndRetryConnectsAgain) {
    server.withBoard([](sim::Board& b) { b.setValue(QStringLiteral("B300"), 0xA5); });
    startSer2net();
    DevicePort port(ser2net.url());
    RSComm link(prompt, clock, home.path());
    link.attachPort(port);
    link.setOnlineMode(true);
    ASSERT_TRUE(link.OnlineMode());
    {
        ser2net.kill();
        prompt.answerWith([&](const test::Box&) {
            QString error;
            EXPECT_TRUE(ser2net.start(server.slavePath(), true, &error)) << qPrintable(error);
            return MsgAnswer::Retry;
        });
        (void)link.readValue(
            "B300"); // what the resynchronised exchange gives is the link's business
        const LinkResult r = link.readValue("B300");
        EXPECT_TRUE(r.ok());
        EXPECT_EQ(r.value, 0xA5);
    }
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].title, "WARNING - Communication Error!");
}

} // namespace
