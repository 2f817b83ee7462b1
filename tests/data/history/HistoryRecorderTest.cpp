#include "data/history/HistoryRecorder.h"
#include "cli/CliChecks.h"
#include "data/AppState.h"
#include "data/TestFiles.h"
#include "data/history/HistoryExport.h"
#include "support/LinkFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSignalSpy>

namespace kalvex::test {
namespace {

constexpr qint64 kEver = std::numeric_limits<qint64>::max();

// The SQL driver plugins load through the application object.
int argc = 1;
char* argv[] = {const_cast<char*>("kalvex_tests_history"), nullptr};
const QCoreApplication* const app = new QCoreApplication(argc, argv);

std::vector<HistoryEvent> storedEvents(const QString& path) {
    HistoryStore store;
    QString why;
    EXPECT_TRUE(store.openReadOnly(path, &why)) << why.toStdString();
    return store.events(0, kEver);
}

void storeRows(const QString& path, const std::vector<HistoryEvent>& events,
               const std::vector<HistorySample>& samples, HistoryStore* keep = nullptr) {
    HistoryStore local;
    HistoryStore& store = keep ? *keep : local;
    QString why;
    ASSERT_NE(store.open(path, &why), HistoryStore::Opened::Failed) << why.toStdString();
    ASSERT_TRUE(store.write(events, samples, &why)) << why.toStdString();
}

struct StartedRecorder {
    explicit StartedRecorder(const QString& path, bool crashSafe = false)
        : r(sl.link, state, {path, crashSafe, {}}) {
        r.start();
    }
    SimulatedLink sl;
    AppState state;
    HistoryRecorder r;
    QSignalSpy said{&r, &HistoryRecorder::message};
};

class HistoryRecorderTest : public LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        state.gActiveWindow = QStringLiteral("frmSetup");
        recorder.start();
        ASSERT_TRUE(recorder.recording());
    }
    void readAt(qint64 sec, const QString& address, qint64 value) {
        nowMs = sec * 1000;
        ASSERT_TRUE(board.setValue(address, value));
        ASSERT_TRUE(link.readValue(address));
    }
    std::vector<HistoryEvent> events() {
        recorder.flush();
        return storedEvents(path);
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("history.sqlite"));
    qint64 nowMs = 1000;
    AppState state;
    HistoryRecorder recorder{link, state, {path, false, [this] { return nowMs; }}};
};

// Alarm bits raise and clear in pairs; a write keeps the value read before it, its window and
// its outcome; a transfer is one line counting its writes.
TEST_F(HistoryRecorderTest, AlarmPairsWritesAndTransfersAreEvents) {
    for (const qint64 w98 : {0, 5, 4, 0x8004, 0})
        readAt(nowMs / 1000 + 1, QStringLiteral("W98"), w98);
    readAt(7, QStringLiteral("W1092"), 700);
    (void)link.writeValue(QStringLiteral("W1092"), QStringLiteral("650"));
    (void)link.writeValue(QStringLiteral("W1092"), QStringLiteral("70000"));
    recorder.beginTransfer();
    (void)link.writeValue(QStringLiteral("W1094"), QStringLiteral("1"));
    (void)link.writeValue(QStringLiteral("W1096"), QStringLiteral("2"));
    recorder.endTransfer(historyEvent({}, QStringLiteral("Download All"), "complete"));
    const std::vector<HistoryEvent> e = events();
    std::vector<QStringList> got;
    for (const HistoryEvent& x : e)
        got.push_back({x.kind, x.subject, x.before, x.value, x.window, x.outcome});
    // clang-format off
    const std::vector<QStringList> expected = {
        {HistoryKind::AlarmRaised, "W98.0", "", "", "", ""}, {HistoryKind::AlarmRaised, "W98.2", "", "", "", ""},
        {HistoryKind::AlarmCleared, "W98.0", "", "", "", ""}, {HistoryKind::AlarmRaised, "W98.15", "", "", "", ""},
        {HistoryKind::AlarmCleared, "W98.2", "", "", "", ""}, {HistoryKind::AlarmCleared, "W98.15", "", "", "", ""},
        {"write", "W1092", "700", "650", "frmSetup", "done"}, {"write", "W1092", "700", "70000", "frmSetup", "refused"},
        {"transfer", "Download All", "", "", "", ""}};
    // clang-format on
    ASSERT_EQ(got, expected);
    EXPECT_EQ(e[0].text, QStringLiteral("Infeed Track Jam"));
    EXPECT_FALSE(e[6].text.isEmpty());
    EXPECT_EQ(std::pair(e[7].text, e[8].text),
              std::pair(e[6].text, QString("complete; 2 values written")));
}

// Over at least 5 s; none across a counter reset or a gap of more than 30 s.
TEST_F(HistoryRecorderTest, RatesFromCounterDeltas) {
    const struct {
        qint64 sec, good;
        std::optional<double> rate;
    } steps[] = {{10, 1000, {}}, {15, 1050, 600.0}, {16, 1060, {}}, {20, 1100, 600.0},
                 {25, 10, {}},   {30, 60, 600.0},   {70, 460, {}},  {75, 560, 1200.0}};
    for (const auto& s : steps)
        readAt(s.sec, QStringLiteral("D1100"), s.good);
    recorder.flush();
    HistoryStore store;
    ASSERT_TRUE(store.openReadOnly(path, nullptr));
    const std::vector<HistorySample> rows = store.samples(0, kEver);
    ASSERT_EQ(rows.size(), std::size(steps));
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].sec, steps[i].sec);
        EXPECT_EQ(rows[i].values[kSeriesGoodCans], double(steps[i].good));
        EXPECT_EQ(rows[i].values[kSeriesGoodPerMin], steps[i].rate) << "at " << steps[i].sec;
    }
}

// Damaged: set aside, both files named, a new one recorded; unwritable or full: recording off.
TEST(HistoryFiles, DamagedFileIsSetAsideAndUnwritableStorageTurnsRecordingOff) {
    QTemporaryDir dir;
    const QString junk = writeBytes(dir.filePath(QStringLiteral("junk.sqlite")),
                                    QByteArray("not a database\n").repeated(300));
    const QString torn = dir.filePath(QStringLiteral("intact-header.sqlite"));
    storeRows(torn, std::vector(2000, historyEvent(QStringLiteral("write"), "W1", "x")), {});
    writeBytes(torn, fileBytes(torn).replace(4096 * 2, 4096 * 4, QByteArray(4096 * 4, '\x5a')));
    for (const QString& path : {junk, torn}) {
        StartedRecorder s(path);
        ASSERT_EQ(s.said.size(), 1) << qPrintable(path);
        EXPECT_TRUE(s.said[0][0].toString().contains(path + QStringLiteral(".corrupt-")));
        EXPECT_EQ(QDir(dir.path()).entryList({QFileInfo(path).fileName() + ".corrupt-*"}).size(),
                  1);
        s.r.note(historyEvent(HistoryKind::FileSaved, QStringLiteral("a.sdt")));
        s.r.flush();
        EXPECT_EQ(storedEvents(path).size(), 1u);
    }
    writeBytes(dir.filePath(QStringLiteral("file")), "");
    StartedRecorder blocked(dir.filePath("file/history.sqlite"));
    EXPECT_FALSE(blocked.r.recording());
    ASSERT_EQ(blocked.said.size(), 1);
    EXPECT_TRUE(blocked.said[0][0].toString().contains(dir.filePath("file")));

    const QString path = dir.filePath(QStringLiteral("full/history.sqlite"));
    StartedRecorder full(path);
    full.r.flush();
    {
        FileSizeLimit limit(rlim_t(QFileInfo(path).size() + 4096)); // the disk fills
        for (int i = 0; i < 50 && full.r.recording(); ++i) {
            full.r.note(historyEvent(HistoryKind::Write, QString(4000, u'x')));
            full.r.flush();
        }
    }
    EXPECT_FALSE(full.r.recording());
    ASSERT_EQ(full.said.size(), 1);
    EXPECT_TRUE(full.said[0][0].toString().startsWith("History recording is off: "));
}

TEST(HistoryFiles, PruningKeepsTheRetentionAndTheCap) {
    constexpr qint64 day = 86400, now = 200 * day;
    const struct {
        int keepDays;
        qint64 capBytes;
        qint64 oldestLeftDay; // of the samples
    } cases[] = {{90, qint64(1) << 40, 110}, {30, qint64(1) << 40, 170}, {90, 400 * 1024, 0}};
    for (const auto& c : cases) {
        QTemporaryDir dir;
        std::vector<HistorySample> rows;
        std::vector<HistoryEvent> events;
        for (qint64 d = 100; d < 200; ++d) {
            for (qint64 s = 0; s < 200; ++s)
                rows.push_back({d * day + s * 60, {1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0}});
            events.push_back(historyEvent(HistoryKind::Online));
            events.back().ms = d * day * 1000;
        }
        HistoryStore store;
        storeRows(dir.filePath("h.sqlite"), events, rows, &store);
        ASSERT_TRUE(store.prune(now * 1000, c.keepDays, c.capBytes, nullptr));
        const std::vector<HistorySample> left = store.samples(0, now);
        ASSERT_FALSE(left.empty());
        const qint64 oldest = left.front().sec / day;
        if (c.oldestLeftDay > 0) {
            EXPECT_EQ(oldest, c.oldestLeftDay);
            EXPECT_EQ(store.events(0, now * 1000).front().ms / 1000 / day, c.oldestLeftDay);
        } else {
            EXPECT_LE(store.usedBytes(), c.capBytes);
            EXPECT_GT(oldest, 110);
        }
    }
}

// Run by CrashSafety: records until killed, printing the count after each commit.
TEST(HistoryFiles, RecordingChild) {
    const QString path = qEnvironmentVariable("KALVEX_HISTORY_CHILD");
    if (path.isEmpty()) GTEST_SKIP() << "run by CrashSafety only";
    StartedRecorder s(path, true);
    for (int i = 0;; ++i) {
        s.r.note(historyEvent(HistoryKind::Write, QString::number(i)));
        if (i % 20 == 19) {
            s.r.flush();
            std::printf("committed %d\n", i + 1);
            std::fflush(stdout);
        }
    }
}

TEST(HistoryFiles, CrashSafety) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    QProcess child;
    qputenv("KALVEX_HISTORY_CHILD", path.toUtf8()); // inherited by the child only
    child.start(QFile::symLinkTarget(QStringLiteral("/proc/self/exe")),
                {QStringLiteral("--gtest_filter=HistoryFiles.RecordingChild")});
    qunsetenv("KALVEX_HISTORY_CHILD");
    int committed = 0;
    while (committed < 400 && child.waitForReadyRead(10000))
        while (child.canReadLine()) {
            const QByteArray line = child.readLine().trimmed();
            if (line.startsWith("committed ")) committed = line.mid(10).toInt();
        }
    child.kill(); // SIGKILL
    child.waitForFinished();
    ASSERT_GE(committed, 400);
    const std::vector<HistoryEvent> rows = storedEvents(path);
    ASSERT_GE(int(rows.size()), committed);
    for (size_t i = 0; i < rows.size(); ++i)
        ASSERT_EQ(rows[i].subject, QString::number(i));
}

TEST(HistoryCli, PrintsTheRangeAndRefusesBadInput) {
    QTemporaryDir home;
    const qint64 t0 = QDateTime(QDate(2024, 5, 1), QTime(6, 0)).toMSecsSinceEpoch();
    std::vector<HistoryEvent> events;
    std::vector<HistorySample> samples;
    for (int i = 0; i < 6; ++i) {
        events.push_back(historyEvent(QStringLiteral("write"), QStringLiteral("W1092"),
                                      QStringLiteral("Speed, \"low\"")));
        events.back().ms = t0 + i * 3600 * 1000;
        events.back().value = QString::number(i);
        samples.push_back({t0 / 1000 + i * 3600, {600.0 + i, {}, 1000.0 * i, {}, {}, 12.5, {}}});
    }
    storeRows(home.filePath("history.sqlite"), events, samples);
    const QStringList range = {"--home",           home.path(), "--from",
                               "2024-05-01T07:00", "--to",      "2024-05-01T09:00"};
    const CliRun ev = runCli(QStringList{"history"} + range);
    EXPECT_EQ(ev.code, 0) << qPrintable(ev.err);
    EXPECT_EQ(ev.out.toUtf8(), eventsCsv({events[1], events[2]}));
    const CliRun sm = runCli(QStringList{"history", "--samples", "--format", "json"} + range);
    const QJsonArray rows = QJsonDocument::fromJson(sm.out.toUtf8()).array();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0][QStringLiteral("cpm")].toDouble(), 601.0);
    EXPECT_TRUE(rows[0][QStringLiteral("rpm")].isNull());
    EXPECT_EQ(rows[1][QStringLiteral("good_per_min")].toDouble(), 12.5);
    const QStringList inHome{"--home", home.path()};
    expectFailure(runCli(QStringList{"history", "--from", "yesterday"} + inHome), 1, "is no time");
    expectFailure(runCli(QStringList{"history", "--from", "-1h", "--to", "-2h"} + inHome), 1,
                  "--from must be before --to");
    expectFailure(runCli({"history", "--home", home.filePath("none")}), 3, "No history file");
}

} // namespace
} // namespace kalvex::test
