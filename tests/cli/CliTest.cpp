#include "CliChecks.h"
#include "data/TestFiles.h"
#include "link/QtSerialPort.h"
#include "support/CliBoard.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <cerrno>
#include <grp.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace kalvex;
using test::CliRun;
using test::expectFailure;

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

TEST_F(CliTest, OptionsGoBeforeOrAfterTheCommand) {
    const QString dev = server.slavePath();
    for (const QStringList& args :
         {QStringList{"--device", dev, "read", "W300", "D302", "--retries=1"},
          {"read", "--device=" + dev, "--", "W300", "D302"},
          {"--retries", "0", "read", "W300", "--device", dev, "D302"}}) {
        const CliRun r = cli(args, false);
        EXPECT_EQ(r.code, 0) << qPrintable(args.join(' ')) << qPrintable(r.err);
        EXPECT_EQ(r.out, "4660\n123456\n") << qPrintable(args.join(' '));
    }
    EXPECT_FALSE(QFile::exists(path("support/RSPort.cfg"))); // a named device needs none
}

// --format json: one document of what the board sent, or none at all when a read failed.
TEST_F(CliTest, JsonOutputIsOneDocumentOrNothing) {
    const QString dev = server.slavePath();
    const struct {
        QStringList args;
        int code;
        QString out;
        qint64 silentAfter; // bytes more the board answers; -1: all
    } cases[] = {
        // clang-format off
        {{"--format", "json", "read", "W300", "D302"}, 0, "{\"values\":{\"D302\":123456,\"W300\":4660}}\n", -1},
        // The first value was read, the second not: no document, not half of one.
        {{"read", "W300", "--format=json", "--retries", "0", "D302"}, 2, "", 8},
        {{"--format", "xml", "read", "W300"}, 1, "", -1},
        {{"--format", "json", "ports", "--", dev}, 0, "{\"ports\":[{\"description\":\"\",\"device\":\"" + dev + "\",\"usb\":false}]}\n", -1},
        // clang-format on
    };
    for (const auto& c : cases) {
        const qint64 silent = c.silentAfter < 0 ? -1 : received() + c.silentAfter;
        server.withBoard([silent](sim::Board& b) { b.faults().silentAfter = silent; });
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.code, c.code) << qPrintable(c.args.join(' ') + "\n" + r.err);
        EXPECT_EQ(r.out, c.out) << qPrintable(c.args.join(' '));
    }
    server.withBoard([](sim::Board& b) { b.faults().silentAfter = -1; });
    // --trace: one line per byte the board received, with the reply it gave.
    const qint64 before = received();
    ASSERT_EQ(cli({"--trace", path("trace"), "read", "W300"}).code, 0);
    const QList<QByteArray> lines = contents(path("trace")).trimmed().split('\n');
    EXPECT_EQ(lines.size(), received() - before);
    const QRegularExpression line(R"(^\S+ sent FF reply [0-9A-F]{2} after \d+ us$)");
    EXPECT_TRUE(line.match(QString(lines.value(0))).hasMatch()) << lines.value(0).constData();

    const CliRun info = cli({"--format", "json", "info"});
    const QJsonObject o = QJsonDocument::fromJson(info.out.toUtf8()).object();
    EXPECT_EQ(o.value("port").toString(), dev) << qPrintable(info.out);
    EXPECT_TRUE(o.contains("firmwareRevision") && o.contains("spindles")) << qPrintable(info.out);
    server.withBoard([](sim::Board& b) { b.setValue("B8176", 0x5C); });
    const QJsonObject status =
        QJsonDocument::fromJson(cli({"--format", "json", "board", "status"}).out.toUtf8()).object();
    EXPECT_EQ(status["faults"].toObject()["Current Fault"].toString(), "5C");
    EXPECT_EQ(status["board"].toObject()["name"].toString(), "KVX91D07");
}

// Refused before the port opens: nothing reaches the board, not even the attention byte.
TEST_F(CliTest, RefusedInputExitsOneWithNothingOnTheWire) {
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{"write", "300", "5"}, "\"300\" is not a board address"},
        {{"read", "W65535"}, "Address out of Range (0-65,535)."},
        {{"read", "W112", "B1016.9"}, "not a board address"},
        {{"write", "W310", "-5"}, "Only Numerical Data Allowed."},
        {{"--device", "", "read", "W112"}, "--device needs a device path"},
        {{"--retries", "-1", "read", "W112"}, "--retries"},
        {{"frobnicate"}, "unknown command \"frobnicate\""},
        {{}, "A subcommand is required"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.args.join(' ')));
        const qint64 before = received();
        expectFailure(cli(c.args), 1, c.says);
        EXPECT_EQ(received(), before);
    }
}

// A request that did not complete exits 2 and names its address; nothing false is printed.
TEST_F(CliTest, FailedRequestsExitTwoAndNameTheAddress) {
    // Attention, then the mode handshake (2 bytes): the 4th byte is the first address byte. A
    // write is sent twice; its second try starts at the 9th byte.
    const struct {
        QStringList args;
        std::vector<qint64> wrongEchoes; // received bytes, counted from the next run's first
        const char* says;
    } cases[] = {
        {{"read", "W112"}, {4}, "read W112 failed: wrong echo from the board"},
        {{"write", "W300", "4660"}, {4, 9}, "write W300 failed: wrong echo from the board"},
    };
    for (const auto& c : cases) {
        server.withBoard([&](sim::Board& b) {
            b.faults().wrongEchoAt.clear();
            for (const qint64 at : c.wrongEchoes)
                b.faults().wrongEchoAt.insert(b.receivedCount() + at);
        });
        expectFailure(cli(c.args), 2, c.says);
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
    // A fault text file that is a link to a device gives the code without a text.
    ASSERT_TRUE(QFile::remove(path("support/FaultErrCodes.txt")));
    ASSERT_TRUE(QFile::link("/dev/zero", path("support/FaultErrCodes.txt")));
    setBoard("B8176", 92);
    const CliRun linked = cli({"info"});
    EXPECT_EQ(linked.code, 0) << qPrintable(linked.err);
    EXPECT_TRUE(linked.out.contains("Fault code: Fault Code (5CH): \n")) << qPrintable(linked.out);
}

TEST_F(CliTest, SilentBoardRetriesThenExitsTwoWithTheBoxText) {
    server.withBoard([](sim::Board& b) { b.faults().silent = true; });
    const CliRun r = cli({"--retries", "1", "read", "W112"});
    expectFailure(r, 2, "Cannot Communicate with Target Board.");
    EXPECT_EQ(r.err.count("kalvex-cli: WARNING - Communication Error!: Cannot Communicate with "
                          "Target Board.\nVerify RS-232 Cable is Connected Between\nCOMM Port "
                          "and PROG Port."),
              2)
        << qPrintable(r.err);
    // The last line names the port tried and the ways to another.
    EXPECT_TRUE(r.err.contains("target board on " + server.slavePath() + " (9600 baud)"));
    EXPECT_TRUE(r.err.contains("ports --probe")) << qPrintable(r.err);
}

// A port that does not open is a file error naming the path opened and the real cause.
TEST_F(CliTest, PortAndSettingsProblemsSayWhatAndWhere) {
    write(path("tty"), "a regular file"); // a relative name is this folder's file, not /dev/tty
    const std::tuple<const char*, rlim_t, QString> cases[] = {
        {"/dev/kalvex-missing", 0, "/dev/kalvex-missing does not exist"},
        {"tty", 0, path("tty") + " is not a serial port"},
        {"./tty", 0, path("tty") + " is not a serial port"},
        {"kalvex-missing", 0, "/dev/kalvex-missing does not exist"},
        {nullptr, 8, "cannot be written: File too large"}, // QSerialPort's lock file
    };
    for (const auto& [device, sizeLimit, says] : cases) {
        SCOPED_TRACE(device ? device : "the simulator");
        const QString dev = device ? QString::fromLatin1(device) : server.slavePath();
        std::optional<test::FileSizeLimit> limit;
        if (sizeLimit > 0) limit.emplace(sizeLimit, false);
        const CliRun r = cli({"--device", dev, "info"}, false);
        limit.reset();
        expectFailure(r, 3, qPrintable(says));
        EXPECT_FALSE(r.err.contains("Options >") || r.err.contains("ModemManager"))
            << qPrintable(r.err);
    }
    // RSPort.cfg must be written without --device; a support "folder" that is a file stops it.
    write(path("support"), "x");
    expectFailure(cli({"info"}, false), 3, qPrintable(path("support/RSPort.cfg")));

    // The denied text names the device's own group and the new login, once; later ones refer
    // back to it. A busy port is another matter.
    const struct {
        int error;
        QString group;
        bool withFix;
        QStringList has, hasNot;
    } texts[] = {
        // clang-format off
        {EBUSY, "dialout", true, {"ModemManager"}, {"dialout", "log out"}},
        {EACCES, "dialout", true, {"'dialout'", "usermod -aG dialout", "log out and in"}, {"Modem"}},
        {EACCES, "uucp", true, {"'uucp'", "usermod -aG uucp"}, {"dialout"}},
        {EACCES, "", true, {"ls -l /dev/ttyUSB0", "dialout (a udev rule)", "another port"}, {"usermod", "-aG"}},
        {EACCES, "dialout", false, {"denied", "first message"}, {"usermod"}},
        // clang-format on
    };
    for (const auto& t : texts) {
        const QString text =
            QtSerialPort::busyOrDeniedText("/dev/ttyUSB0", t.error, t.group, t.withFix);
        for (const QString& part : t.has)
            EXPECT_TRUE(text.contains(part)) << qPrintable(text);
        for (const QString& part : t.hasNot)
            EXPECT_FALSE(text.contains(part)) << qPrintable(text);
    }
    // Only a group that may read and write the device, and is neither root nor tty, is named.
    EXPECT_EQ(QtSerialPort::deviceGroup("/dev/null"), ""); // root:root 0666
    EXPECT_EQ(QtSerialPort::deviceGroup("/dev/tty"), "");  // root:tty 0666
    EXPECT_EQ(QtSerialPort::deviceGroup(path("no-such-device")), "");
    const QString dev = path("ttyFake");
    write(dev, "");
    const group* dialout = ::getgrnam("dialout");
    if (::getuid() == 0 && dialout) {
        ASSERT_EQ(::chown(qPrintable(dev), uid_t(-1), dialout->gr_gid), 0);
    }
    struct stat info {};
    ASSERT_EQ(::stat(qPrintable(dev), &info), 0);
    const group* owner = ::getgrgid(info.st_gid);
    const QString name = owner && info.st_gid != 0 ? QString(owner->gr_name) : QString();
    for (const auto& [mode, expected] :
         {std::pair{0660, name}, {0600, QString()}, {0640, QString()}}) {
        ASSERT_EQ(::chmod(qPrintable(dev), mode), 0);
        EXPECT_EQ(QtSerialPort::deviceGroup(dev), expected) << std::oct << mode;
    }
}

// Readers refuse devices, FIFOs and numbers out of range at once instead of hanging,
// running out of memory or overflowing.
TEST_F(CliTest, ReadersRefuseWhatIsNotTheirFile) {
    ASSERT_EQ(mkfifo(qPrintable(path("fifo")), 0600), 0);
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{"dump", "/dev/zero"}, "not a regular file"},
        {{"dump", path("fifo")}, "not a regular file"},
        {{"--simulate", "--state", path("fifo"), "info"}, "not a regular file"},
        {{"--simulate", "--state", stateFile("delay_ms = 9223372036854775807\n"), "info"},
         "line 1"},
        {{"--simulate", "--state", stateFile("B60 = 256\n"), "info"}, "from 0 to 255"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.args.join(' ')));
        expectFailure(cli(c.args, false), 3, c.says);
    }
}

TEST_F(CliTest, SimPrintsTheDeviceFirstAndServesIt) {
    write(path("bad.timeline"), "at 0s alarm 3 on\n\nat 1s alarm 3 of\n");
    CliRun bad = cli({"sim", "--timeline", path("bad.timeline")}, false);
    EXPECT_EQ(bad.code, 3);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("bad.timeline: line 3: cannot use \"alarm 3 of\"")))
        << qPrintable(bad.err);
    EXPECT_TRUE(bad.out.isEmpty()) << qPrintable(bad.out); // no simulator started

    write(path("demo.timeline"), "at 0ms alarm 3 on\n");
    QProcess sim;
    sim.start(QStringLiteral(KALVEX_CLI),
              {"sim", "--state", stateFile("W300 = 777\n"), "--timeline", path("demo.timeline")});
    ASSERT_TRUE(sim.waitForReadyRead(10000));
    const QString device = QString::fromUtf8(sim.readLine()).trimmed();
    EXPECT_TRUE(device.startsWith(QStringLiteral("/dev/"))) << qPrintable(device);
    // Each client opens and closes the port; the board keeps what the first one wrote.
    CliRun r = cli({"--device", device, "write", "D2000", "1,234,567"}, false);
    EXPECT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.err.isEmpty()) << qPrintable(r.err);
    r = cli({"--device", device, "read", "W300", "D2000", "W98"}, false);
    EXPECT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, QStringLiteral("777\n1234567\n8\n"));
    sim.terminate();
    EXPECT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 0);
}

TEST_F(CliTest, HelpForTheProgramAndEachCommand) {
    const struct {
        QStringList args;
        std::vector<const char*> says;
    } cases[] = {
        // clang-format off
        {{"--help"}, {"read", "write", "upload", "--device", "--force", "Exit codes", "4 diff", "130/143"}},
        {{"help"}, {"Usage: kalvex-cli [OPTIONS] SUBCOMMAND"}},
        {{"help", "write"}, {"Usage: kalvex-cli write [OPTIONS] ADDR VALUE", "Example: "}},
        {{"pls", "setpoint", "--help"}, {"Usage: kalvex-cli pls setpoint [OPTIONS] CHAN ON OFF"}},
        // clang-format on
    };
    for (const auto& c : cases) {
        const qint64 before = received();
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.code, 0) << qPrintable(c.args.join(' '));
        for (const char* word : c.says)
            EXPECT_TRUE(r.out.contains(QLatin1String(word))) << word << "\n" << qPrintable(r.out);
        EXPECT_FALSE(r.out.contains("kalvex-cli kalvex-cli")) << qPrintable(r.out);
        EXPECT_EQ(received(), before);
    }
}

// -q leaves out notes but never an error; -v names the port and times the transfer.
TEST_F(CliTest, QuietAndVerboseChangeTheNotesOnly) {
    const struct {
        QStringList args;
        const char* state; // the simulated board; none: a device that does not exist
        int code;
        const char* err; // a pattern stderr matches
    } cases[] = {
        // clang-format off
        {{}, "running = 0\n", 0, "^$"},
        {{"-v"}, "running = 0\n", 0, "^kalvex-cli: online with the target board on /dev/\\S+ \\(9600 baud\\)\n"
                                     "kalvex-cli: transfer: 1747 of 1747 steps in [0-9.]+ s\n$"},
        {{"--quiet"}, "running = 0\n", 0, "^$"},
        {{"-q"}, "silent = 1\n", 2, "Cannot Communicate with Target Board\\."},
        {{"-q", "--device", "/dev/kalvex-missing"}, nullptr, 3, "/dev/kalvex-missing does not exist"},
        {{"-q", "--verbose"}, "running = 0\n", 1, "--quiet excludes --verbose"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.args.join(' ')));
        const QStringList sim{"--simulate", "--state", stateFile(c.state ? c.state : "")};
        const CliRun r = cli((c.state ? sim : QStringList()) + c.args +
                                 QStringList{"upload", "all", "-o", path("up.sdt"), "--force"},
                             false);
        EXPECT_EQ(r.code, c.code) << qPrintable(r.err);
        EXPECT_TRUE(QRegularExpression(c.err).match(r.err).hasMatch()) << qPrintable(r.err);
    }
}

// The board answers: its device and speed are the last line. Nothing answers: exit 2.
TEST_F(CliTest, PortsProbeNamesWhereTheBoardAnsweredOrExitsTwo) {
    const QString dev = server.slavePath();
    const qint64 before = received();
    const CliRun found = cli({"ports", "--probe", dev}, false);
    EXPECT_EQ(found.code, 0) << qPrintable(found.err);
    EXPECT_EQ(found.out, QStringLiteral("%1\n%1 at 9600: the board answered\n"
                                        "board found: %1 at 9600\n")
                             .arg(dev));
    EXPECT_EQ(received() - before, 1); // one attention byte
    const CliRun none = cli({"ports", "--probe", "/dev/kalvex-no-such-port"}, false);
    EXPECT_EQ(none.code, 2);
    EXPECT_TRUE(none.err.contains("no board answered")) << qPrintable(none.err);
}

} // namespace
