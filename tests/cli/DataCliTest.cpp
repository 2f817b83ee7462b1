// kalvex-cli's data commands: what the library tests beneath them cannot see, the options,
// exit codes, messages and files.
#include "CliChecks.h"
#include "data/AppState.h"
#include "data/SetupFile.h"
#include "data/ShiftExport.h"
#include "data/TagMap.h"
#include "data/TestFiles.h"
#include "link/Address.h"
#include "support/CliBoard.h"

#include <QRegularExpression>
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

// upload all writes the whole set under this version, and download all takes it back; an
// upload of one set keeps the rest of its --base file. (Every item's value and place:
// TransferByCode.)
TEST_F(DataCli, BackupAndRestoreEveryItem) {
    setBoard("W1092", 650);
    setBoard("B3250", 7);
    ASSERT_EQ(cli({"upload", "all", "-o", path("backup.sdt")}).code, 0);
    const auto saved = readSetupFile(path("backup.sdt"), nullptr);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->Version, "KALVEX_R" KALVEX_VERSION);
    EXPECT_EQ(std::pair(saved->Value[122], saved->Value[224]), std::pair(650, 7));
    setBoard("W1092", 611);
    ASSERT_EQ(cli({"download", "all", path("backup.sdt"), "--yes"}).code, 0);
    EXPECT_EQ(boardValue("W1092"), 650);

    setBoard("W1092", 611);
    setBoard("B3250", 9);
    const CliRun labels = cli(
        {"upload", "labels", "--base", path("backup.sdt"), "-o", path("out.sdt"), "--labels=5-3"});
    ASSERT_EQ(labels.code, 0) << qPrintable(labels.err);
    const auto out = readSetupFile(path("out.sdt"), nullptr);
    ASSERT_TRUE(out);
    EXPECT_EQ(std::tuple(out->Value[122], out->Value[224], out->Value[144]), std::tuple(650, 9, 0));
}

// A download asks first; without --yes it prints the question and sends nothing at all. A value
// the link refuses is named with its address; the rest still goes.
TEST_F(DataCli, DownloadNeedsYesAndLeavesOtherItemsAlone) {
    SetupData d = withValues({{122, 700}, {1746, 33}});
    save("d.sdt", d);
    const qint64 before = received();
    expectFailure(cli({"download", "setup", path("d.sdt")}), 1,
                  "You are about to Download Data to the PLC");
    EXPECT_EQ(received(), before);
    const CliRun r = cli({"download", "--yes", "setup", path("d.sdt"), "--verify"});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains("25 items read back: the board holds them.")) << qPrintable(r.err);
    d.Value[122] = -5;
    d.Value[123] = 77;
    save("d.sdt", d);
    const CliRun refused = cli({"download", "--yes", "setup", path("d.sdt")});
    EXPECT_EQ(refused.code, 2);
    EXPECT_TRUE(refused.err.contains("item 122 (W1092): refused")) << qPrintable(refused.err);
    EXPECT_TRUE(refused.err.contains("24 of 25 items written")) << qPrintable(refused.err);
    EXPECT_EQ(boardValue("W1094"), 77);
}

// export writes the shift text of a file, dated now ("-" is standard output); dump lists items.
TEST_F(DataCli, ExportAndDumpShowAFile) {
    const SetupData d = withValues({{37, 5555}, {1746, -9}});
    save("shift.sdt", d);
    ASSERT_EQ(cli({"export", path("shift.sdt"), "-o", path("shift.txt")}, false).code, 0);
    const QByteArray got = contents(path("shift.txt"));
    const QByteArray dated = got.split('\n').value(1).trimmed(); // "Date: " and the time now
    EXPECT_TRUE(dated.startsWith("Date: ") && dated.size() > 10) << dated.constData();
    EXPECT_EQ(got, shiftExportText(d, "shift.sdt", QString::fromLatin1(dated.mid(6))));
    CliRun r = cli({"export", path("shift.sdt"), "-o", "-"}, false);
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

// Refused before anything is sent: bad options, bad files, an existing output without --force,
// the input as output, a FIFO, a file of another version without --yes, an item naming another
// cell than the tag map without --any-address, and an item naming no cell whatever the options.
TEST_F(DataCli, RefusedArgumentsAndFiles) {
    write(path("bad.sdt"), QByteArray::fromHex("0100410100ffffff7f00000000"));
    save("m1.sdt", state.gDefaultData);
    const QByteArray m1 = contents(path("m1.sdt"));
    ASSERT_EQ(mkfifo(qPrintable(path("fifo")), 0600), 0);
    SetupData old = withValues({{122, 720}}), crafted = withValues({{122, 5}}), wild = old;
    old.Version = QStringLiteral("KALVEX_R0.1.0");
    save("old.sdt", old);
    crafted.Address[122] = QStringLiteral("B8176");
    save("crafted.sdt", crafted);
    wild.Address[122] = QStringLiteral("W70000");
    save("w.sdt", wild);
    wild.Address[122] = QStringLiteral("B1401.9");
    save("b.sdt", wild);
    const struct {
        QStringList args;
        int code;
        const char* says;
    } cases[] = {
        // clang-format off
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
        // clang-format on
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
    // The questions answered by their options.
    EXPECT_EQ(cli({"--yes", "download", "setup", "old.sdt"}).code, 0);
    EXPECT_EQ(boardValue("W1092"), 720);
    EXPECT_EQ(cli({"--yes", "download", "setup", "crafted.sdt", "--any-address"}).code, 0);
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
    } cases[] = {
        {{}, "wrong_echo_at = 6", "item 122 (W1092): wrong echo"},
        {{"--partial"}, "wrong_echo_at = 6", "item 122 (W1092): wrong echo"},
        {{}, "silent_after = 40", "no answer"},
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
        if (c.extra.isEmpty())
            EXPECT_EQ(contents(path("keep.sdt")), before);
        else
            EXPECT_EQ(file->Value[122], 600); // the default: the failed read stored nothing
    }
}

// A file-size limit (the portable stand-in for a full disk): exit 3 with the system's reason,
// the earlier file whole, no SIGXFSZ death.
TEST_F(DataCli, AFailedWriteLeavesTheEarlierFileWhole) {
    save("n0.sdt", state.gDefaultData);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path())); // else the report's Qt warns
    const std::tuple<const char*, QStringList, bool> cases[] = {
        {"shift.txt", {"export", path("n0.sdt")}, false},
        {"backup.sdt", {"upload", "setup", "--base", path("n0.sdt")}, true},
        {"report.pdf", {"report", path("n0.sdt")}, false},
    };
    for (const auto& [output, args, onBoard] : cases) {
        SCOPED_TRACE(output);
        write(path(output), "earlier");
        CliRun r;
        {
            test::FileSizeLimit limit(100, false);
            r = cli(args + QStringList{"-o", path(output), "--force"}, onBoard);
        }
        expectFailure(r, 3, output);
        EXPECT_TRUE(r.err.contains(": File too large")) << qPrintable(r.err);
        EXPECT_EQ(contents(path(output)), "earlier");
    }
}

// SIGINT or SIGTERM stops a transfer between two items: every value sent whole, the count
// reported, 130 or 143, and an interrupted upload writes no file.
TEST_F(DataCli, AStopSignalEndsTheTransferBetweenItems) {
    save("all.sdt", state.gDefaultData);
    server.withBoard([](sim::Board& b) { b.faults().replyDelayUs = 500; });
    const std::tuple<int, QStringList, const char*> cases[] = {
        {SIGINT, {"--yes", "download", "all", path("all.sdt")}, "written"},
        {SIGTERM, {"upload", "all", "-o", path("up.sdt")}, "read"},
    };
    for (const auto& [signal, args, verb] : cases) {
        server.withBoard([](sim::Board& b) { b.clearTranscript(); });
        const CliRun r = stopWith(signal, args, 400);
        EXPECT_EQ(r.code, 128 + signal);
        static const QRegularExpression re("kalvex-cli: interrupted: (\\d+) of 1747 items (\\w+)");
        const auto m = re.match(r.err);
        ASSERT_TRUE(m.hasMatch()) << qPrintable(r.err);
        EXPECT_EQ(m.captured(2), QLatin1String(verb));
        if (signal != SIGINT) continue;
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
    EXPECT_EQ(std::pair(r.code, r.out), std::pair(0, QString())) << qPrintable(r.err);
    EXPECT_EQ(diff({"a.sdt", "missing.sdt"}).code, 3);
    EXPECT_EQ(diff({"a.sdt", "b.sdt", "--set", "shift"}).code, 0);  // the set limits the items
    EXPECT_EQ(diff({"c.sdt", "b.sdt", "--labels", "6-7"}).code, 0); // so does --labels
    r = diff({"c.sdt", "b.sdt", "--labels", "5"});
    EXPECT_EQ(r.code, 4) << qPrintable(r.err);
    EXPECT_EQ(r.out, "224\tB3250\tLabel 5, ductor 1 ON\t9\t0\n");
}

// Only the differing items are written, and a second run finds none. Without --yes nothing is
// even read. A corrupted reply to the last byte of the read-back fails the verification: exit 2.
TEST_F(DiffCli, FileAgainstBoardListsWhatDownloadOnlyChangedWrites) {
    const qint64 before = received();
    expectFailure(cli({"download", "setup", "a.sdt", "--only-changed"}), 1,
                  "You are about to Download Data to the PLC");
    EXPECT_EQ(received(), before);
    const CliRun r = cli({"diff", "a.sdt", "--set", "setup"});
    EXPECT_EQ(r.code, 4) << qPrintable(r.err);
    EXPECT_EQ(r.out, kThreeLines);
    EXPECT_TRUE(written().empty());
    const qint64 start = received();
    EXPECT_EQ(downloadChanged().code, 0);
    const qint64 length = received() - start;
    EXPECT_EQ(written(), (std::vector<int>{1092, 1093, 1003, 1450}));
    server.withBoard([](sim::Board& b) { b.clearTranscript(); });
    EXPECT_EQ(downloadChanged().code, 0);
    EXPECT_TRUE(written().empty());

    resetSetupItems();
    server.withBoard(
        [&](sim::Board& b) { b.faults().wrongEchoAt = {b.receivedCount() + length - 1}; });
    expectFailure(downloadChanged(), 2, "Verification failed");
}

} // namespace
