#include "cli/ReportCommand.h"

#include "cli/CliInput.h"
#include "data/AppState.h"
#include "data/DataTransfers.h"
#include "data/FileChooser.h"
#include "data/GeneralDate.h"
#include "data/SetupFile.h"
#include "data/SetupFileOps.h"
#include "report/ReportPdf.h"

#include <CLI/CLI.hpp>
#include <QGuiApplication>
#include <QRegularExpression>
#include <cstdio>
#include <utility>

namespace kalvex::cli {

namespace {

int refuse(const QString& message) {
    say(message);
    return kExitRefused;
}

int fileError(const QString& message) {
    say(message);
    return kExitFile;
}

// The open dialog answered with the one file named on the command line.
class NamedFile final : public FileChooser {
  public:
    explicit NamedFile(QString path) : m_path(std::move(path)) {}
    std::optional<QString> openFile(const QString&, const QString&) override {
        return std::exchange(m_path, std::nullopt);
    }
    std::optional<QString> saveFile(const QString&, const QString&) override {
        return std::nullopt;
    }

  private:
    std::optional<QString> m_path;
};

// File > Open never transfers anything.
class NoTransfers final : public TransferHost {
  public:
    void switchOnline() override {}
    std::optional<LabelRange> askLabelRange() override { return std::nullopt; }
    void showProcessing(DataTransfer&) override {}
};

// The sections as Report Set-up's check boxes; an error text when a word is unknown.
QString applySections(const QStringList& words, ReportOptions& o) {
    if (words.isEmpty()) return {};
    o.setup = o.shift = o.labels = false;
    for (const QString& w : words) {
        const QString word = w.trimmed();
        if (word == QLatin1String("setup"))
            o.setup = true;
        else if (word == QLatin1String("shift"))
            o.shift = true;
        else if (word == QLatin1String("labels"))
            o.labels = true;
        else
            return QStringLiteral("--sections takes setup, shift and labels, not '%1'.").arg(word);
    }
    return {};
}

// "FIRST-LAST" or one label, each as the "from" and "to" fields accept it.
QString applyLabels(const QString& text, ReportOptions& o) {
    if (text.isEmpty()) return {};
    if (!o.labels) return QStringLiteral("--labels goes with the labels section.");
    static const QRegularExpression re(QStringLiteral("^\\s*([^-]+?)\\s*(?:-\\s*([^-]+?)\\s*)?$"));
    const QRegularExpressionMatch m = re.match(text);
    const QString from = m.captured(1);
    const QString to = m.captured(2).isEmpty() ? from : m.captured(2);
    const std::optional<int> first = reportLabelNumber(from);
    const std::optional<int> last = reportLabelNumber(to);
    if (!m.hasMatch() || !first || !last) return kReportLabelRangeText;
    o.allLabels = false;
    o.labelFirst = *first;
    o.labelLast = *last;
    return {};
}

std::optional<QPageSize> pageSize(const QString& paper) {
    if (paper.isEmpty()) return defaultReportPageSize();
    if (paper.compare(QLatin1String("letter"), Qt::CaseInsensitive) == 0)
        return QPageSize(QPageSize::Letter);
    if (paper.compare(QLatin1String("a4"), Qt::CaseInsensitive) == 0)
        return QPageSize(QPageSize::A4);
    return std::nullopt;
}

} // namespace

int runReport(const ReportRequest& r) {
    if (r.file.isEmpty() || r.output.isEmpty())
        return refuse(QStringLiteral("report needs FILE.sdt and -o OUT.pdf."));
    ReportOptions options;
    for (const QString& error :
         {applySections(r.sections, options), applyLabels(r.labels, options)})
        if (!error.isEmpty()) return refuse(error);
    const std::optional<QPageSize> paper = pageSize(r.paper);
    if (!paper) return refuse(QStringLiteral("--paper is letter or a4."));

    if (const int rc = checkOutputFile(r.output, r.force, {r.file})) return rc;
    QString error;
    if (!readSetupFile(r.file, &error)) return fileError(error);
    CliPrompt prompt(0, r.yes);
    AppState state;
    NamedFile chooser(r.file);
    SystemClock clock;
    RSComm offline(prompt, clock, QString()); // never opened: File > Open needs no board
    NoTransfers host;
    DataTransfers transfers(state, offline, prompt, host);
    SetupFileOps(state, prompt, chooser, transfers).Open();
    if (state.gFileUnnamed) return kExitRefused; // another version, and no --yes

    const ReportJob job{state.gCurrentData, options, state.gFileNameCaption, generalDateNow()};
    if (!writeReportPdf(r.output, job, *paper, &error)) return fileError(error);
    return kExitOk;
}

void addReportCommand(CLI::App& app, CliOptions& o) {
    auto r = std::make_shared<ReportRequest>();
    auto file = std::make_shared<std::string>();
    auto output = std::make_shared<std::string>();
    auto sections = std::make_shared<std::string>();
    auto labels = std::make_shared<std::string>();
    auto paper = std::make_shared<std::string>();
    CLI::App* c = addCommand(
        app, "report", "Write the printed report of a set-up file as PDF (no display needed).",
        "kalvex-cli report machine1.sdt -o labels.pdf --sections labels "
        "--labels 20-39");
    c->add_option("FILE", *file, "The set-up file")->required();
    c->add_option("-o,--output", *output, "The PDF file to write")->required();
    c->add_option("--sections", *sections, "setup,shift,labels (default: all three)");
    c->add_option("--labels", *labels, "FIRST-LAST, 0 to 450 (labels above 99 are not printed)");
    c->add_option("--paper", *paper, "letter or a4 (default: the system's usual size)");
    onCommand(*c, o, [&o, r, file, output, sections, labels, paper] {
        r->file = qs(*file);
        r->output = qs(*output);
        r->sections = sections->empty() ? QStringList() : qs(*sections).split(u',');
        r->labels = qs(*labels);
        r->paper = qs(*paper);
        r->yes = o.yes;
        r->force = o.force;
        return runReport(*r);
    });
}

std::unique_ptr<QCoreApplication> makeReportApplication(int& argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace kalvex::cli
