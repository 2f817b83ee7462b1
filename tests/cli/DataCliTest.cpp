#include "CliChecks.h"
#include "data/AppState.h"
#include "data/SetupFile.h"
#include "data/ShiftExport.h"
#include "data/TagMap.h"
#include "link/Address.h"
#include "support/CliBoard.h"

#include <QRegularExpression>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace kalvex;

namespace {

using test::CliRun;
using test::expectFailure;

class DataCli : public test::CliBoard {
  protected:
    void save(const char* name, const SetupData& d) {
        ASSERT_TRUE(writeSetupFile(path(name), d, nullptr));
    }
    SetupData withValues(std::initializer_list<std::pair<int, qint32>> values) const {
        SetupData d = state.gDefaultData;
        for (const auto& [item, value] : values)
            d.Value[size_t(item)] = value;
        return d;
    }
    AppState state;
};

// A backup of All restores every item; an upload of one set keeps the rest of its --base file.
TEST_F(DataCli, BackupAndRestoreEveryItem) {
    const struct {
        const char* address;
        int item;
        qint32 value;
    } items[] = {{"W1092", 122, 650}, {"B3250", 224, 7}, {"D1100", 37, 4321}, {"W686", 143, 12}};
    for (const auto& i : items)
        setBoard(i.address, i.value);
    const CliRun up = cli({"upload", "all", "-o", path("backup.sdt")});
    ASSERT_EQ(up.code, 0) << qPrintable(up.err);
    const auto saved = readSetupFile(path("backup.sdt"), nullptr);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->Version, state.gProgramVersion);
    EXPECT_EQ(saved->Address, state.gDefaultData.Address);
    for (const auto& i : items) {
        EXPECT_EQ(saved->Value[size_t(i.item)], i.value) << i.address;
        setBoard(i.address, 1);
    }
    const CliRun down = cli({"download", "all", path("backup.sdt"), "--yes"});
    ASSERT_EQ(down.code, 0) << qPrintable(down.err);
    for (const auto& i : items)
        EXPECT_EQ(boardValue(i.address), i.value) << i.address;

    setBoard("W1092", 611);
    setBoard("B3250", 9);
    setBoard("B3100", 8);
    const CliRun labels = cli(
        {"upload", "labels", "--base", path("backup.sdt"), "-o", path("out.sdt"), "--labels=5-3"});
    ASSERT_EQ(labels.code, 0) << qPrintable(labels.err);
    const auto out = readSetupFile(path("out.sdt"), nullptr);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->Value[122], 650); // not in the set: from the base
    EXPECT_EQ(out->Value[224], 9);   // label 5, ductor 1
    EXPECT_EQ(out->Value[144], 0);   // label 0 was not uploaded
}

// A download asks first; without --yes it prints the question and sends nothing at all.
TEST_F(DataCli, DownloadNeedsYesAndLeavesOtherItemsAlone) {
    SetupData d = withValues({{122, 700}, {1746, 33}, {152, 444}});
    save("d.sdt", d);
    const qint64 before = received();
    expectFailure(cli({"download", "setup", path("d.sdt")}), 1,
                  "You are about to Download Data to the PLC");
    EXPECT_EQ(received(), before);
    const CliRun r = cli({"download", "--yes", "setup", path("d.sdt"), "--verify"});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains("25 items read back: the board holds them.")) << qPrintable(r.err);
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
    EXPECT_EQ(boardValue("W1094"), 77);
}

// export writes the shift text of a file, dated now; dump lists every item.
TEST_F(DataCli, ExportAndDumpShowAFile) {
    const SetupData d = withValues({{37, 5555}, {120, -3}, {1746, -9}});
    save("shift.sdt", d);
    CliRun r = cli({"export", path("shift.sdt"), "-o", path("shift.txt")}, false);
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    const QByteArray got = contents(path("shift.txt"));
    const QByteArray dated = got.split('\n').value(1).trimmed(); // "Date: " and the time now
    EXPECT_TRUE(dated.startsWith("Date: ") && dated.size() > 10) << dated.constData();
    EXPECT_EQ(got,
              shiftExportText(d, QStringLiteral("shift.sdt"), QString::fromLatin1(dated.mid(6))));

    // "-" is standard output, never a file of that name.
    r = cli({"export", path("shift.sdt"), "-o", "-"}, false);
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out.toLatin1().split('\n').mid(2), got.split('\n').mid(2));
    EXPECT_FALSE(QFile::exists(path("-")));

    r = cli({"dump", path("shift.sdt")}, false);
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
    const struct {
        QStringList args;
        int code;
        const char* says;
    } cases[] = {
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
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.args.join(' ')));
        const qint64 before = received();
        expectFailure(cli(c.args), c.code, c.says);
        EXPECT_EQ(received(), before);
    }
    EXPECT_FALSE(QFile::exists(path("x.sdt")));
    EXPECT_FALSE(QFile::exists(path("x.txt")));
    EXPECT_EQ(contents(path("m1.sdt")), m1);
    EXPECT_EQ(cli({"upload", "setup", "-o", "m1.sdt", "--force"}).code, 0);
}

// A file of another version, or an item naming another cell than the tag map, is refused
// before anything is sent unless --yes or --any-address agrees. An item naming no cell the
// board has is refused whatever the options.
TEST_F(DataCli, QuestionsOfAFileNeedTheirOption) {
    SetupData old = withValues({{122, 720}});
    old.Version = QStringLiteral("KALVEX_R0.1.0");
    save("old.sdt", old);
    SetupData crafted = withValues({{122, 5}});
    crafted.Address[122] = QStringLiteral("B8176");
    save("crafted.sdt", crafted);
    const qint64 before = received();
    expectFailure(cli({"download", "setup", path("old.sdt")}), 1, "KALVEX_R0.1.0");
    const CliRun foreign = cli({"--yes", "download", "setup", path("crafted.sdt")});
    expectFailure(foreign, 1, "item 122: B8176 (tag map: W1092)");
    EXPECT_TRUE(foreign.err.contains("--any-address")) << qPrintable(foreign.err);
    SetupData impossible = state.gDefaultData;
    for (const char* address : {"W70000", "D65534", "B1401.9", "X12"}) {
        impossible.Address[122] = QLatin1String(address);
        save("impossible.sdt", impossible);
        const QString says = QStringLiteral("item 122: %1").arg(address);
        for (const QStringList& args :
             {QStringList{"--yes", "download", "setup", path("impossible.sdt"), "--any-address"},
              {"--yes", "download", "setup", path("impossible.sdt"), "--only-changed"},
              {"upload", "setup", "--base", path("impossible.sdt"), "-o", path("u.sdt")}}) {
            SCOPED_TRACE(qPrintable(args.join(' ')));
            expectFailure(cli(args), 1, qPrintable(says));
        }
    }
    EXPECT_FALSE(QFile::exists(path("u.sdt")));
    EXPECT_EQ(received(), before);

    EXPECT_EQ(cli({"--yes", "download", "setup", path("old.sdt")}).code, 0);
    EXPECT_EQ(boardValue("W1092"), 720);
    EXPECT_EQ(cli({"--yes", "download", "setup", path("crafted.sdt"), "--any-address"}).code, 0);
    EXPECT_EQ(boardValue("B8176"), 5);
}

// An item that failed is never reported as read: exit 2, the item named, no file unless
// --partial (and then still exit 2).
TEST_F(DataCli, FailedItemsAreNamedAndSaveNothing) {
    save("keep.sdt", state.gDefaultData);
    const QByteArray before = contents(path("keep.sdt"));
    const struct {
        QStringList extra;
        const char* fault; // on a fresh board: attention, mode handshake, item 0, then W1092
        const char* says;
        bool saved;
    } cases[] = {
        {{}, "wrong_echo_at = 6", "item 122 (W1092): wrong echo", false},
        {{"--partial"}, "wrong_echo_at = 6", "item 122 (W1092): wrong echo", true},
        {{}, "silent_after = 40", "no answer", false},
    };
    for (const auto& c : cases) {
        write(path("board.state"), QByteArray("running = 0\nW1092 = 650\n") + c.fault);
        const CliRun r = cli(QStringList{"--simulate", "--state", path("board.state"), "upload",
                                         "setup", "-o", path("keep.sdt"), "--force"} +
                                 c.extra,
                             false);
        expectFailure(r, 2, c.says);
        EXPECT_TRUE(r.err.contains("Error Processing Request")) << qPrintable(r.err);
        const auto file = readSetupFile(path("keep.sdt"), nullptr);
        ASSERT_TRUE(file);
        if (c.saved)
            EXPECT_EQ(file->Value[122], 600); // the default: the failed read stored nothing
        else
            EXPECT_EQ(contents(path("keep.sdt")), before);
    }
}

// A file-size limit (the portable stand-in for a full disk): exit 3 with the system's reason,
// the earlier file whole, no SIGXFSZ death.
TEST_F(DataCli, AFailedWriteLeavesTheEarlierFileWhole) {
    save("n0.sdt", state.gDefaultData);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path())); // else the report's Qt warns
    const struct {
        const char* output;
        QStringList args;
        bool onBoard;
    } cases[] = {
        {"shift.txt", {"export", path("n0.sdt")}, false},
        {"backup.sdt", {"upload", "setup", "--base", path("n0.sdt")}, true},
        {"report.pdf", {"report", path("n0.sdt")}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        write(path(c.output), "earlier");
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 100; // the child inherits it; SIGXFSZ keeps its default action
        setrlimit(RLIMIT_FSIZE, &small);
        const CliRun r = cli(c.args + QStringList{"-o", path(c.output), "--force"}, c.onBoard);
        setrlimit(RLIMIT_FSIZE, &old);
        expectFailure(r, 3, c.output);
        EXPECT_TRUE(r.err.contains(": File too large")) << qPrintable(r.err);
        EXPECT_EQ(contents(path(c.output)), "earlier");
    }
}

// SIGINT or SIGTERM stops a transfer between two items: every value sent whole, the count
// reported, 130 or 143, and an interrupted upload writes no file.
TEST_F(DataCli, AStopSignalEndsTheTransferBetweenItems) {
    save("all.sdt", state.gDefaultData);
    server.withBoard([](sim::Board& b) { b.faults().replyDelayUs = 500; });
    const struct {
        int signal;
        QStringList args;
        const char* verb;
    } cases[] = {
        {SIGINT, {"--yes", "download", "all", path("all.sdt")}, "written"},
        {SIGTERM, {"upload", "all", "-o", path("up.sdt")}, "read"},
    };
    for (const auto& c : cases) {
        server.withBoard([](sim::Board& b) { b.clearTranscript(); });
        const CliRun r = stopWith(c.signal, c.args, 400);
        EXPECT_EQ(r.code, 128 + c.signal);
        const QString& err = r.err;
        static const QRegularExpression re(
            QStringLiteral("kalvex-cli: interrupted: (\\d+) of 1747 items (\\w+)"));
        const auto m = re.match(err);
        ASSERT_TRUE(m.hasMatch()) << qPrintable(err);
        EXPECT_EQ(m.captured(2), QLatin1String(c.verb));
        if (c.signal != SIGINT) continue;
        // The bytes written are exactly those of the first N items.
        size_t bytes = 0;
        for (int i = 0; i < m.captured(1).toInt(); ++i)
            bytes += size_t(parseAddress(state.gDefaultData.Address[size_t(i)]).byteCount());
        server.withBoard([&](sim::Board& b) { EXPECT_EQ(b.writes().size(), bytes); });
    }
    EXPECT_FALSE(QFile::exists(path("up.sdt")));
}

// A wrong echo on the first address high byte (item 0, B1011): the resynchronising 0xFF lands as
// its low byte and the next as data, on B1023 outside the set. The read-back offer names that
// byte, the read-back finds it, and the run fails.
TEST_F(DataCli, AStrayByteOutsideTheItemsIsFoundAndFailsTheDownload) {
    save("d.sdt", state.gDefaultData);
    const QStringList plain{"--yes", "download", "setup", path("d.sdt")};
    for (const QStringList& args : {plain, plain + QStringList{"--verify"}}) {
        SCOPED_TRACE(qPrintable(args.join(' ')));
        setBoard("B1023", 7);
        server.withBoard([](sim::Board& b) { b.faults().wrongEchoAt = {b.receivedCount() + 4}; });
        const CliRun r = cli(args);
        EXPECT_EQ(r.code, 2) << qPrintable(r.err);
        EXPECT_EQ(boardValue("B1023"), 255);
        const bool offered = r.err.contains("It may have landed on B1023");
        EXPECT_EQ(offered, !args.contains("--verify")) << qPrintable(r.err);
        EXPECT_TRUE(r.err.contains("outside the items written read 255")) << qPrintable(r.err);
        EXPECT_FALSE(r.err.contains("the board holds them")) << qPrintable(r.err);
    }
}

// diff and download --only-changed against a board that holds the default set-up items; a.sdt
// differs from it in three of them.
class DiffCli : public DataCli {
  protected:
    void SetUp() override {
        DataCli::SetUp();
        resetSetupItems();
        save("a.sdt", withValues({{122, 601}, {131, 2}, {1745, 2}}));
    }
    void resetSetupItems() {
        for (const int i : setupDataItems())
            setBoard(qPrintable(state.gDefaultData.Address[size_t(i)]),
                     state.gDefaultData.Value[size_t(i)]);
    }
    std::vector<int> written() {
        std::vector<int> w;
        server.withBoard([&](sim::Board& b) {
            for (const sim::MemoryWrite& m : b.writes())
                w.push_back(m.address);
        });
        return w;
    }
    CliRun downloadChanged() {
        return cli({"--yes", "download", "setup", "a.sdt", "--only-changed", "--verify"});
    }
};

const QString kThreeLines = "122\tW1092\tCanfeed Enable Low Speed\t601\t600\n"
                            "131\tB1003\tNumber of Cans to Blow-off for Each Misload\t2\t1\n"
                            "1745\tB1450\tDF1 gateway PLC node number\t2\t1\n";

TEST_F(DiffCli, FileAgainstFileNeedsNoPort) {
    save("b.sdt", state.gDefaultData);
    save("c.sdt", withValues({{kFirstLabelItem + 5 * kItemsPerLabel, 9}}));
    const auto diff = [this](const QStringList& args) {
        return cli(QStringList{"--device", path("no-such-port"), "diff"} + args, false);
    };
    CliRun r = diff({"a.sdt", "b.sdt"});
    EXPECT_EQ(r.code, 4) << qPrintable(r.err);
    EXPECT_EQ(r.out, kThreeLines);
    r = diff({"a.sdt", "a.sdt"});
    EXPECT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(diff({"a.sdt", "missing.sdt"}).code, 3);
    EXPECT_EQ(diff({"a.sdt", "b.sdt", "--set", "shift"}).code, 0);  // the set limits the items
    EXPECT_EQ(diff({"c.sdt", "b.sdt", "--labels", "6-7"}).code, 0); // so does --labels
    r = diff({"c.sdt", "b.sdt", "--labels", "5"});
    EXPECT_EQ(r.code, 4) << qPrintable(r.err);
    EXPECT_EQ(r.out, "224\tB3250\tLabel 5, ductor 1 ON\t9\t0\n");
}

// Only the differing items are written, and a second run finds none. Without --yes nothing
// is even read.
TEST_F(DiffCli, FileAgainstBoardListsWhatDownloadOnlyChangedWrites) {
    const qint64 before = received();
    expectFailure(cli({"download", "setup", "a.sdt", "--only-changed"}), 1,
                  "You are about to Download Data to the PLC");
    EXPECT_EQ(received(), before);
    const CliRun r = cli({"diff", "a.sdt", "--set", "setup"});
    EXPECT_EQ(r.code, 4) << qPrintable(r.err);
    EXPECT_EQ(r.out, kThreeLines);
    EXPECT_TRUE(written().empty());
    EXPECT_EQ(downloadChanged().code, 0);
    EXPECT_EQ(written(), (std::vector<int>{1092, 1093, 1003, 1450}));
    server.withBoard([](sim::Board& b) { b.clearTranscript(); });
    EXPECT_EQ(downloadChanged().code, 0);
    EXPECT_TRUE(written().empty());
}

// The reply to the last byte of the read-back is corrupted: the board seems not to hold W1092.
TEST_F(DiffCli, AVerificationMismatchExitsTwo) {
    const qint64 start = received();
    ASSERT_EQ(downloadChanged().code, 0);
    const qint64 end = received();
    resetSetupItems();
    server.withBoard([&](sim::Board& b) { b.faults().wrongEchoAt = {end + (end - start) - 1}; });
    expectFailure(downloadChanged(), 2, "Verification failed");
}

} // namespace
