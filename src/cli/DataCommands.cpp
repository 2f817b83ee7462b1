#include "cli/DataCommands.h"
#include "cli/DiffCommands.h"

#include "cli/CliInput.h"
#include "cli/StopSignals.h"
#include "data/AppState.h"
#include "data/DataTransfers.h"
#include "data/GeneralDate.h"
#include "data/LabelRange.h"
#include "data/SetupFile.h"
#include "data/SetupFileOps.h"
#include "data/ShiftExport.h"

#include <CLI/CLI.hpp>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <utility>

namespace kalvex::cli {

namespace {

struct DataArgs {
    std::string set;
    std::string file;   // the set-up file read (download, export, dump)
    std::string output; // -o
    std::string base;   // --base
    std::string labels; // --labels
    bool partial = false;
    bool anyAddress = false;
    bool onlyChanged = false;
    bool verify = false;
    LabelRange range;
};

const std::map<std::string, int> kSets{{"setup", kUploadSetup},
                                       {"shift", kUploadShift},
                                       {"labels", kUploadLabels},
                                       {"all", kUploadAll}};

int refuse(const QString& message) {
    say(message);
    return kExitRefused;
}

// "FIRST-LAST" (either may be negative; the dialog's clamping applies) or a single label.
bool parseLabels(const QString& text, LabelRange& range) {
    static const QRegularExpression re(QStringLiteral("^\\s*(-?[^-]+?)\\s*(?:-\\s*(-?[^-]+))?$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch()) return false;
    const QString last = m.captured(2).isEmpty() ? m.captured(1) : m.captured(2);
    const std::optional<LabelRange> chosen = labelRangeOk(true, m.captured(1), last);
    if (chosen) range = *chosen;
    return chosen.has_value();
}

int checkLabels(DataArgs& a) {
    if (a.labels.empty()) return kExitOk;
    if (a.set != "labels") return refuse(QStringLiteral("--labels goes with the labels set only."));
    if (!parseLabels(qs(a.labels), a.range))
        return refuse(QStringLiteral("--labels needs FIRST-LAST, two label numbers."));
    return kExitOk;
}

// File > Open of one named file: a file of another program version needs --yes.
class NamedFile final : public FileChooser {
  public:
    explicit NamedFile(QString path) : m_path(std::move(path)) {}
    std::optional<QString> openFile(const QString&, const QString&) override { return next(); }
    std::optional<QString> saveFile(const QString&, const QString&) override { return next(); }

  private:
    std::optional<QString> next() { return std::exchange(m_path, std::nullopt); }
    std::optional<QString> m_path;
};

// The windows of a transfer for a terminal: the range from --labels, progress on stderr,
// failed items named as they happen, a stop signal taken as Cancel.
class CliHost final : public TransferHost {
  public:
    explicit CliHost(const LabelRange& range, bool anyAddress = false)
        : m_range(range), m_anyAddress(anyAddress) {}
    void switchOnline() override {} // the session is online before any transfer starts
    std::optional<LabelRange> askLabelRange() override { return m_range; }
    bool acceptForeignAddresses(Prompt&, const QString& items) override {
        if (!m_anyAddress)
            say(QStringLiteral("these items name other board addresses than the tag map; "
                               "use --any-address to write them:\n") +
                items);
        return m_anyAddress;
    }
    void showProcessing(DataTransfer& t) override {
        const bool tty = isatty(STDERR_FILENO) && verbosity() != Verbosity::Quiet;
        QElapsedTimer took;
        took.start();
        size_t named = 0;
        if (stopSignal() != 0) t.cancel();
        t.runToEnd([&](const DataTransfer& d) {
            if (stopSignal() != 0) t.cancel();
            for (; named < d.failedItems().size(); ++named) {
                const FailedItem& f = d.failedItems()[named];
                say(QStringLiteral("item %1 (%2): %3")
                        .arg(f.index)
                        .arg(f.address, failureText(f.failure)));
            }
            if (tty)
                std::fprintf(stderr, "\r%s %d/%d", qPrintable(d.text()), d.value(), d.maximum());
        });
        if (tty) std::fprintf(stderr, "\n");
        if (t.skipped() > 0)
            note(
                QStringLiteral("%1 items without a board address were left out.").arg(t.skipped()));
        detail(QStringLiteral("transfer: %1 of %2 steps in %3 s")
                   .arg(t.value())
                   .arg(t.maximum())
                   .arg(double(took.elapsed()) / 1000.0, 0, 'f', 1));
    }

  private:
    LabelRange m_range;
    bool m_anyAddress;
};

// Opens a set-up file as File > Open does into `state`; an exit code on failure.
int openFile(AppState& state, Prompt& prompt, const QString& path) {
    QString error;
    if (!readSetupFile(path, &error)) {
        say(error);
        return kExitFile;
    }
    NamedFile chooser(path);
    SystemClock clock;
    RSComm offline(prompt, clock, QString()); // never opened: File > Open needs no board
    CliHost host(LabelRange{});
    DataTransfers transfers(state, offline, prompt, host);
    SetupFileOps(state, prompt, chooser, transfers).Open();
    return state.gFileUnnamed ? kExitRefused : kExitOk;
}

// What an ended transfer means for the command: how far it got and the exit code.
int transferExit(const TransferOutcome& o, const char* verb, const QString& notSaved = {}) {
    // "512 of 1747 items read"
    const QString progress = QStringLiteral("%1 of %2 items %3")
                                 .arg(o.doneItems)
                                 .arg(o.totalItems)
                                 .arg(QLatin1String(verb));
    const QString failed = failedItemsText(o.failedItems);
    switch (o.kind) {
    case TransferOutcome::Kind::NotStarted:
        return kExitComm;
    case TransferOutcome::Kind::Complete:
        return kExitOk;
    case TransferOutcome::Kind::Cancelled:
        say(QStringLiteral("interrupted: ") + progress + notSaved);
        return stopExitCode();
    case TransferOutcome::Kind::Failed:
        break;
    }
    say(QStringLiteral("not complete: ") + progress +
        (failed.isEmpty() ? QString() : QStringLiteral("; failed: ") + failed) + notSaved);
    return kExitComm;
}

// The read-back's findings were told by the prompt; a mismatch, or a read-back that was asked
// for and did not finish, fails the command.
int readBackExit(const TransferOutcome& o, bool asked) {
    const auto& readBack = o.readBack;
    if (!readBack) {
        if (!asked) return kExitOk;
        say(QStringLiteral("The verification did not run."));
        return kExitComm;
    }
    return readBack->finished && readBack->mismatches.empty() && readBack->strays.empty()
               ? kExitOk
               : kExitComm;
}

int runUpload(const CliOptions& options, DataArgs a) {
    if (const int rc = checkLabels(a)) return rc;
    const QString output = qs(a.output);
    if (const int rc = checkOutputFile(output, options.force, {qs(a.base)})) return rc;
    CliSession session(options);
    AppState state;
    if (!a.base.empty())
        if (const int rc = openFile(state, session.prompt(), qs(a.base))) return rc;
    const int code = kSets.at(a.set);
    if (const int rc =
            checkItems(transferPlan(code, a.range.first, a.range.last), state.gCurrentData))
        return rc;
    catchStopSignals();
    if (const int rc = session.open()) return rc;
    CliHost host(a.range);
    DataTransfers transfers(state, session.link(), session.prompt(), host);
    state.gUploadNOW = generalDateNow();
    const TransferOutcome o = transfers.ProcessData(code);
    const bool save = o.complete() || (a.partial && o.kind == TransferOutcome::Kind::Failed);
    const int rc = transferExit(o, "read",
                                save ? QString()
                                     : QStringLiteral("; %1 was not written (--partial saves "
                                                      "what was read)")
                                           .arg(output));
    if (!save) return rc;
    state.gCurrentData.Version = state.gProgramVersion;
    QString error;
    if (!writeSetupFile(output, state.gCurrentData, &error)) {
        say(error);
        return kExitFile;
    }
    return rc;
}

int runDownload(const CliOptions& options, DataArgs a) {
    if (const int rc = checkLabels(a)) return rc;
    CliPrompt prompt(options.retries, options.yes);
    AppState state;
    if (const int rc = openFile(state, prompt, qs(a.file))) return rc;
    const int code = kSets.at(a.set) + 10;
    // Everything that can refuse the download does so before the port opens.
    const TransferPlan plan = transferPlan(code, a.range.first, a.range.last);
    if (const int rc = checkItems(plan, state.gCurrentData)) return rc;
    const QString foreign =
        DataTransfers::foreignAddresses(plan, state.gCurrentData, state.gDefaultData);
    CliHost host(a.range, a.anyAddress);
    if (!foreign.isEmpty() && !host.acceptForeignAddresses(prompt, foreign)) return kExitRefused;
    if (!DataTransfers::AskDownload(prompt))
        return refuse(QStringLiteral("nothing was sent; --yes answers the question."));
    catchStopSignals();
    CliSession session(options);
    if (const int rc = session.open()) return rc;
    DataTransfers transfers(state, session.link(), session.prompt(), host);
    transfers.setVerifyDownloads(a.verify);
    const TransferOutcome o = transfers.ProcessData(code);
    const int rc = transferExit(o, "written");
    return rc == kExitOk ? readBackExit(o, a.verify) : rc;
}

// "-o -" writes the export to standard output, as a pipe expects.
int exportToStdout(const AppState& state) {
    const QByteArray text =
        shiftExportText(state.gCurrentData, state.gFileNameTitle, state.gUploadNOW);
    if (std::fwrite(text.constData(), 1, size_t(text.size()), stdout) != size_t(text.size()) ||
        std::fflush(stdout) != 0) {
        say(QStringLiteral("standard output: %1")
                .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return kExitFile;
    }
    return kExitOk;
}

int runExport(const CliOptions& options, const DataArgs& a) {
    const QString output = qs(a.output);
    const bool toStdout = output == QLatin1String("-");
    if (!toStdout)
        if (const int rc = checkOutputFile(output, options.force, {qs(a.file)})) return rc;
    CliPrompt prompt(0, options.yes);
    AppState state;
    if (const int rc = openFile(state, prompt, qs(a.file))) return rc;
    if (toStdout) return exportToStdout(state);
    NamedFile chooser(output);
    SystemClock clock;
    RSComm offline(prompt, clock, QString());
    CliHost host(LabelRange{});
    DataTransfers transfers(state, offline, prompt, host);
    return ExportShiftData(state, prompt, chooser, transfers) ? kExitOk : kExitFile;
}

int runDump(const DataArgs& a) {
    QString error;
    const std::optional<SetupData> d = readSetupFile(qs(a.file), &error);
    if (!d) {
        say(error);
        return kExitFile;
    }
    std::printf("%s\n", qPrintable(d->Version));
    const size_t n = std::max(d->Address.size(), d->Value.size());
    for (size_t i = 0; i < n; ++i) {
        const QString address = i < d->Address.size() ? d->Address[i] : QString();
        const QString value = i < d->Value.size() ? QString::number(d->Value[i]) : QString();
        std::printf("%zu\t%s\t%s\n", i, qPrintable(address), qPrintable(value));
    }
    return kExitOk;
}

// --labels limits the label items of "labels" and of "all".
int diffLabels(DataArgs& a) {
    if (a.labels.empty()) return kExitOk;
    if (a.set != "labels" && a.set != "all")
        return refuse(QStringLiteral("--labels goes with the labels or all set only."));
    if (!parseLabels(qs(a.labels), a.range))
        return refuse(QStringLiteral("--labels needs FIRST-LAST, two label numbers."));
    return kExitOk;
}

int runDownloadChanged(const CliOptions& o, DataArgs& a) {
    if (const int rc = diffLabels(a)) return rc;
    DownloadChangedRequest r{o, kSets.at(a.set), qs(a.file), a.range, a.verify};
    return runDownloadOnlyChanged(r);
}

int runDiffCommand(const CliOptions& o, DataArgs& a, const std::vector<std::string>& files) {
    if (const int rc = diffLabels(a)) return rc;
    DiffRequest r{o, qs(files.at(0)), files.size() > 1 ? qs(files[1]) : QString(), kSets.at(a.set),
                  a.range};
    return runDiff(r);
}

void addSet(CLI::App& c, DataArgs& a) {
    c.add_option("SET", a.set, "setup, shift, labels or all")
        ->required()
        ->check(CLI::IsMember({"setup", "shift", "labels", "all"}));
}

void addLabels(CLI::App& c, DataArgs& a) {
    c.add_option("--labels", a.labels,
                 "FIRST-LAST: the labels of the labels set (default 0-99; clamped to 0-99)");
}

} // namespace

void addDataCommands(CLI::App& app, CliOptions& o) {
    auto up = std::make_shared<DataArgs>();
    CLI::App* upload = addCommand(
        app, "upload",
        "Upload a data set from the board into the defaults, or into the --base set-up file, "
        "and save the result as a set-up file. A transfer with failed items saves nothing "
        "unless --partial is given.",
        "kalvex-cli --device /dev/ttyUSB0 upload all -o machine1.sdt");
    addSet(*upload, *up);
    upload->add_option("-o,--output", up->output, "The set-up file to write")->required();
    upload->add_option("--base", up->base, "Start from this set-up file instead of the defaults");
    addLabels(*upload, *up);
    upload->add_flag("--partial", up->partial, "Save what was read even when items failed");
    onCommand(*upload, o, [&o, up] { return runUpload(o, *up); });

    auto down = std::make_shared<DataArgs>();
    CLI::App* download =
        addCommand(app, "download",
                   "Download a data set of a set-up file to the board. Asks first: needs --yes.",
                   "kalvex-cli --device /dev/ttyUSB0 --yes download setup machine1.sdt");
    addSet(*download, *down);
    download->add_option("FILE", down->file, "The set-up file to send")->required();
    addLabels(*download, *down);
    download->add_flag("--any-address", down->anyAddress,
                       "Also write items whose address differs from the tag map");
    download->add_flag("--only-changed", down->onlyChanged,
                       "Read the set first and write only the items that differ");
    download->add_flag("--verify", down->verify,
                       "Read back what was written, after the last write; a difference fails");
    onCommand(*download, o, [&o, down] {
        return down->onlyChanged ? runDownloadChanged(o, *down) : runDownload(o, *down);
    });

    auto diff = std::make_shared<DataArgs>();
    auto files = std::make_shared<std::vector<std::string>>();
    diff->set = "all";
    CLI::App* diffCmd = addCommand(
        app, "diff",
        "List the items in which a set-up file differs from the board, or from another set-up "
        "file (no board needed): index, address, name and both values, tab-separated. Exit 0 "
        "when equal, 4 when they differ.",
        "kalvex-cli --device /dev/ttyUSB0 diff machine1.sdt --set setup");
    diffCmd->add_option("FILE", *files, "One set-up file (against the board) or two")
        ->required()
        ->expected(1, 2);
    diffCmd->add_option("--set", diff->set, "setup, shift, labels or all (default all)")
        ->check(CLI::IsMember({"setup", "shift", "labels", "all"}));
    addLabels(*diffCmd, *diff);
    onCommand(*diffCmd, o, [&o, diff, files] { return runDiffCommand(o, *diff, *files); });

    auto ex = std::make_shared<DataArgs>();
    CLI::App* exportCmd = addCommand(app, "export", "Write the shift data export of a set-up file.",
                                     "kalvex-cli export machine1.sdt -o shift.txt");
    exportCmd->add_option("FILE", ex->file, "The set-up file")->required();
    exportCmd
        ->add_option("-o,--output", ex->output, "The text file to write; - for standard output")
        ->required();
    onCommand(*exportCmd, o, [&o, ex] { return runExport(o, *ex); });

    auto du = std::make_shared<DataArgs>();
    CLI::App* dump = addCommand(
        app, "dump",
        "Print the version, then index, address and value of every item of a set-up file.",
        "kalvex-cli dump machine1.sdt");
    dump->add_option("FILE", du->file, "The set-up file")->required();
    onCommand(*dump, o, [du] { return runDump(*du); });
}

} // namespace kalvex::cli
