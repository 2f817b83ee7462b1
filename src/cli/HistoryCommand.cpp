#include "cli/HistoryCommand.h"

#include "data/history/HistoryExport.h"
#include "data/history/HistoryRecorder.h"
#include "data/history/HistoryStore.h"

#include <CLI/CLI.hpp>
#include <QDateTime>
#include <QDir>
#include <cstdio>

namespace kalvex::cli {

namespace {

struct HistoryRequest {
    std::string from = "-24h";
    std::string to = "now";
    bool samples = false;
    bool events = false;
    std::string format = "csv";
};

int runHistory(const HistoryRequest& r, const CliOptions& o) {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const std::optional<qint64> from = parseHistoryTime(qs(r.from), now);
    const std::optional<qint64> to = parseHistoryTime(qs(r.to), now);
    for (const auto& [value, text] : {std::pair{from, r.from}, std::pair{to, r.to}})
        if (!value) {
            say(QStringLiteral("\"%1\" is no time: give an ISO 8601 date or date and time, "
                               "\"now\", or a time before now such as -8h, -30m, -7d.")
                    .arg(qs(text)));
            return kExitRefused;
        }
    if (*from >= *to) {
        say(QStringLiteral("--from must be before --to."));
        return kExitRefused;
    }
    const QString path = historyPath(qs(o.home));
    HistoryStore store;
    QString why;
    if (!store.openReadOnly(path, &why)) {
        say(why);
        return kExitFile;
    }
    const bool csv = r.format == "csv";
    QByteArray out;
    if (r.samples) {
        const auto rows = store.samples(*from / 1000, (*to + 999) / 1000);
        out = csv ? samplesCsv(rows) : samplesJson(rows);
    } else {
        const auto rows = store.events(*from, *to);
        out = csv ? eventsCsv(rows) : eventsJson(rows);
    }
    if (std::fwrite(out.constData(), 1, size_t(out.size()), stdout) != size_t(out.size()) ||
        std::fflush(stdout) != 0) {
        say(QStringLiteral("The output could not be written."));
        return kExitFile;
    }
    return kExitOk;
}

} // namespace

void addHistoryCommand(CLI::App& app, CliOptions& o) {
    auto r = std::make_shared<HistoryRequest>();
    CLI::App* c = addCommand(
        app, "history",
        "Print the machine history KALVEX recorded: events (alarms, faults, link, writes, "
        "transfers, files) or the counter samples.",
        "kalvex-cli history --from 2024-05-01T06:00 --to 2024-05-01T14:00 --samples "
        "--format json");
    c->add_option("--from", r->from,
                  "Start: ISO 8601 local time, now, or -8h/-30m/-7d (default -24h)")
        ->type_name("WHEN");
    c->add_option("--to", r->to, "End, as --from (default now)")->type_name("WHEN");
    auto* events = c->add_flag("--events", r->events, "Print the events (the default)");
    c->add_flag("--samples", r->samples, "Print the counter samples, one row a second")
        ->excludes(events);
    c->add_option("--format", r->format, "csv or json (default csv)")
        ->check(CLI::IsMember({"csv", "json"}));
    onCommand(*c, o, [&o, r] { return runHistory(*r, o); });
}

} // namespace kalvex::cli
