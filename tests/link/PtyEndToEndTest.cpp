#include "PtyServer.h"
#include "RecordingPrompt.h"
#include "link/QtSerialPort.h"
#include "link/RSComm.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kalvex;

namespace {

TEST(PtyEndToEnd, TheLinkTalksToTheSimulatorThroughARealSerialDevice) {
    sim::PtyServer server;
    QString error;
    ASSERT_TRUE(server.start(&error)) << qPrintable(error);
    server.withBoard([](sim::Board& b) { b.machine().running = false; });

    QTemporaryDir home;
    SystemClock clock;
    test::RecordingPrompt prompt;
    QtSerialPort port(server.slavePath());
    RSComm link(prompt, clock, home.path());

    for (int session = 0; session < 2; ++session) { // the client closes and re-opens the port
        link.OpenRSComm(port);
        ASSERT_TRUE(link.OnlineMode()) << session;
        EXPECT_EQ(link.RSRead(QStringLiteral("B52")), QStringLiteral("24"));
        link.RSWrite(QStringLiteral("D2000"), QStringLiteral("123,456"));
        EXPECT_EQ(link.RSRead(QStringLiteral("D2000")), QStringLiteral("123456"));
        link.RSWrite(QStringLiteral("D2000"), QStringLiteral("0"));
        link.CloseRSComm();
        EXPECT_FALSE(port.isOpen());
    }
    EXPECT_TRUE(prompt.boxes.empty());
    qint64 board = 0;
    server.withBoard([&](sim::Board& b) { board = b.value(QStringLiteral("D2000")); });
    EXPECT_EQ(board, 0);
}

TEST(PtyEndToEnd, AMissingDeviceIsNamedInTheOpenError) {
    QtSerialPort port(QStringLiteral("/dev/kalvex-no-such-port"));
    PortOpenError error;
    EXPECT_FALSE(port.open(PortSettings{}, &error));
    EXPECT_TRUE(error.description.contains(QStringLiteral("/dev/kalvex-no-such-port")))
        << qPrintable(error.description);
    EXPECT_TRUE(error.description.contains(QStringLiteral("does not exist")))
        << qPrintable(error.description);
}

} // namespace
