// kalvex-cli's own part: options, exit codes, messages and files (the rest: the library tests).
#include "CliChecks.h"
#include "data/AppState.h"
#include "data/SetupFile.h"
#include "data/ShiftExport.h"
#include "data/TagMap.h"
#include "data/TestFiles.h"
#include "link/Address.h"
#include "support/CliBoard.h"
#include "support/QtPrinters.h"
#include "support/Ser2net.h"
#include "support/Traffic.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <optional>
#include <sys/stat.h>

namespace {

using namespace kalvex;
using namespace kalvex::test;
using Kind = sim::PlsChannel::Kind;
using Writes = std::vector<std::pair<int, int>>;

// W300 and D302 hold values; the PLS has scale factor 360, offset 10, position 100.
class Cli : public test::CliBoard {
  protected:
    void SetUp() override {
        CliBoard::SetUp();
        setBoard("W300", 4660);
        setBoard("D302", 123456);
        server.withBoard([](sim::Board& b) {
            b.pls().setScaleFactor(360);
            b.pls().setOffset(10);
            b.pls().setPosition(100);
        });
    }
    QString file(const char* name, const QByteArray& content) {
        write(path(name), content);
        return path(name);
    }
    void save(const char* name, const SetupData& d) {
        ASSERT_TRUE(writeSetupFile(path(name), d, nullptr));
    }
    SetupData withValues(std::initializer_list<std::pair<int, qint32>> values) const {
        SetupData d = state.gDefaultData;
        for (const auto& [item, value] : values)
            d.Value[size_t(item)] = value;
        return d;
    }
    void resetSetupItems() {
        for (const int i : setupDataItems())
            setBoard(qPrintable(state.gDefaultData.Address[size_t(i)]),
                     state.gDefaultData.Value[size_t(i)]);
    }
    Writes writes() {
        Writes out;
        server.withBoard([&](sim::Board& b) { out = test::memoryWrites(b); });
        return out;
    }
    static QByteArray records(int start, int size) {
        QByteArray hex, line(16, 0);
        for (int i = 0; i < size; i += 16) {
            QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(line.data()), 4);
            hex += ":10" + QByteArray::number(start + i, 16).toUpper() + "00" +
                   line.toHex().toUpper() + "\r\n";
        }
        return hex + ":00000001FF\r\n";
    }
    QString writeProgram(const QString& name, const char* type, const QByteArray& hex) {
        write(home.filePath(name + ".rev"), "ABC:?05\r\n");
        if (!hex.isEmpty()) write(home.filePath(name + ".hex"), hex);
        write(home.filePath(name + ".ovp"), QByteArray(type) + ",x\r\n");
        return home.filePath(name + ".ovp");
    }
    AppState state;
};

// Options go before or after the command; JSON is a whole document or nothing.
TEST_F(Cli, JsonOutputIsOneDocumentOrNothing) {
    const QString dev = server.slavePath();
    expectOutput(cli({"ports", "--probe", dev}, false),
                 QString("%1\n%1 at 9600: the board answered\nboard found: %1 at 9600\n").arg(dev));
    EXPECT_EQ(received(), 1); // one attention byte
    // Arguments, exit code, output, and how many bytes more the board answers (-1: all).
    const std::tuple<QStringList, int, QString, qint64> cases[] = {
        // clang-format off
        {{"--device", dev, "read", "W300", "D302", "--retries=1"}, 0, "4660\n123456\n", -1},
        {{"read", "--device=" + dev, "--", "W300", "D302"}, 0, "4660\n123456\n", -1},
        {{"--retries", "0", "read", "W300", "--device", dev, "D302"}, 0, "4660\n123456\n", -1},
        {{"--device", dev, "--format", "json", "read", "W300", "D302"}, 0, "{\"values\":{\"D302\":123456,\"W300\":4660}}\n", -1},
        // The first value was read, the second not: no document, not half of one.
        {{"read", "W300", "--format=json", "--device", dev, "--retries", "0", "D302"}, 2, "", 8},
        {{"--device", dev, "--format", "xml", "read", "W300"}, 1, "", -1},
        {{"--format", "json", "ports", "--", dev}, 0, "{\"ports\":[{\"description\":\"\",\"device\":\"" + dev + "\",\"usb\":false}]}\n", -1},
        // clang-format on
    };
    for (const auto& [args, code, out, answered] : cases) {
        SCOPED_TRACE(qPrintable(args.join(' ')));
        const qint64 silent = answered < 0 ? -1 : received() + answered;
        server.withBoard([silent](sim::Board& b) { b.faults().silentAfter = silent; });
        const CliRun r = cli(args, false);
        EXPECT_EQ(std::pair(r.code, r.out), std::pair(code, out)) << qPrintable(r.err);
    }
    EXPECT_FALSE(QFile::exists(path("support/RSPort.cfg"))); // a named device needs none
    const CliRun none = cli({"ports", "--probe", "/dev/kalvex-no-such-port"}, false);
    EXPECT_EQ(none.code, 2);
    EXPECT_TRUE(has(none.err, "no board answered"));
    const qint64 before = received();
    ASSERT_EQ(cli({"--trace", path("trace"), "read", "W300"}).code, 0);
    const QList<QByteArray> lines = contents(path("trace")).trimmed().split('\n');
    EXPECT_EQ(lines.size(), received() - before);
    const QRegularExpression line(R"(^\S+ sent FF reply [0-9A-F]{2} after \d+ us$)");
    EXPECT_TRUE(line.match(QString(lines.value(0))).hasMatch()) << lines.value(0).constData();

    const auto json = [this](const QStringList& args) {
        return QJsonDocument::fromJson(cli(QStringList{"--format", "json"} + args).out.toUtf8());
    };
    const QJsonObject o = json({"info"}).object();
    EXPECT_EQ(o.value("port").toString(), dev);
    EXPECT_TRUE(o.contains("firmwareRevision") && o.contains("spindles"));
    setBoard("B8176", 0x5C);
    const QJsonObject status = json({"board", "status"}).object();
    EXPECT_EQ(status["faults"].toObject()["Current Fault"].toString(), "5C");
    EXPECT_EQ(status["board"].toObject()["name"].toString(), "KVX91D07");
}

// Refused before the port opens: no byte sent, no file written; then the options that answer.
TEST_F(Cli, RefusedInputSendsNothingAndWritesNothing) {
    ASSERT_EQ(mkfifo(qPrintable(path("fifo")), 0600), 0);
    ASSERT_EQ(mkfifo(qPrintable(path("FIFO.rev")), 0600), 0);
    file("big.state", "delay_ms = 9223372036854775807\n");
    file("byte.state", "B60 = 256\n");
    file("bad.sdt", QByteArray::fromHex("0100410100ffffff7f00000000"));
    file("P9100.ovp", "D\r\n");
    file("FIFO.ovp", "A\r\n");
    file("Q.ovp", "4");
    file("Q.hex", "old");
    save("m1.sdt", state.gDefaultData);
    const QByteArray m1 = contents(path("m1.sdt"));
    SetupData old = withValues({{122, 720}}), crafted = withValues({{122, 5}}), wild = old;
    old.Version = "KALVEX_R0.1.0";
    save("old.sdt", old);
    crafted.Address[122] = "B8176";
    save("crafted.sdt", crafted);
    wild.Address[122] = "W70000";
    save("w.sdt", wild);
    wild.Address[122] = "B1401.9";
    save("b.sdt", wild);
    const std::tuple<QStringList, int, const char*> cases[] = {
        // clang-format off
        {{"write", "300", "5"}, 1, "\"300\" is not a board address"},
        {{"read", "W65535"}, 1, "Address out of Range (0-65,535)."},
        {{"read", "W112", "B1016.9"}, 1, "not a board address"},
        {{"write", "W310", "-5"}, 1, "Only Numerical Data Allowed."},
        {{"--device", "", "read", "W112"}, 1, "--device needs a device path"},
        {{"--retries", "-1", "read", "W112"}, 1, "--retries"},
        {{"frobnicate"}, 1, "unknown command \"frobnicate\""},
        {{}, 1, "A subcommand is required"},
        {{"-q", "--verbose", "read", "W112"}, 1, "--quiet excludes --verbose"},
        {{"-q", "--device", "/dev/kalvex-missing", "read", "W112"}, 3, "/dev/kalvex-missing does not exist"},
        {{"dump", "fifo"}, 3, "not a regular file"},
        {{"--simulate", "--state", "fifo", "info"}, 3, "not a regular file"},
        {{"--simulate", "--state", "big.state", "info"}, 3, "big.state: line 1"},
        {{"--simulate", "--state", "byte.state", "info"}, 3, "from 0 to 255"},
        {{"upload", "most", "-o", "x.sdt"}, 1, "most"},
        {{"upload", "all"}, 1, "--output is required"},
        {{"upload", "setup", "--labels", "1-2", "-o", "x.sdt"}, 1, "labels set only"},
        {{"upload", "labels", "--labels", "a-b", "-o", "x.sdt"}, 1, "FIRST-LAST"},
        {{"--yes", "download", "all", "bad.sdt"}, 3, "claims"},
        {{"dump", "bad.sdt"}, 3, "bad.sdt"},
        {{"export", "bad.sdt", "-o", "x.txt"}, 3, "bad.sdt"},
        {{"upload", "all", "--base", "bad.sdt", "-o", "x.sdt"}, 3, "bad.sdt"},
        {{"export", "m1.sdt", "-o", "./m1.sdt"}, 3, "./m1.sdt is the input file"},
        {{"upload", "all", "-o", "m1.sdt"}, 3, "m1.sdt exists; use --force to replace it"},
        {{"upload", "all", "--base", "m1.sdt", "-o", "m1.sdt", "--force"}, 3, "input file"},
        {{"export", "m1.sdt", "-o", "fifo", "--force"}, 3, "not a regular file"},
        {{"upload", "all", "-o", "-"}, 1, "not standard output"},
        {{"download", "setup", "old.sdt"}, 1, "KALVEX_R0.1.0"},
        {{"--yes", "download", "setup", "crafted.sdt"}, 1, "use --any-address to write them:\nitem 122: B8176 (tag map: W1092)"},
        {{"--yes", "download", "setup", "w.sdt", "--any-address"}, 1, "item 122: W70000"},
        {{"--yes", "download", "setup", "b.sdt", "--only-changed"}, 1, "item 122: B1401.9"},
        {{"upload", "setup", "--base", "w.sdt", "-o", "x.sdt"}, 1, "item 122: W70000"},
        {{"board", "reset-faults"}, 1, "Target Board will be reinitialized."},
        {{"board", "set-address", "33"}, 1, "Only a Number Between 1 and 32 can be Entered"},
        {{"board", "set-address", "x", "--row", "2"}, 1, "Only a Number Between 1 and 32 can be Entered"},
        {{"board", "set-clock", "--now", "5 Jan 2005"}, 1, "--now must be an ISO 8601 date and time"},
        {{"board", "status", "--ovp", "missing.ovp"}, 3, "missing.ovp: no such file"},
        {{"board", "set-clock"}, 1, "--ovp FILE is required: the program file says whether the board has clock"},
        {{"board", "set-address", "5", "--row", "2"}, 1, "--ovp FILE is required"},
        {{"board", "set-clock", "--ovp", "P9100.ovp"}, 1, "has no clock"},
        {{"board", "set-address", "5", "--row", "2", "--ovp", "P9100.ovp"}, 1, "has no network"},
        {{"board", "status", "--ovp", "FIFO.ovp"}, 3, "FIFO.rev\" is not a regular file"},
        {{"pls", "setpoint", "256", "1", "2"}, 1, "CHAN must be a whole number from 0 to 255"},
        {{"pls", "pulse", "1", "ten", "20", "0"}, 1, "ON must be a whole number"},
        {{"pls", "recall"}, 1, "CHAN is required"},
        {{"pls", "setpoint", "3", "100", "200", "wipe"}, 1, "wipe"},
        {{"download", "setup", "m1.sdt"}, 1, "You are about to Download Data to the PLC"},
        {{"download", "setup", "m1.sdt", "--only-changed"}, 1, "You are about to Download Data to the PLC"},
        // clang-format on
    };
    for (const auto& [args, code, says] : cases) {
        SCOPED_TRACE(qPrintable(args.join(' ')));
        const qint64 before = received();
        expectFailure(cli(args, !args.contains("--simulate") && !args.contains("--device")), code,
                      says);
        EXPECT_EQ(received(), before);
    }
    // The PLS's own range check answers this one; still nothing is programmed.
    expectFailure(cli({"pls", "setpoint", "3", "360", "20"}), 1,
                  "Setpoint setting 360 is greater than scale factor.");
    server.withBoard([](sim::Board& b) { EXPECT_EQ(b.pls().writes, 0); });
    EXPECT_TRUE(writes().empty());
    EXPECT_FALSE(QFile::exists(path("x.sdt")) || QFile::exists(path("x.txt")));
    EXPECT_EQ(contents(path("m1.sdt")), m1);
    EXPECT_EQ(contents(path("Q.hex")), "old");

    EXPECT_EQ(cli({"upload", "setup", "-o", "m1.sdt", "--force"}).code, 0);
    EXPECT_EQ(cli({"--yes", "download", "setup", "old.sdt"}).code, 0);
    EXPECT_EQ(boardValue("W1092"), 720);
    EXPECT_EQ(cli({"--yes", "download", "setup", "crafted.sdt", "--any-address"}).code, 0);
    EXPECT_EQ(boardValue("B8176"), 5);
}

// A silent board is tried --retries more times; a failed item is saved only with --partial.
TEST_F(Cli, FailedRequestsExitTwoAndSayWhy) {
    const QString box = "kalvex-cli: WARNING - Communication Error!: Cannot Communicate with "
                        "Target Board.\nVerify RS-232 Cable is Connected Between\nCOMM Port "
                        "and PROG Port.";
    const QString port = "target board on " + server.slavePath() + " (9600 baud)";
    const auto silent = [](sim::Board& b) { b.faults().silent = true; };
    const auto echo6 = [](sim::Board& b) { b.faults().wrongEchoAt = {b.receivedCount() + 6}; };
    const QString item = "item 122 (W1092): wrong echo", box2 = "Error Processing Request";
    // A wrong echo on the first address high byte lands a stray 0xFF there (item 0: B1023).
    const auto stray = [](const char* cell) {
        return [cell](sim::Board& b) {
            b.setValue(QLatin1String(cell), 7);
            b.faults().wrongEchoAt = {b.receivedCount() + 4};
        };
    };
    setBoard("W1092", 650);
    save("keep.sdt", state.gDefaultData);
    const QByteArray kept = contents(path("keep.sdt"));
    // Arguments, the board's fault, what stderr says, and how many times the box text.
    const std::tuple<QStringList, std::function<void(sim::Board&)>, QStringList, int> cases[] = {
        // Attention and mode handshake, then the address at byte 4; a write's second try at 9.
        // clang-format off
        {{"read", "W112"}, [](sim::Board& b) { b.faults().wrongEchoAt = {b.receivedCount() + 4}; }, {"read W112 failed: wrong echo from the board"}, 0},
        {{"write", "W300", "4660"}, [](sim::Board& b) { b.faults().wrongEchoAt = {b.receivedCount() + 4, b.receivedCount() + 9}; }, {"write W300 failed: wrong echo from the board"}, 0},
        {{"--retries", "1", "read", "W112"}, silent, {"Cannot Communicate with Target Board.", port, "ports --probe"}, 2},
        {{"board", "status"}, silent, {"Cannot Communicate with Target Board."}, 1},
        {{"-q", "read", "W112"}, silent, {"Cannot Communicate with Target Board."}, 1},
        {{"pls", "clear", "1"}, [](sim::Board& b) { b.pls().neverReady = true; }, {"Cannot Determine PLS READY Mode Within Target Board."}, 0},
        // Attention, mode handshake, item 0, then W1092 at byte 6.
        {{"upload", "setup", "-o", "keep.sdt", "--force"}, echo6, {item, box2}, 0},
        {{"upload", "setup", "-o", "partial.sdt", "--partial"}, echo6, {item, box2}, 0},
        {{"upload", "setup", "-o", "keep.sdt", "--force"}, [](sim::Board& b) { b.faults().silentAfter = b.receivedCount() + 40; }, {"no answer", box2}, 1},
        {{"--yes", "download", "setup", "keep.sdt"}, stray("B1023"), {"It may have landed on B1023", "outside the items written read 255"}, 0},
        {{"--yes", "download", "setup", "keep.sdt", "--verify"}, stray("B1023"), {"items read back as written, but these bytes outside the items written read 255"}, 0},
        {{"board", "reset-faults", "--yes"}, stray("B8191"), {"B8191", "now read 255"}, 0},
        // clang-format on
    };
    for (const auto& [args, fault, says, boxes] : cases) {
        SCOPED_TRACE(qPrintable(args.join(' ')));
        server.withBoard([&](sim::Board& b) {
            b.faults() = {};
            fault(b);
        });
        const CliRun r = cli(args);
        for (const QString& part : says)
            expectFailure(r, 2, part);
        EXPECT_EQ(r.err.count(box), boxes) << qPrintable(r.err);
    }
    EXPECT_EQ(contents(path("keep.sdt")), kept);
    // The default: the failed read stored nothing (value() throws when there is no file).
    EXPECT_EQ(readSetupFile(path("partial.sdt"), nullptr).value().Value[122], 600);
}

// Exit 3 naming the cause and the place; an output replaced with --force keeps its earlier text.
TEST_F(Cli, PortFileAndServerProblemsSayWhatAndWhere) {
    write(path("tty"), "a regular file"); // a relative name is this folder's file, not /dev/tty
    write(path("support"), "x");          // so RSPort.cfg, written without --device, cannot be
    save("n0.sdt", state.gDefaultData);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path())); // else the report's Qt warns
    const QString dev = server.slavePath(), n0 = path("n0.sdt");
    const QString closed = QString::number(test::Ser2net::freePort());
    // Arguments, a file size limit, what stderr names.
    const std::tuple<QStringList, rlim_t, QStringList> cases[] = {
        // clang-format off
        {{"info"}, 0, {path("support/RSPort.cfg")}},
        {{"--device", "tty", "info"}, 0, {path("tty") + " is not a serial port"}},
        {{"--device", "./tty", "info"}, 0, {path("tty") + " is not a serial port"}},
        {{"--device", "kalvex-missing", "info"}, 0, {"/dev/kalvex-missing does not exist"}},
        {{"sim", "--timeline", file("bad.timeline", "at 0s alarm 3 on\n\nat 1s alarm 3 of\n")}, 0, {"bad.timeline: line 3: cannot use \"alarm 3 of\""}}, // no simulator started
        {{"--device", dev, "info"}, 8, {"cannot be written: File too large"}}, // QSerialPort's lock file
        {{"--device", "rfc2217://127.0.0.1:" + closed, "info"}, 0, {"127.0.0.1 port " + closed + " cannot be reached", "refused"}},
        {{"export", n0, "--force", "-o", path("shift.txt")}, 100, {path("shift.txt") + "\": File too large"}},
        {{"--device", dev, "upload", "setup", "--base", n0, "--force", "-o", path("backup.sdt")}, 100, {path("backup.sdt") + "\": File too large"}},
        {{"report", n0, "--force", "-o", path("report.pdf")}, 100, {path("report.pdf") + "\": File too large"}},
        // clang-format on
    };
    for (const auto& [args, sizeLimit, says] : cases) {
        SCOPED_TRACE(qPrintable(args.join(' ')));
        const QString output = args.contains("-o") ? args.last() : QString();
        if (!output.isEmpty()) write(output, "earlier");
        std::optional<test::FileSizeLimit> limit;
        if (sizeLimit > 0) limit.emplace(sizeLimit, false);
        const CliRun r = cli(args, false);
        limit.reset();
        for (const QString& part : says)
            expectFailure(r, 3, part);
        EXPECT_FALSE(r.err.contains("Options >") || r.err.contains("ModemManager"));
        EXPECT_TRUE(output.isEmpty() || contents(output) == "earlier") << qPrintable(output);
    }

    QProcess sim;
    sim.start(KALVEX_CLI, {"sim", "--state", file("board.state", "W300 = 777\n"), "--timeline",
                           file("demo.timeline", "at 0ms alarm 3 on\n")});
    ASSERT_TRUE(sim.waitForReadyRead(10000));
    const QString device = QString::fromUtf8(sim.readLine()).trimmed();
    expectOutput(cli({"--device", device, "read", "W300", "W98"}, false), "777\n8\n");
    sim.terminate();
    EXPECT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 0);
}

// Through real ser2net (RFC 2217) in front of the board's pseudo-terminal. The direct run comes
// first: ser2net, once it opened the line, may hold it and drop replies.
TEST_F(Cli, UploadThroughADeviceServerGivesTheSameFileAsTheDirectLine) {
    setBoard("W1092", 0xFF7F);
    setBoard("B3250", 0xFF);
    const test::CliRun direct = cli({"upload", "all", "-o", path("direct.sdt")});
    ASSERT_EQ(direct.code, 0) << qPrintable(direct.err);
    test::Ser2net ser2net;
    QString error;
    ASSERT_TRUE(ser2net.start(server.slavePath(), true, &error)) << qPrintable(error);
    const test::CliRun network =
        cli({"--device", ser2net.url(), "upload", "all", "-o", path("network.sdt")}, false);
    ASSERT_EQ(network.code, 0) << qPrintable(network.err);
    EXPECT_EQ(contents(path("network.sdt")), contents(path("direct.sdt")));
}

// In a network namespace with loopback down, nothing leaves this machine.
TEST_F(Cli, AServerThatCannotBeReachedIsNamedWithTheReason) {
    if (QProcess::execute("unshare", {"-n", "true"}) != 0) GTEST_SKIP() << "unshare -n not allowed";
    for (const auto& [device, place, reason] :
         {std::tuple("socket://no-such-host.invalid:4001", "no-such-host.invalid port 4001",
                     "unknown host"),
          {"rfc2217://127.0.0.1:4001", "127.0.0.1 port 4001", "unreachable"}}) {
        QProcess p;
        p.start("unshare",
                {"-n", KALVEX_CLI, "--home", home.path(), "--device", device, "read", "W112"});
        ASSERT_TRUE(p.waitForFinished(30000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_EQ(p.exitCode(), 3) << qPrintable(err);
        EXPECT_TRUE(err.contains(place) && err.contains(reason)) << qPrintable(err);
    }
}

// Help sends nothing; stderr holds only the notes asked for.
TEST_F(Cli, HelpAndQuietAndVerboseNotes) {
    const QStringList upload{"upload", "all", "-o", "up.sdt", "--force"};
    // Arguments, what stdout holds, all of stderr.
    const std::tuple<QStringList, QStringList, const char*> cases[] = {
        // clang-format off
        {{"--help"}, {"read", "write", "upload", "--device", "--force", "Exit codes", "4 diff", "130/143"}, "^$"},
        {{"help"}, {"Usage: kalvex-cli [OPTIONS] SUBCOMMAND"}, "^$"},
        {{"help", "write"}, {"Usage: kalvex-cli write [OPTIONS] ADDR VALUE", "Example: "}, "^$"},
        {{"pls", "setpoint", "--help"}, {"Usage: kalvex-cli pls setpoint [OPTIONS] CHAN ON OFF"}, "^$"},
        {upload, {}, "^$"},
        {QStringList{"--quiet"} + upload, {}, "^$"},
        {QStringList{"-v"} + upload, {}, "^kalvex-cli: online with the target board on /dev/\\S+ \\(9600 baud\\)\n"
                                         "kalvex-cli: transfer: 1747 of 1747 steps in [0-9.]+ s\n$"},
        // clang-format on
    };
    for (const auto& [args, says, err] : cases) {
        SCOPED_TRACE(qPrintable(args.join(' ')));
        const qint64 before = received();
        const CliRun r = cli(args);
        EXPECT_EQ(r.code, 0);
        for (const QString& word : says)
            EXPECT_TRUE(has(r.out, word));
        EXPECT_FALSE(has(r.out, "kalvex-cli kalvex-cli"));
        EXPECT_TRUE(QRegularExpression(err).match(r.err).hasMatch()) << qPrintable(r.err);
        EXPECT_EQ(received() == before, !says.isEmpty());
    }
}

// One set keeps the rest of --base; every item's value and place: TransferByCode.
TEST_F(Cli, SetupFilesUploadedDownloadedExportedAndDumped) {
    setBoard("W1092", 650);
    setBoard("B3250", 7);
    ASSERT_EQ(cli({"upload", "all", "-o", path("backup.sdt")}).code, 0);
    const SetupData saved = readSetupFile(path("backup.sdt"), nullptr).value();
    EXPECT_EQ(saved.Version, "KALVEX_R" KALVEX_VERSION);
    EXPECT_EQ(std::pair(saved.Value[122], saved.Value[224]), std::pair(650, 7));
    setBoard("W1092", 611);
    setBoard("B3250", 9);
    const CliRun labels = cli(
        {"upload", "labels", "--base", path("backup.sdt"), "-o", path("out.sdt"), "--labels=5-3"});
    ASSERT_EQ(labels.code, 0) << qPrintable(labels.err);
    const SetupData out = readSetupFile(path("out.sdt"), nullptr).value();
    EXPECT_EQ(std::tuple(out.Value[122], out.Value[224], out.Value[144]), std::tuple(650, 9, 0));
    save("d.sdt", withValues({{122, 700}, {1746, 33}}));
    const CliRun verified = cli({"download", "--yes", "setup", path("d.sdt"), "--verify"});
    ASSERT_EQ(verified.code, 0) << qPrintable(verified.err);
    EXPECT_TRUE(has(verified.err, "25 items read back: the board holds them."));
    save("d.sdt", withValues({{122, -5}, {123, 77}}));
    const CliRun refused = cli({"download", "--yes", "setup", path("d.sdt")});
    expectFailure(refused, 2, "item 122 (W1092): refused");
    EXPECT_TRUE(has(refused.err, "24 of 25 items written"));
    EXPECT_EQ(boardValue("W1094"), 77);
    const SetupData shift = withValues({{37, 5555}, {1746, -9}});
    save("shift.sdt", shift);
    ASSERT_EQ(cli({"export", path("shift.sdt"), "-o", path("shift.txt")}, false).code, 0);
    const QByteArray got = contents(path("shift.txt"));
    const QByteArray dated = got.split('\n').value(1).trimmed(); // "Date: " and the time now
    EXPECT_TRUE(dated.startsWith("Date: ") && dated.size() > 10) << dated.constData();
    EXPECT_EQ(got, shiftExportText(shift, "shift.sdt", QString::fromLatin1(dated.mid(6))));
    CliRun r = cli({"export", path("shift.sdt"), "-o", "-"}, false);
    EXPECT_EQ(r.out.toLatin1().split('\n').mid(2), got.split('\n').mid(2));
    EXPECT_FALSE(QFile::exists(path("-")));

    r = cli({"dump", path("shift.sdt")}, false);
    EXPECT_EQ(std::pair(r.code, r.out.count(u'\n')), std::pair(0, qsizetype(1 + 1747)))
        << qPrintable(r.err);
    EXPECT_TRUE(r.out.startsWith(state.gProgramVersion + "\n0\tB1011\t0\n"));
    EXPECT_TRUE(r.out.endsWith("\n1746\tB1411\t-9\n"));
}

const QString kThreeLines = "122\tW1092\tCanfeed Enable Low Speed\t601\t600\n"
                            "131\tB1003\tNumber of Cans to Blow-off for Each Misload\t2\t1\n"
                            "1745\tB1450\tDF1 gateway PLC node number\t2\t1\n";

// Against the default set-up items on the board, --only-changed writes the three, then none.
TEST_F(Cli, DiffListsWhatDownloadOnlyChangedWrites) {
    save("a.sdt", withValues({{122, 601}, {131, 2}, {1745, 2}}));
    save("b.sdt", state.gDefaultData);
    save("c.sdt", withValues({{kFirstLabelItem + 5 * kItemsPerLabel, 9}}));
    const auto diff = [this](const QStringList& args) {
        return cli(QStringList{"--device", path("no-such-port"), "diff"} + args, false);
    };
    expectOutput(diff({"a.sdt", "b.sdt"}), kThreeLines, 4);
    expectOutput(diff({"a.sdt", "a.sdt"}), "");
    EXPECT_EQ(diff({"a.sdt", "missing.sdt"}).code, 3);
    EXPECT_EQ(diff({"a.sdt", "b.sdt", "--set", "shift"}).code, 0);  // the set limits the items
    EXPECT_EQ(diff({"c.sdt", "b.sdt", "--labels", "6-7"}).code, 0); // so does --labels
    expectOutput(diff({"c.sdt", "b.sdt", "--labels", "5"}),
                 "224\tB3250\tLabel 5, ductor 1 ON\t9\t0\n", 4);

    resetSetupItems();
    const auto downloadChanged = [this] {
        return cli({"--yes", "download", "setup", "a.sdt", "--only-changed", "--verify"});
    };
    expectOutput(cli({"diff", "a.sdt", "--set", "setup"}), kThreeLines, 4);
    EXPECT_TRUE(writes().empty());
    const qint64 start = received();
    EXPECT_EQ(downloadChanged().code, 0);
    const qint64 length = received() - start;
    EXPECT_EQ(writes(), (Writes{{1092, 89}, {1093, 2}, {1003, 2}, {1450, 2}}));
    server.withBoard([](sim::Board& b) { b.clearTranscript(); });
    EXPECT_EQ(downloadChanged().code, 0);
    EXPECT_TRUE(writes().empty());

    resetSetupItems();
    server.withBoard(
        [&](sim::Board& b) { b.faults().wrongEchoAt = {b.receivedCount() + length - 1}; });
    expectFailure(downloadChanged(), 2, "Verification failed");
}

TEST_F(Cli, InfoBoardStatusResetClockAndAddress) {
    setBoard("B8176", 10);
    setBoard("B8177", 0x5C);
    setBoard("B8179", 3);
    QDir(home.path()).mkpath("support");
    file("support/FaultErrCodes.txt", "5c,Program is invalid.\r\n");
    file("LINE1.rev", "AB\r\n");
    CliRun r = cli({"board", "status", "--ovp", file("LINE1.ovp", "A\r\n")});
    expectOutput(
        r, "Current Fault: Code = 0AH\n"
           "    Fault Code (0AH): no text installed for this code\n"
           "Last Fault: Code = 5CH\n"
           "    Program is invalid.\n"
           "CO-CPU Slot: 0\n"
           "Corrective Action: Program is invalid.  Re-dump program to target board.  "
           "If fault persists, verify cable connections between computer and target "
           "board.  If fault persists, replace target board.\n"
           "Current Comm Error: Code = 03H\n"
           "    Comm Error Code (03H): no text installed (support/CommErrCodes.txt not found)\n"
           "Last Comm Error: Code = 00H\n"
           "In Target Board: Name KVX91D07, Revision 7, Checksum 167\n"
           "Network Address 1: 1\n"
           "On Disk: Name -, Revision 0, Checksum 0, Target Board Q7610, Rev Date -\n");
    // A sticky fault is shown after the reset.
    server.withBoard([](sim::Board& b) { b.faults().stickyFault = 10; });
    r = cli({"board", "reset-faults", "--yes"});
    EXPECT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(writes().size(), 4u);
    EXPECT_TRUE(
        r.out.startsWith("Faults reset; the board now shows:\nCurrent Fault: Code = 0AH\n"));
    server.withBoard([](sim::Board& b) { b.clearTranscript(); });
    const QString ovp = file("Q7610.ovp", "A\r\n");
    EXPECT_EQ(cli({"board", "set-clock", "--now", "2005-01-05T10:20:30", "--ovp", ovp}).code, 0);
    EXPECT_EQ(cli({"board", "set-address", "5", "--row", "2", "--ovp", ovp}).code, 0);
    EXPECT_EQ(
        writes(),
        (Writes{
            {43012, 10}, {43010, 20}, {43008, 30}, {43016, 1}, {43015, 5}, {43017, 5}, {8191, 5}}));
    r = cli({"--simulate", "--state",
             file("board.state", "B8159 = 17\nB8176 = 92\nspindles = 36\n"), "info"},
            false);
    EXPECT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_TRUE(
        has(r.out, "Firmware revision: 17\nFault code: Fault Code (5CH): Program is invalid."));
    EXPECT_TRUE(r.out.endsWith("\nSpindles: 36\n")) << qPrintable(r.out);
    EXPECT_FALSE(QFile::exists(path("support/RSPort.cfg"))); // the simulator needs none
    // A fault text file that is a link to a device gives the code without a text.
    ASSERT_TRUE(QFile::remove(path("support/FaultErrCodes.txt")));
    ASSERT_TRUE(QFile::link("/dev/zero", path("support/FaultErrCodes.txt")));
    r = cli({"info"});
    EXPECT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_TRUE(has(r.out, "Fault code: Fault Code (0AH): \n")); // the sticky fault
}

TEST_F(Cli, PlsCommandsProgramThePlsAndPrintWhatItHolds) {
    expectOutput(cli({"pls"}), "Scale factor: 360\nOffset: 10\nPosition: 100\nSpeed: 0 rpm\n");
    for (const QStringList& args : {QStringList{"setpoint", "3", "100", "200", "clear"},
                                    {"pulse", "4", "10", "20", "5"},
                                    {"offset", "0"},
                                    {"setpoint", "6", "1", "2"},
                                    {"clear", "6"}})
        ASSERT_EQ(cli(QStringList{"pls"} + args).code, 0) << qPrintable(args.join(' '));
    server.withBoard([](sim::Board& b) {
        const auto fields = [&](int i) {
            const sim::PlsChannel& c = b.pls().channels()[size_t(i)];
            return std::tuple(c.kind, c.first, c.second, c.onDivs, c.offDivs);
        };
        EXPECT_EQ(fields(3), std::tuple(Kind::Setpoint, 100, 200, 0, 0));
        EXPECT_EQ(fields(4), std::tuple(Kind::PulseTrain, 5, 0, 10, 20));
        EXPECT_EQ(fields(6), std::tuple(Kind::Cleared, 0, 0, 0, 0));
        EXPECT_EQ(std::pair(b.pls().offset(), b.pls().position()), std::pair(110, 0));
        EXPECT_EQ(b.pls().writes, 6); // "clear" cleared channel 3 before its setpoint
    });
    expectOutput(cli({"pls", "recall", "3"}), "State: 0\nPosition: 100\n");
    QStringList download{"pls", "download-config", "4660"};
    for (int i = 0; i < 24; ++i)
        download << QString::number(i * 10);
    EXPECT_EQ(cli(download).code, 0);
    expectOutput(cli({"pls", "upload-config"}),
                 "0 10 20 30 40 50 60 70 80 90 100 110 120 130 140 150 160 52 18\n");
}

TEST_F(Cli, ProgramsCheckedDownloadedAndUploadedIdentical) {
    const QByteArray one = ":104000000102030405060708090A0B0C0D0E0F1028\r\n:00000001FF\r\n";
    expectOutput(
        cli({"program", "check", writeProgram("P", "D", one)}, false),
        "Board type: D\nBoard: P9100(PLC)\nIdent: ABC\nRevision: 5\nChecksum: 175\nValid: yes\n");
    const std::tuple<QString, int, const char*> cases[] = {
        {writeProgram("Pls", "E", one), 1, "is a PLS target board program."},
        {writeProgram("Short", "D", ":1040000001\r\n"), 1, "Line 1:"},
        {path("None.ovp"), 3, "does not exist"},
        {writeProgram("NoHex", "D", {}), 3, "NoHex.hex File Does Not Exist."},
    };
    for (const auto& [ovp, code, says] : cases) {
        const CliRun r = cli({"program", "check", ovp}, false);
        EXPECT_EQ(r.code, code) << says;
        EXPECT_TRUE(has(r.err, says));
    }
    const QByteArray hex = records(0x2000, 0x2000);
    const QString ovp = writeProgram("P", "4", hex);
    expectFailure(cli({"program", "download", ovp}), 1,
                  "Program Download - [ABC]: Program to be loaded");
    server.withBoard(
        [](sim::Board& b) { EXPECT_TRUE(b.writes().empty() && b.programLog().empty()); });
    const CliRun down = cli({"program", "--yes", "download", ovp});
    ASSERT_EQ(down.code, 0) << qPrintable(down.err);
    EXPECT_TRUE(has(down.err, "Program Download Complete!"));
    file("Q.hex", "old"); // the set the board's program replaces
    const CliRun up = cli({"program", "upload", "--force", file("Q.ovp", "4")});
    ASSERT_EQ(up.code, 0) << qPrintable(up.err);
    EXPECT_TRUE(contents(path("Q.hex")) == hex);
}

TEST_F(Cli, AStopSignalEndsATransferBetweenItemsOrRecords) {
    save("all.sdt", state.gDefaultData);
    const QString ovp = writeProgram("P", "D", records(0x4000, 0x8000)), q = file("Q.ovp", "D");
    server.withBoard([](sim::Board& b) { b.faults().replyDelayUs = 400; });
    const std::tuple<int, QStringList, qint64, const char*> cases[] = {
        // clang-format off
        {SIGINT, {"--yes", "download", "all", path("all.sdt")}, 400, "kalvex-cli: interrupted: (\\d+) of 1747 items written"},
        {SIGTERM, {"upload", "all", "-o", path("up.sdt")}, 400, "kalvex-cli: interrupted: \\d+ of 1747 items read"},
        {SIGINT, {"program", "download", "--yes", ovp}, 2000, "The board holds a partial program: download it again before running the machine."},
        {SIGTERM, {"program", "upload", q}, 2000, "No file was written"},
        // clang-format on
    };
    for (const auto& [signal, args, after, says] : cases) {
        SCOPED_TRACE(qPrintable(args.join(' ')));
        server.withBoard([](sim::Board& b) { b.clearTranscript(); });
        const CliRun r = stopWith(signal, args, after);
        EXPECT_EQ(r.code, 128 + signal);
        const QRegularExpressionMatch m = QRegularExpression(says).match(r.err);
        ASSERT_TRUE(m.hasMatch()) << qPrintable(r.err);
        size_t bytes = 0; // of the first items, when a data download was stopped
        for (int i = 0; i < m.captured(1).toInt(); ++i)
            bytes += size_t(parseAddress(state.gDefaultData.Address[size_t(i)]).byteCount());
        server.withBoard([&](sim::Board& b) {
            for (const sim::MemoryWrite& w : b.writes())
                EXPECT_FALSE(w.address >= 61424 && w.address <= 61433) << w.address;
            if (args.contains(path("all.sdt"))) {
                EXPECT_EQ(b.writes().size(), bytes);
            }
            if (!args.contains(ovp) || signal != SIGINT) return;
            EXPECT_GT(b.programLog().size(), 10u);
            EXPECT_LT(b.programLog().size(), 2048u);
            // The exit byte's acknowledgement, then the closing attention's.
            EXPECT_TRUE(b.bytesToPc().endsWith("\x55\x55"))
                << b.bytesToPc().right(4).toHex().data();
        });
    }
    EXPECT_EQ(boardValue("B61424"), 'K');
    for (const char* name : {"up.sdt", "Q.hex", "Q.rev"})
        EXPECT_FALSE(QFile::exists(path(name))) << name;
}

} // namespace
