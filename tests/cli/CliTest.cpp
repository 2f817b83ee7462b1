#include "CliBoard.h"
#include "QtPrinters.h"
#include "link/QtSerialPort.h"

#include <QDir>
#include <QProcess>
#include <cerrno>
#include <sys/stat.h>

namespace {

using namespace kalvex;
using test::CliRun;

class CliTest : public test::CliBoard {
  protected:
    void SetUp() override {
        CliBoard::SetUp();
        setBoard("W300", 4660);
        setBoard("D302", 123456);
    }
    QString stateFile(const QByteArray& content) {
        write(path("board.state"), content);
        return path("board.state");
    }
};

// Every message on stderr starts with the program's name; continuation lines may follow.
void expectPrefixed(const CliRun& r) {
    EXPECT_TRUE(r.err.isEmpty() || r.err.startsWith(QLatin1String("kalvex-cli: ")))
        << qPrintable(r.err);
}

TEST_F(CliTest, OptionsGoBeforeOrAfterTheCommand) {
    const QString dev = server.slavePath();
    const QStringList cases[] = {
        {"--device", dev, "read", "W300", "D302", "--retries=1"},
        {"read", "--device", dev, "W300", "D302"},
        {"read", "--device=" + dev, "--", "W300", "D302"},
        {"--retries", "0", "read", "W300", "--device", dev, "D302"},
    };
    for (const QStringList& args : cases) {
        const CliRun r = cli(args, false);
        EXPECT_EQ(r.code, 0) << qPrintable(args.join(' ')) << qPrintable(r.err);
        EXPECT_EQ(r.out, "4660\n123456\n") << qPrintable(args.join(' '));
    }
    EXPECT_FALSE(QFile::exists(path("support/RSPort.cfg"))); // a named device needs none
}

// Refused before the port opens: nothing reaches the board, not even the attention byte.
TEST_F(CliTest, RefusedInputExitsOneWithNothingOnTheWire) {
    struct Case {
        QStringList args;
        const char* says;
    };
    const Case cases[] = {
        {{"write", "300", "5"}, "\"300\" is not a board address"},
        {{"write", "X12", "1"}, "\"X12\" is not a board address"},
        {{"read", "W112", "--x"}, "--x"},
        {{"read", "W65535"}, "Address out of Range (0-65,535)."},
        {{"read", "W112", "B1016.9"}, "not a board address"},
        {{"write", "W300", "abc"}, "Only Numerical Data Allowed."},
        {{"write", "W310", "-5"}, "Only Numerical Data Allowed."},
        {{"write", "W50", "70000"}, "Entry out of Range (0-65,535)."},
        {{"write", "B10.1", "3"}, "Enter 0 or 1 Only."},
        {{"write", "W50"}, "VALUE is required"},
        {{"--device", "", "read", "W112"}, "--device needs a device path"},
        {{"--retries", "-1", "read", "W112"}, "--retries"},
        {{"frobnicate"}, "A subcommand is required"},
        {{"pls", "zero"}, "zero"},
    };
    for (const Case& c : cases) {
        const qint64 before = received();
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.code, 1) << qPrintable(c.args.join(' '));
        EXPECT_TRUE(r.err.contains(QLatin1String(c.says))) << qPrintable(r.err);
        expectPrefixed(r);
        EXPECT_TRUE(r.out.isEmpty()) << qPrintable(r.out);
        EXPECT_EQ(received(), before) << qPrintable(c.args.join(' '));
    }
}

// A request that did not complete exits 2 and names its address; nothing false is printed.
TEST_F(CliTest, FailedRequestsExitTwoAndNameTheAddress) {
    struct Case {
        QStringList args;
        std::vector<qint64> wrongEchoes; // received bytes, counted from the next run's first
        const char* says;
    };
    // Attention, then the mode handshake (2 bytes): the 4th byte is the first address byte. A
    // write is sent twice; its second try starts at the 9th byte.
    const Case cases[] = {
        {{"read", "W112"}, {4}, "read W112 failed: wrong echo from the board"},
        {{"write", "W300", "4660"}, {4, 9}, "write W300 failed: wrong echo from the board"},
        {{"write", "B1016.3", "1"}, {4}, "write B1016.3 failed: wrong echo from the board"},
    };
    for (const Case& c : cases) {
        server.withBoard([&](sim::Board& b) {
            for (const qint64 at : c.wrongEchoes)
                b.faults().wrongEchoAt.insert(b.receivedCount() + at);
        });
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.code, 2) << qPrintable(c.args.join(' ')) << qPrintable(r.err);
        EXPECT_TRUE(r.err.contains(QLatin1String(c.says))) << qPrintable(r.err);
        EXPECT_TRUE(r.out.isEmpty()) << qPrintable(r.out);
        expectPrefixed(r);
        server.withBoard([](sim::Board& b) { b.faults().wrongEchoAt.clear(); });
    }
}

TEST_F(CliTest, InfoNamesRevisionFaultAndSpindles) {
    QDir(home.path()).mkpath(QStringLiteral("support"));
    QFile::copy(QStringLiteral(KALVEX_SOURCE_DIR "/support/FaultErrCodes.txt"),
                path("support/FaultErrCodes.txt"));
    const CliRun r =
        cli({"--simulate", "--state", stateFile("B8159 = 17\nB8176 = 92\nspindles = 36\n"), "info"},
            false);
    EXPECT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.contains("Firmware revision: 17\nFault code: Fault Code (5CH): Program is "
                               "invalid"))
        << qPrintable(r.out);
    EXPECT_TRUE(r.out.endsWith("\nSpindles: 36\n")) << qPrintable(r.out);
    EXPECT_FALSE(QFile::exists(path("support/RSPort.cfg"))); // the simulator needs none
}

TEST_F(CliTest, SilentBoardRetriesThenExitsTwoWithTheBoxText) {
    server.withBoard([](sim::Board& b) { b.faults().silent = true; });
    const CliRun r = cli({"--retries", "1", "read", "W112"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err.count("kalvex-cli: WARNING - Communication Error!: Cannot Communicate with "
                          "Target Board.\nVerify RS-232 Cable is Connected Between\nCOMM Port "
                          "and PROG Port."),
              2)
        << qPrintable(r.err);
    EXPECT_TRUE(r.out.isEmpty());
}

TEST_F(CliTest, PortAndSettingsProblemsSayWhatAndWhere) {
    CliRun r = cli({"--device", "/dev/kalvex-missing", "info"}, false);
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains("/dev/kalvex-missing does not exist")) << qPrintable(r.err);
    EXPECT_FALSE(r.err.contains("Options >")) << qPrintable(r.err);
    expectPrefixed(r);
    // RSPort.cfg must be written without --device; a support "folder" that is a file stops it.
    write(path("support"), "x");
    r = cli({"info"}, false);
    EXPECT_EQ(r.code, 3) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains(path("support/RSPort.cfg"))) << qPrintable(r.err);

    const QString busy = QtSerialPort::busyOrDeniedText("/dev/ttyUSB0", EBUSY);
    const QString denied = QtSerialPort::busyOrDeniedText("/dev/ttyUSB0", EACCES);
    EXPECT_TRUE(busy.contains("ModemManager") && !busy.contains("dialout")) << qPrintable(busy);
    EXPECT_TRUE(denied.contains("dialout") && !denied.contains("ModemManager"));
}

// Readers refuse devices, FIFOs and numbers out of range at once instead of hanging,
// running out of memory or overflowing.
TEST_F(CliTest, ReadersRefuseWhatIsNotTheirFile) {
    ASSERT_EQ(mkfifo(qPrintable(path("fifo")), 0600), 0);
    struct Case {
        QStringList args;
        int code;
        const char* says;
    };
    const Case cases[] = {
        {{"dump", "/dev/zero"}, 3, "not a regular file"},
        {{"dump", path("fifo")}, 3, "not a regular file"},
        {{"--yes", "download", "all", "/dev/zero"}, 3, "not a regular file"},
        {{"--simulate", "--state", "/dev/zero", "info"}, 3, "not a regular file"},
        {{"--simulate", "--state", path("fifo"), "info"}, 3, "not a regular file"},
        {{"--simulate", "--state", stateFile("delay_ms = 9223372036854775807\n"), "info"},
         3,
         "line 1"},
        {{"--simulate", "--state", stateFile("W98 = five\n"), "info"}, 3, "line 1"},
        {{"--simulate", "--state", stateFile("B60 = 256\n"), "info"}, 3, "from 0 to 255"},
    };
    for (const Case& c : cases) {
        const CliRun r = cli(c.args, false);
        EXPECT_EQ(r.code, c.code) << qPrintable(c.args.join(' ')) << qPrintable(r.err);
        EXPECT_TRUE(r.err.contains(QLatin1String(c.says))) << qPrintable(r.err);
        expectPrefixed(r);
    }
    // A fault text file that is a link to a device gives the code without a text.
    QDir(home.path()).mkpath(QStringLiteral("support"));
    ASSERT_TRUE(QFile::link("/dev/zero", path("support/FaultErrCodes.txt")));
    setBoard("B8176", 92);
    const CliRun r = cli({"info"});
    EXPECT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.contains("Fault code: Fault Code (5CH): \n")) << qPrintable(r.out);
}

TEST_F(CliTest, SimPrintsTheDeviceFirstAndServesIt) {
    QProcess sim;
    sim.start(QStringLiteral(KALVEX_CLI), {"sim", "--state", stateFile("W300 = 777\n")});
    ASSERT_TRUE(sim.waitForReadyRead(10000));
    const QString device = QString::fromUtf8(sim.readLine()).trimmed();
    EXPECT_TRUE(device.startsWith(QStringLiteral("/dev/"))) << qPrintable(device);
    // Each client opens and closes the port; the board keeps what the first one wrote.
    CliRun r = cli({"--device", device, "write", "D2000", "1,234,567"}, false);
    EXPECT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.err.isEmpty()) << qPrintable(r.err);
    r = cli({"--device", device, "read", "W300", "D2000"}, false);
    EXPECT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, QStringLiteral("777\n1234567\n"));
    sim.terminate();
    EXPECT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 0);
}

TEST_F(CliTest, HelpForTheProgramAndEachCommand) {
    struct Case {
        QStringList args;
        std::vector<const char*> says;
    };
    const Case cases[] = {
        {{"--help"}, {"read", "write", "upload", "--device", "--force", "Exit codes", "130/143"}},
        {{"help", "write"}, {"Usage: kalvex-cli write [OPTIONS] ADDR VALUE", "Example: "}},
        {{"write", "--help", "5"}, {"Usage: kalvex-cli write", "Example: "}},
        {{"pls", "--help"}, {"Usage: kalvex-cli pls", "setpoint"}},
        {{"pls", "setpoint", "--help"}, {"Usage: kalvex-cli pls setpoint [OPTIONS] CHAN ON OFF"}},
        {{"help", "upload"}, {"--partial", "--labels", "Example: "}},
    };
    for (const Case& c : cases) {
        const qint64 before = received();
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.code, 0) << qPrintable(c.args.join(' '));
        for (const char* word : c.says)
            EXPECT_TRUE(r.out.contains(QLatin1String(word))) << word << "\n" << qPrintable(r.out);
        EXPECT_EQ(received(), before);
    }
}

} // namespace
