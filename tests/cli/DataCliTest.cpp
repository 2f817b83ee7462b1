#include "CliBoard.h"
#include "data/AppState.h"
#include "data/SetupFile.h"
#include "data/ShiftExport.h"
#include "data/TagMap.h"
#include "link/Address.h"

#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace kalvex;

namespace {

using test::CliRun;

class DataCli : public test::CliBoard {
  protected:
    void save(const char* name, const SetupData& d) {
        ASSERT_TRUE(writeSetupFile(path(name), d, nullptr));
    }
    AppState state;
};

TEST_F(DataCli, BackupAndRestoreEveryItem) {
    setBoard("W1092", 650);
    setBoard("B3250", 7);
    setBoard("D1100", 4321);
    setBoard("W686", 12);
    const CliRun up = cli({"upload", "all", "-o", path("backup.sdt")});
    ASSERT_EQ(up.code, 0) << qPrintable(up.err);
    const auto saved = readSetupFile(path("backup.sdt"), nullptr);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->Version, state.gProgramVersion);
    EXPECT_EQ(saved->Address, state.gDefaultData.Address);
    EXPECT_EQ(saved->Value[122], 650);
    EXPECT_EQ(saved->Value[144 + 16 * 5], 7);
    EXPECT_EQ(saved->Value[37], 4321);
    EXPECT_EQ(saved->Value[143], 12);

    for (const char* add : {"W1092", "B3250", "D1100", "W686"})
        setBoard(add, 1);
    const CliRun down = cli({"download", "all", path("backup.sdt"), "--yes"});
    ASSERT_EQ(down.code, 0) << qPrintable(down.err);
    EXPECT_EQ(boardValue("W1092"), 650);
    EXPECT_EQ(boardValue("B3250"), 7);
    EXPECT_EQ(boardValue("D1100"), 4321);
    EXPECT_EQ(boardValue("W686"), 12);
}

TEST_F(DataCli, UploadOfOneSetKeepsTheRestOfTheBase) {
    SetupData base = state.gDefaultData;
    base.Value[122] = 611;
    save("base.sdt", base);
    setBoard("W1092", 650);
    setBoard("B3250", 9);
    setBoard("B3100", 8);
    const CliRun r = cli(
        {"upload", "labels", "--base", path("base.sdt"), "-o", path("out.sdt"), "--labels=5-3"});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    const auto out = readSetupFile(path("out.sdt"), nullptr);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->Value[122], 611); // not in the set: from the base
    EXPECT_EQ(out->Value[224], 9);   // label 5, ductor 1
    EXPECT_EQ(out->Value[144], 0);   // label 0 was not uploaded
}

// A download asks first; without --yes it prints the question and sends nothing at all.
TEST_F(DataCli, DownloadNeedsYesAndLeavesOtherItemsAlone) {
    SetupData d = state.gDefaultData;
    d.Value[122] = 700;
    d.Value[1746] = 33;
    d.Value[152] = 444;
    save("d.sdt", d);
    const qint64 before = received();
    const CliRun no = cli({"download", "setup", path("d.sdt")});
    EXPECT_EQ(no.code, 1);
    EXPECT_TRUE(no.err.contains("You are about to Download Data to the PLC")) << qPrintable(no.err);
    EXPECT_EQ(received(), before);
    const CliRun r = cli({"download", "--yes", "setup", path("d.sdt")});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(boardValue("W1092"), 700);
    EXPECT_EQ(boardValue("B1411"), 33);
    EXPECT_EQ(boardValue("W3110"), 350);
    // A value the link refuses is named with its address; the rest still goes.
    d.Value[122] = -5;
    d.Value[123] = 77;
    save("d.sdt", d);
    const CliRun refused = cli({"download", "--yes", "setup", path("d.sdt")});
    EXPECT_EQ(refused.code, 2);
    EXPECT_TRUE(refused.err.contains("item 122 (W1092): refused")) << qPrintable(refused.err);
    EXPECT_TRUE(refused.err.contains("24 of 25 items written")) << qPrintable(refused.err);
    EXPECT_EQ(boardValue("W1092"), 700);
}

TEST_F(DataCli, ExportWritesTheShiftTextOfAFile) {
    SetupData d = state.gDefaultData;
    d.Value[37] = 5555;
    d.Value[120] = -3;
    save("shift.sdt", d);
    const CliRun r = cli({"export", path("shift.sdt"), "-o", path("shift.txt")}, false);
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    QList<QByteArray> got = contents(path("shift.txt")).split('\n');
    QList<QByteArray> want = shiftExportText(d, QStringLiteral("shift.sdt"), {}).split('\n');
    ASSERT_EQ(got.size(), want.size());
    EXPECT_TRUE(got[1].startsWith("Date: ") && got[1].size() > 10) << got[1].constData();
    got.removeAt(1);
    want.removeAt(1);
    EXPECT_EQ(got, want);
}

TEST_F(DataCli, DumpListsEveryItem) {
    SetupData d = state.gDefaultData;
    d.Value[1746] = -9;
    save("d.sdt", d);
    const CliRun r = cli({"dump", path("d.sdt")}, false);
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 1747);
    EXPECT_EQ(lines[0], state.gProgramVersion);
    EXPECT_EQ(lines[1], "0\tB1011\t0");
    EXPECT_EQ(lines[1747], "1746\tB1411\t-9");
}

// Outputs: an existing file only with --force, never the input, never a device or FIFO.
TEST_F(DataCli, RefusedArgumentsAndFiles) {
    write(path("bad.sdt"), QByteArray::fromHex("0100410100ffffff7f00000000"));
    save("m1.sdt", state.gDefaultData);
    const QByteArray m1 = contents(path("m1.sdt"));
    ASSERT_EQ(mkfifo(qPrintable(path("fifo")), 0600), 0);
    struct Case {
        QStringList args;
        int code;
        const char* says;
    };
    const Case cases[] = {
        {{"upload", "most", "-o", "x.sdt"}, 1, "most"},
        {{"upload", "all"}, 1, "--output is required"},
        {{"upload", "setup", "--labels", "1-2", "-o", "x.sdt"}, 1, "labels set only"},
        {{"upload", "labels", "--labels", "a-b", "-o", "x.sdt"}, 1, "FIRST-LAST"},
        {{"download", "all"}, 1, "FILE is required"},
        {{"--yes", "download", "all", "missing.sdt"}, 3, "missing.sdt"},
        {{"--yes", "download", "all", "bad.sdt"}, 3, "claims"},
        {{"dump", "bad.sdt"}, 3, "bad.sdt"},
        {{"export", "bad.sdt", "-o", "x.txt"}, 3, "bad.sdt"},
        {{"upload", "all", "--base", "bad.sdt", "-o", "x.sdt"}, 3, "bad.sdt"},
        {{"export", "m1.sdt", "-o", "m1.sdt", "--force"}, 3, "m1.sdt is the input file"},
        {{"export", "m1.sdt", "-o", "./m1.sdt"}, 3, "is the input file"},
        {{"upload", "all", "-o", "m1.sdt"}, 3, "m1.sdt exists; use --force to replace it"},
        {{"upload", "all", "--base", "m1.sdt", "-o", "m1.sdt", "--force"}, 3, "input file"},
        {{"upload", "all", "-o", "/dev/null", "--force"}, 3, "not a regular file"},
        {{"export", "m1.sdt", "-o", "fifo", "--force"}, 3, "not a regular file"},
    };
    for (const Case& c : cases) {
        const qint64 before = received();
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.code, c.code) << qPrintable(c.args.join(' ')) << qPrintable(r.err);
        EXPECT_TRUE(r.err.contains(QLatin1String(c.says))) << qPrintable(r.err);
        EXPECT_TRUE(r.err.startsWith("kalvex-cli: ")) << qPrintable(r.err);
        EXPECT_EQ(received(), before) << qPrintable(c.args.join(' '));
    }
    EXPECT_FALSE(QFile::exists(path("x.sdt")));
    EXPECT_FALSE(QFile::exists(path("x.txt")));
    EXPECT_EQ(contents(path("m1.sdt")), m1);
    EXPECT_EQ(cli({"upload", "setup", "-o", "m1.sdt", "--force"}).code, 0);
}

TEST_F(DataCli, AFileOfAnotherVersionNeedsYes) {
    SetupData d = state.gDefaultData;
    d.Version = QStringLiteral("KALVEX_R0.1.0");
    d.Value[122] = 720;
    save("old.sdt", d);
    const CliRun no = cli({"download", "setup", path("old.sdt")});
    EXPECT_EQ(no.code, 1);
    EXPECT_TRUE(no.err.contains("KALVEX_R0.1.0")) << qPrintable(no.err);
    EXPECT_EQ(boardValue("W1092"), 600);
    const CliRun yes = cli({"--yes", "download", "setup", path("old.sdt")});
    EXPECT_EQ(yes.code, 0) << qPrintable(yes.err);
    EXPECT_EQ(boardValue("W1092"), 720);
}

// An item that failed is never reported as read: exit 2, the item named, no file unless
// --partial (and then still exit 2).
TEST_F(DataCli, FailedItemsAreNamedAndSaveNothing) {
    save("keep.sdt", state.gDefaultData);
    const QByteArray before = contents(path("keep.sdt"));
    struct Case {
        QStringList extra;
        const char* fault; // on a fresh board: attention, mode handshake, item 0, then W1092
        const char* says;
        bool saved;
    };
    const Case cases[] = {
        {{}, "wrong_echo_at = 6", "item 122 (W1092): wrong echo", false},
        {{"--partial"}, "wrong_echo_at = 6", "item 122 (W1092): wrong echo", true},
        {{}, "silent_after = 40", "no answer", false},
    };
    for (const Case& c : cases) {
        write(path("board.state"), QByteArray("running = 0\nW1092 = 650\n") + c.fault);
        const CliRun r = cli(QStringList{"--simulate", "--state", path("board.state"), "upload",
                                         "setup", "-o", path("keep.sdt"), "--force"} +
                                 c.extra,
                             false);
        EXPECT_EQ(r.code, 2) << qPrintable(r.err);
        EXPECT_TRUE(r.err.contains("Error Processing Request")) << qPrintable(r.err);
        EXPECT_TRUE(r.err.contains(QLatin1String(c.says))) << qPrintable(r.err);
        const auto file = readSetupFile(path("keep.sdt"), nullptr);
        ASSERT_TRUE(file);
        if (c.saved)
            EXPECT_EQ(file->Value[122], 600); // the default: the failed read stored nothing
        else
            EXPECT_EQ(contents(path("keep.sdt")), before);
    }
}

// A file item naming another cell than the tag map is refused unless --any-address.
TEST_F(DataCli, ForeignAddressesNeedAnyAddress) {
    SetupData d = state.gDefaultData;
    d.Address[122] = QStringLiteral("B8176");
    d.Value[122] = 5;
    save("crafted.sdt", d);
    const qint64 before = received();
    const CliRun no = cli({"--yes", "download", "setup", path("crafted.sdt")});
    EXPECT_EQ(no.code, 1);
    EXPECT_TRUE(no.err.contains("item 122: B8176 (tag map: W1092)")) << qPrintable(no.err);
    EXPECT_TRUE(no.err.contains("--any-address")) << qPrintable(no.err);
    EXPECT_EQ(received(), before);
    const CliRun yes = cli({"--yes", "download", "setup", path("crafted.sdt"), "--any-address"});
    EXPECT_EQ(yes.code, 0) << qPrintable(yes.err);
    EXPECT_EQ(boardValue("B8176"), 5);
}

// A file-size limit or a full disk: exit 3, the earlier file whole, no SIGXFSZ death.
TEST_F(DataCli, AFailedWriteLeavesTheEarlierFileWhole) {
    save("n0.sdt", state.gDefaultData);
    write(path("shift.txt"), "earlier");
    save("backup.sdt", state.gDefaultData);
    const QByteArray backup = contents(path("backup.sdt"));
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 100; // the child inherits it; SIGXFSZ keeps its default action
    setrlimit(RLIMIT_FSIZE, &small);
    const CliRun ex = cli({"export", path("n0.sdt"), "-o", path("shift.txt"), "--force"}, false);
    const CliRun up =
        cli({"upload", "setup", "--base", path("n0.sdt"), "-o", path("backup.sdt"), "--force"});
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(ex.code, 3) << qPrintable(ex.err);
    EXPECT_TRUE(ex.err.contains("shift.txt")) << qPrintable(ex.err);
    EXPECT_EQ(contents(path("shift.txt")), "earlier");
    EXPECT_EQ(up.code, 3) << qPrintable(up.err);
    EXPECT_TRUE(up.err.contains("backup.sdt")) << qPrintable(up.err);
    EXPECT_EQ(contents(path("backup.sdt")), backup);
}

// SIGINT or SIGTERM stops a transfer between two items: every value sent whole, the count
// reported, 130 or 143, and an interrupted upload writes no file.
TEST_F(DataCli, AStopSignalEndsTheTransferBetweenItems) {
    save("all.sdt", state.gDefaultData);
    server.withBoard([](sim::Board& b) { b.faults().replyDelayUs = 500; });
    struct Case {
        int signal;
        QStringList args;
        const char* verb;
    };
    const Case cases[] = {
        {SIGINT, {"--yes", "download", "all", path("all.sdt")}, "written"},
        {SIGTERM, {"upload", "all", "-o", path("up.sdt")}, "read"},
    };
    for (const Case& c : cases) {
        server.withBoard([](sim::Board& b) { b.clearTranscript(); });
        QProcess p;
        p.start(QStringLiteral(KALVEX_CLI),
                QStringList{"--home", home.path(), "--device", server.slavePath()} + c.args);
        ASSERT_TRUE(p.waitForStarted());
        const qint64 start = received();
        for (int wait = 0; received() - start < 400 && wait < 500; ++wait)
            QThread::msleep(20);
        ::kill(pid_t(p.processId()), c.signal);
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 128 + c.signal);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        static const QRegularExpression re(
            QStringLiteral("kalvex-cli: interrupted: (\\d+) of 1747 items (\\w+)"));
        const auto m = re.match(err);
        ASSERT_TRUE(m.hasMatch()) << qPrintable(err);
        EXPECT_EQ(m.captured(2), QLatin1String(c.verb));
        if (c.signal == SIGINT) {
            // The bytes written are exactly those of the first N items.
            size_t bytes = 0;
            for (int i = 0; i < m.captured(1).toInt(); ++i)
                bytes += size_t(parseAddress(state.gDefaultData.Address[size_t(i)]).byteCount());
            server.withBoard([&](sim::Board& b) { EXPECT_EQ(b.writes().size(), bytes); });
        }
    }
    EXPECT_FALSE(QFile::exists(path("up.sdt")));
}

} // namespace
