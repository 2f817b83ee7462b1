// kalvex-cli history on a file written through the store: the exact rows of the range, and
// the exit codes of bad input and a missing file.
#include "cli/CliChecks.h"
#include "data/history/HistoryExport.h"
#include "data/history/HistoryStore.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

namespace kalvex::test {
namespace {

TEST(HistoryCli, PrintsTheRangeAndRefusesBadInput) {
    int argc = 1;
    char name[] = "t";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    const qint64 t0 = QDateTime(QDate(2024, 5, 1), QTime(6, 0)).toMSecsSinceEpoch();
    std::vector<HistoryEvent> events;
    std::vector<HistorySample> samples;
    for (int i = 0; i < 6; ++i) {
        HistoryEvent e = historyEvent(QStringLiteral("write"), QStringLiteral("W1092"),
                                      QStringLiteral("Speed, \"low\""));
        e.ms = t0 + i * 3600 * 1000;
        e.value = QString::number(i);
        events.push_back(e);
        samples.push_back({t0 / 1000 + i * 3600, {600.0 + i, {}, 1000.0 * i, {}, {}, 12.5, {}}});
    }
    {
        HistoryStore store;
        QString why;
        ASSERT_EQ(store.open(home.filePath("history.sqlite"), &why), HistoryStore::Opened::Ok);
        ASSERT_TRUE(store.write(events, samples, &why));
    }
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

    const struct {
        QStringList args;
        int code;
        const char* says;
    } bad[] = {{{"--from", "yesterday"}, 1, "is no time"},
               {{"--from", "-1h", "--to", "-2h"}, 1, "--from must be before --to"},
               {{"--home", home.filePath("none")}, 3, "No history file"}};
    for (const auto& b : bad) {
        const QStringList where =
            b.args.contains("--home") ? QStringList() : QStringList{"--home", home.path()};
        expectFailure(runCli(QStringList{"history"} + where + b.args), b.code, b.says);
    }
}

} // namespace
} // namespace kalvex::test
