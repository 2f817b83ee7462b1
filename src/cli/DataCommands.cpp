#include "DataCommands.h"

#include "data/AppState.h"
#include "data/DataTransfers.h"
#include "data/GeneralDate.h"
#include "data/LabelRange.h"
#include "data/SetupFile.h"
#include "data/SetupFileOps.h"
#include "data/ShiftExport.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <utility>

namespace kalvex::cli {

namespace {

struct DataArgs {
    int code = -1;
    QString file;   // the set-up file read (download, export, dump)
    QString output; // -o
    QString base;   // --base
    LabelRange labels{0, 99, false};
    bool labelsGiven = false;
};

int refuse(const QString& message) {
    std::fprintf(stderr, "%s\nTry 'kalvex-cli --help'.\n", qPrintable(message));
    return kExitRefused;
}

int setCode(const QString& word) {
    static const std::pair<const char*, int> sets[] = {{"setup", kUploadSetup},
                                                       {"shift", kUploadShift},
                                                       {"labels", kUploadLabels},
                                                       {"all", kUploadAll}};
    for (const auto& [name, code] : sets)
        if (word == QLatin1String(name)) return code;
    return -1;
}

// "FIRST-LAST" (either may be negative; the dialog's clamping applies) or a single label.
bool parseLabels(const QString& text, LabelRange& range) {
    static const QRegularExpression re(QStringLiteral("^\\s*(-?[^-]+?)\\s*(?:-\\s*(-?[^-]+))?$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch()) return false;
    const QString last = m.captured(2).isEmpty() ? m.captured(1) : m.captured(2);
    range = labelRangeOk(true, m.captured(1), last);
    return !range.cancelled;
}

// Options may come in any order after the command's own words.
int parseArgs(const QStringList& args, int positionals, DataArgs& out, QStringList& words) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool takesValue = a == QLatin1String("-o") || a == QLatin1String("--output") ||
                                a == QLatin1String("--base") || a == QLatin1String("--labels");
        if (!takesValue) {
            words << a;
            continue;
        }
        if (i + 1 >= args.size()) return refuse(QStringLiteral("%1 needs a value.").arg(a));
        const QString v = args[++i];
        if (a == QLatin1String("--base"))
            out.base = v;
        else if (a == QLatin1String("--labels")) {
            out.labelsGiven = true;
            if (!parseLabels(v, out.labels))
                return refuse(QStringLiteral("--labels needs FIRST-LAST, two label numbers."));
        } else
            out.output = v;
    }
    if (words.size() != positionals)
        return refuse(QStringLiteral("Wrong arguments: %1").arg(args.join(u' ')));
    return kExitOk;
}

int parseTransferArgs(const QStringList& args, int positionals, DataArgs& out) {
    QStringList words;
    if (const int rc = parseArgs(args, positionals, out, words)) return rc;
    out.code = setCode(words.value(0));
    if (out.code < 0)
        return refuse(
            QStringLiteral("SET is setup, shift, labels or all, not '%1'.").arg(words.value(0)));
    if (out.labelsGiven && out.code != kUploadLabels)
        return refuse(QStringLiteral("--labels goes with the labels set only."));
    out.file = words.value(1);
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

// The windows of a transfer for a terminal: the range from --labels, progress on stderr.
class CliHost final : public TransferHost {
  public:
    explicit CliHost(const LabelRange& range) : m_range(range) {}
    void switchOnline() override {} // the session is online before any transfer starts
    void showLabelRange(AppState& s) override {
        s.gLabelFirst = m_range.first;
        s.gLabelLast = m_range.last;
        s.gProcessCancelled = false;
    }
    void showProcessing(DataTransfer& t) override {
        const bool tty = isatty(STDERR_FILENO);
        t.runToEnd([tty](const DataTransfer& d) {
            if (tty)
                std::fprintf(stderr, "\r%s %d/%d", qPrintable(d.text()), d.value(), d.maximum());
        });
        if (tty) std::fprintf(stderr, "\n");
        if (t.skipped() > 0)
            std::fprintf(stderr, "%d items without a board address were left out.\n", t.skipped());
    }

  private:
    LabelRange m_range;
};

// Opens a set-up file as File > Open does into `state`; an exit code on failure.
int openFile(AppState& state, Prompt& prompt, const QString& path) {
    QString error;
    std::optional<SetupData> d = readSetupFile(path, &error);
    if (!d) {
        std::fprintf(stderr, "%s\n", qPrintable(error.replace(QStringLiteral("\r\n"), "\n")));
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

} // namespace

int runUpload(const CliOptions& options, const QStringList& args) {
    DataArgs a;
    if (const int rc = parseTransferArgs(args, 1, a)) return rc;
    if (a.output.isEmpty()) return refuse(QStringLiteral("upload needs -o FILE.sdt."));
    CliSession session(options);
    AppState state;
    if (!a.base.isEmpty())
        if (const int rc = openFile(state, session.prompt(), a.base)) return rc;
    if (const int rc = session.open()) return rc;
    CliHost host(a.labels);
    DataTransfers transfers(state, session.link(), session.prompt(), host);
    state.gUploadNOW = generalDateNow();
    transfers.ProcessData(a.code);
    if (session.link().CommError()) return kExitComm; // a partial upload is not saved
    state.gCurrentData.Version = state.gProgramVersion;
    QString error;
    if (!writeSetupFile(a.output, state.gCurrentData, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error.replace(QStringLiteral("\r\n"), "\n")));
        return kExitFile;
    }
    return session.status();
}

int runDownload(const CliOptions& options, const QStringList& args) {
    DataArgs a;
    if (const int rc = parseTransferArgs(args, 2, a)) return rc;
    if (!a.output.isEmpty() || !a.base.isEmpty())
        return refuse(QStringLiteral("download takes SET FILE.sdt [--labels FIRST-LAST]."));
    CliSession session(options);
    AppState state;
    if (const int rc = openFile(state, session.prompt(), a.file)) return rc;
    if (const int rc = session.open()) return rc;
    CliHost host(a.labels);
    DataTransfers transfers(state, session.link(), session.prompt(), host);
    transfers.ProcessData(a.code + 10);
    return session.status();
}

int runExport(const CliOptions& options, const QStringList& args) {
    DataArgs a;
    QStringList words;
    if (const int rc = parseArgs(args, 1, a, words)) return rc;
    if (a.output.isEmpty() || !a.base.isEmpty() || a.labelsGiven)
        return refuse(QStringLiteral("export takes FILE.sdt -o FILE.txt."));
    CliPrompt prompt(0, options.yes);
    AppState state;
    if (const int rc = openFile(state, prompt, words[0])) return rc;
    NamedFile chooser(a.output);
    SystemClock clock;
    RSComm offline(prompt, clock, QString());
    CliHost host(LabelRange{});
    DataTransfers transfers(state, offline, prompt, host);
    return ExportShiftData(state, prompt, chooser, transfers) ? kExitOk : kExitFile;
}

int runDump(const QStringList& args) {
    if (args.size() != 1) return refuse(QStringLiteral("dump takes one FILE.sdt."));
    QString error;
    const std::optional<SetupData> d = readSetupFile(args[0], &error);
    if (!d) {
        std::fprintf(stderr, "%s\n", qPrintable(error.replace(QStringLiteral("\r\n"), "\n")));
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

} // namespace kalvex::cli
