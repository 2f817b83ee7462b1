// The machine history's costs: the recorder's CPU on top of the Main Display at 9600 baud, and
// the window's queries over 30 days of samples at one row a second.
//
//   build/default/bin/kalvex-history-bench [DIR]    (DIR: where the 30-day file is built)
#include "QuietPrompt.h"
#include "data/AppState.h"
#include "data/history/HistoryRecorder.h"
#include "link/RSComm.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <sys/resource.h>

using namespace kalvex;

namespace {

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The reads one second of the Main Display online at 9600 baud makes (15 passes of the five
// counters, measured by kalvex-page-bench) and the background update's two ticks.
void recordFor(int seconds, const QString& path) {
    bench::QuietPrompt prompt;
    SystemClock clock;
    RSComm link(prompt, clock, QString());
    AppState state;
    qint64 nowMs = 1'700'000'000'000;
    HistoryRecorder recorder(link, state, {path, true, [&nowMs] { return nowMs; }});
    recorder.start();
    const char* counters[] = {"W112", "W526", "D1100", "D1104", "D1304"};
    qint64 good = 1'000'000;
    const double start = cpuSeconds();
    for (int s = 0; s < seconds; ++s) {
        for (int pass = 0; pass < 15; ++pass) {
            nowMs += 66;
            good += 20;
            for (const char* c : counters)
                Q_EMIT link.valueRead(QString::fromLatin1(c), good);
        }
        for (int tick = 0; tick < 2; ++tick) {
            Q_EMIT link.valueRead(QStringLiteral("B8176"), 0);
            Q_EMIT link.valueRead(QStringLiteral("W98"), (s / 60) % 2);
        }
        nowMs += 10;
        recorder.flush();
    }
    const double used = cpuSeconds() - start;
    std::printf("recording: %d s of Main Display reads cost %.3f s CPU = %.3f %% of a core\n",
                seconds, used, 100.0 * used / seconds);
}

void buildMonth(HistoryStore& store, qint64 startSec, int days) {
    std::vector<HistorySample> rows;
    for (qint64 h = 0; h < days * 24; ++h) {
        rows.clear();
        for (qint64 s = 0; s < 3600; ++s) {
            const qint64 t = startSec + h * 3600 + s;
            const double cpm = 1100 + double(t % 200);
            rows.push_back(
                {t, {cpm, cpm, double(t * 20), double(t / 50), double(t / 50), 1200.0, 24.0}});
        }
        QString why;
        if (!store.write({}, rows, &why)) std::printf("write failed: %s\n", qPrintable(why));
    }
}

void queries(HistoryStore& store, qint64 endSec) {
    for (const int days : {1, 30}) {
        const qint64 from = endSec - days * 86400;
        QElapsedTimer t;
        t.start();
        size_t points = 0;
        for (const HistorySeries s : {kSeriesCpm, kSeriesGoodPerMin, kSeriesBlowoffsPerMin})
            points += store.buckets(s, from, endSec, HistoryStore::bucketFor(endSec - from)).size();
        points += store.events(from * 1000, endSec * 1000).size();
        std::printf("chart query, %2d days: %lld ms (%zu points)\n", days,
                    static_cast<long long>(t.elapsed()), points);
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();
    recordFor(600, dir + QStringLiteral("/recording.sqlite"));

    const QString path = dir + QStringLiteral("/month.sqlite");
    HistoryStore store;
    QString why;
    if (store.open(path, &why) == HistoryStore::Opened::Failed) {
        std::printf("%s\n", qPrintable(why));
        return 1;
    }
    const qint64 start = 1'700'000'000, days = 30;
    QElapsedTimer t;
    t.start();
    if (store.samples(start, start + 10).empty()) buildMonth(store, start, int(days));
    std::printf("30 days of samples built in %lld s\n", static_cast<long long>(t.elapsed() / 1000));
    store.close();
    if (store.open(path, &why) == HistoryStore::Opened::Failed) return 1;
    queries(store, start + days * 86400);
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    std::printf("file size for 30 days: %.0f MB (with the WAL: %.0f MB); peak memory %ld MB\n",
                double(QFileInfo(path).size()) / 1e6,
                double(QFileInfo(path).size() + QFileInfo(path + "-wal").size()) / 1e6,
                u.ru_maxrss / 1024);
    return 0;
}
