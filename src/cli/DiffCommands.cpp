#include "cli/DiffCommands.h"

#include "cli/CliInput.h"
#include "cli/JsonOut.h"
#include "data/DataCompare.h"
#include "data/DataTransfers.h"
#include "data/SetupFile.h"

#include <cstdio>
#include <optional>
#include <unistd.h>

namespace kalvex::cli {

namespace {

std::optional<SetupData> readFile(const QString& path) {
    QString error;
    std::optional<SetupData> d = readSetupFile(path, &error);
    if (!d) say(error);
    return d;
}

std::vector<int> itemsOf(int setCode, const LabelRange& labels) {
    return setItemsOf(setCode, labels.first, labels.last);
}

// The progress of the board reads and writes on a terminal; never a window to answer.
class QuietHost final : public TransferHost {
  public:
    void switchOnline() override {}
    std::optional<LabelRange> askLabelRange() override { return std::nullopt; }
    void showProcessing(DataTransfer& t) override {
        const bool tty = isatty(STDERR_FILENO);
        t.runToEnd([tty](const DataTransfer& d) {
            if (tty)
                std::fprintf(stderr, "\r%s %d/%d", qPrintable(d.text()), d.value(), d.maximum());
        });
        if (tty) std::fprintf(stderr, "\n");
    }
};

void printDifferences(const std::vector<ItemDifference>& diffs, bool json) {
    if (json) {
        QJsonArray items;
        for (const ItemDifference& d : diffs)
            items.append(QJsonObject{{QStringLiteral("index"), d.index},
                                     {QStringLiteral("address"), d.address},
                                     {QStringLiteral("name"), d.name},
                                     {QStringLiteral("a"), d.valueA},
                                     {QStringLiteral("b"), d.valueB}});
        printJson({{QStringLiteral("differences"), items}});
        return;
    }
    for (const ItemDifference& d : diffs)
        std::printf("%d\t%s\t%s\t%d\t%d\n", d.index, qPrintable(d.address), qPrintable(d.name),
                    d.valueA, d.valueB);
    std::fflush(stdout);
}

int summarise(const std::vector<ItemDifference>& diffs, int compared) {
    if (diffs.empty()) {
        say(QString::asprintf("No differences in %d items.", compared));
        return kExitOk;
    }
    say(QString::asprintf("%zu of %d items differ.", diffs.size(), compared));
    return kExitDiffer;
}

// The exit code of the link's last failure, or `fallback` when the link saw none.
int orElse(CliSession& session, int fallback) {
    if (session.boardLost()) return kExitComm;
    const int rc = exitCodeFor(session.link().lastFailure());
    return rc == kExitOk ? fallback : rc;
}

void printItems(const char* heading, const QString& lines) {
    say(QString::fromLatin1(heading) + QStringLiteral("\r\n") + lines);
}

} // namespace

int runDiff(const DiffRequest& r) {
    const std::vector<int> items = itemsOf(r.setCode, r.labels);
    const std::optional<SetupData> a = readFile(r.fileA);
    if (!a) return kExitFile;
    if (!r.fileB.isEmpty()) {
        const std::optional<SetupData> b = readFile(r.fileB);
        if (!b) return kExitFile;
        const std::vector<ItemDifference> diffs = differingItems(*a, *b, items);
        printDifferences(diffs, wantsJson(r.options));
        return summarise(diffs, int(items.size()));
    }
    CliSession session(r.options);
    if (const int rc = session.open()) return rc;
    QuietHost host;
    DataCompare compare(session.link(), session.prompt(), host);
    const auto diffs = compare.compareWithBoard(*a, items);
    if (!diffs) {
        say(QStringLiteral("The board was not read to the end; nothing compared."));
        return orElse(session, kExitComm);
    }
    printDifferences(*diffs, wantsJson(r.options));
    return summarise(*diffs, int(items.size()));
}

int runDownloadOnlyChanged(const DownloadChangedRequest& r) {
    const std::optional<SetupData> file = readFile(r.file);
    if (!file) return kExitFile;
    // Without --yes the question is refused before the port opens; with it, the download asks
    // (and is answered) once the differences are known.
    if (const int rc =
            checkItems(selectiveDownloadPlan(r.setCode, itemsOf(r.setCode, r.labels)), *file))
        return rc;
    CliPrompt ask(0, false);
    if (!r.options.yes && !DataTransfers::AskDownload(ask)) {
        say(QStringLiteral("nothing was read or sent; --yes answers the question."));
        return kExitRefused;
    }
    CliSession session(r.options);
    if (const int rc = session.open()) return rc;
    QuietHost host;
    DataCompare compare(session.link(), session.prompt(), host);
    const std::vector<int> items = itemsOf(r.setCode, r.labels);
    const auto diffs = compare.compareWithBoard(*file, items);
    if (!diffs) {
        say(QStringLiteral("The board was not read to the end; nothing written."));
        return orElse(session, kExitComm);
    }
    if (diffs->empty()) {
        say(QString::asprintf("The board already holds the file's %zu items; nothing written.",
                              items.size()));
        return kExitOk;
    }
    std::vector<int> changed;
    for (const ItemDifference& d : *diffs)
        changed.push_back(d.index);
    const SelectiveOutcome out = compare.download(r.setCode, *file, changed, r.verify);
    if (!out.started) return orElse(session, kExitRefused);
    if (!out.inDoubt.empty())
        printItems("May have been changed (the board did not confirm the write):",
                   itemLines(*file, out.inDoubt));
    if (!out.notSent.empty()) printItems("Not sent:", itemLines(*file, out.notSent));
    if (out.resynchronised)
        say(QString::asprintf("The link had to resynchronise: a stray byte may have been "
                              "written.%s\n",
                              r.verify ? "" : " Run again with --verify to check."));
    if (r.verify && !out.verified) {
        say(QStringLiteral("The verification did not run to its end."));
        return kExitComm;
    }
    if (!out.mismatches.empty())
        printItems("Verification failed, the board does not hold:", mismatchLines(out.mismatches));
    if (!out.strays.empty())
        printItems("These bytes outside the items written read 255, the value a stray byte "
                   "leaves; check what they should hold:",
                   strayLines(out.strays));
    if (!out.mismatches.empty() || !out.strays.empty()) return kExitComm;
    if (!out.complete) return kExitComm;
    say(QString::asprintf("%zu items written%s.", changed.size(), r.verify ? " and verified" : ""));
    return kExitOk;
}

} // namespace kalvex::cli
