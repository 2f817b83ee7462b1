#include "cli/ProgramCommands.h"

#include <CLI/CLI.hpp>

#include "cli/StopSignals.h"
#include "data/program/ProgramDownload.h"
#include "data/program/ProgramFiles.h"
#include "data/program/ProgramUpload.h"
#include "link/ProgramTransfer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>
#include <unistd.h>

namespace kalvex::cli {

namespace {

// DownloadFile with the CLI's exit codes: 3 when the .ovp cannot be used as a file.
int selectProgram(ProgramFileSet& files, const QString& ovp) {
    files.DownloadFile(ovp);
    if (files.refusal() != ProgramFileSet::Refusal::FileError) return kExitOk;
    const QFileInfo info(ovp);
    say(QDir::toNativeSeparators(ovp) +
        (!info.isFile()     ? QStringLiteral(": the program file does not exist.")
         : info.size() == 0 ? QStringLiteral(": the program file is empty.")
                            : QStringLiteral(": the program file cannot be read.")));
    return kExitFile;
}

void printProgram(const ProgramFileSet& f, bool valid) {
    std::printf("Board type: %s\nBoard: %s\nIdent: %s\nRevision: %s\nChecksum: %s\n",
                qPrintable(QString(QChar(char16_t(f.boardType())))), qPrintable(f.boardName()),
                qPrintable(f.ident()), qPrintable(f.revision()), qPrintable(f.checksum()));
    if (isConfigurationBoard(f.boardType()))
        std::printf("Configuration: A=%d B=%d C=%d\n", f.config().a, f.config().b, f.config().c);
    std::printf("Valid: %s\n", valid ? "yes" : "no");
}

int hexExitCode(const HexFile& hex) {
    if (hex.status == HexFile::Status::Ok) return kExitOk;
    if (!hex.why.isEmpty()) say(hex.why);
    return hex.status == HexFile::Status::Invalid ? kExitRefused : kExitFile;
}

int downloadExitCode(ProgramDownload::Outcome o) {
    using O = ProgramDownload::Outcome;
    switch (o) {
    case O::Complete:
        return kExitOk;
    case O::FileError:
        return kExitFile;
    case O::CommFailure:
    case O::ChecksumError:
    case O::NoExitAck:
        return kExitComm;
    case O::Interrupted:
        return stopExitCode();
    default:
        return kExitRefused;
    }
}

// Steps the run to its end: a progress line on stderr when that is a terminal, and a stop
// signal taken at the run's next safe point.
void runWithProgress(ProgramRun& run, ProgramTransfer& t, const char* verb) {
    const bool tty = isatty(STDERR_FILENO) && verbosity() != Verbosity::Quiet;
    QElapsedTimer took;
    took.start();
    if (stopSignal() != 0) run.requestStop();
    run.runToEnd([&] {
        if (stopSignal() != 0) run.requestStop();
        if (tty)
            std::fprintf(stderr, "\r%s Program Address: %-6s", verb,
                         qPrintable(t.CurrentProgramAdd()));
    });
    if (tty) std::fprintf(stderr, "\n");
    detail(QStringLiteral("%1 ended at program address %2 after %3 s")
               .arg(QLatin1String(verb), t.CurrentProgramAdd())
               .arg(double(took.elapsed()) / 1000.0, 0, 'f', 1));
}

} // namespace

int runProgramCheck(const QString& ovp) {
    CliPrompt prompt;
    ProgramFileSet files(prompt);
    if (const int rc = selectProgram(files, ovp)) return rc;
    int rc = files.ValidProgram() ? kExitOk : kExitRefused;
    if (rc == kExitOk) rc = hexExitCode(loadProgramHex(files.names().hex, prompt));
    printProgram(files, rc == kExitOk);
    return rc;
}

int runProgramDownload(const CliOptions& options, const QString& ovp) {
    CliSession session(options);
    ProgramFileSet files(session.prompt());
    if (const int rc = selectProgram(files, ovp)) return rc;
    if (!files.ValidProgram()) return kExitRefused;
    catchStopSignals();
    if (const int rc = session.open()) return rc;
    SystemClock clock;
    ProgramTransfer transfer(session.link(), clock);
    ProgramDownload run(transfer, files, session.prompt());
    runWithProgress(run, transfer, "Writing to");
    if (run.outcome() == ProgramDownload::Outcome::Invalid)
        hexExitCode(readHexFile(files.names().hex)); // says which line
    return downloadExitCode(run.outcome());
}

int runProgramUpload(const CliOptions& options, const QString& ovp, bool force) {
    CliSession session(options);
    ProgramFileSet files(session.prompt());
    if (!files.UploadFile(ovp)) return kExitFile;
    const ProgramFileNames& n = files.names();
    QStringList outputs{n.rev, n.hex};
    if (isConfigurationBoard(files.boardType())) outputs << n.lcf;
    for (const QString& out : outputs) {
        if (QFileInfo::exists(out) && !force) {
            say(QDir::toNativeSeparators(out) +
                QStringLiteral(" exists; use --force to replace it."));
            return kExitFile;
        }
    }
    catchStopSignals();
    if (const int rc = session.open()) return rc;
    SystemClock clock;
    ProgramTransfer transfer(session.link(), clock);
    transfer.setState(ProgramState::UploadRequested);
    ProgramUpload run(transfer, files, session.prompt());
    runWithProgress(run, transfer, "Reading From");
    switch (run.outcome()) {
    case ProgramUpload::Outcome::Complete:
        return kExitOk;
    case ProgramUpload::Outcome::Interrupted:
        return stopExitCode();
    case ProgramUpload::Outcome::FileError:
        return kExitFile;
    default:
        return kExitComm;
    }
}

void addProgramCommands(CLI::App& app, CliOptions& o) {
    CLI::App* program = addCommand(app, "program", "Check, download or upload a board program.",
                                   "kalvex-cli program check LINE1.ovp");
    program->require_subcommand(1);
    auto ovp = std::make_shared<std::string>();
    const auto sub = [&](const char* name, const char* what, const char* example) {
        CLI::App* c = addCommand(*program, name, what, example);
        c->add_option("FILE", *ovp, "The program file (.ovp) of the set")->required();
        return c;
    };
    onCommand(*sub("check", "Check a program file set as a download would; no board needed.",
                   "kalvex-cli program check LINE1.ovp"),
              o, [ovp] { return runProgramCheck(qs(*ovp)); });
    onCommand(*sub("download", "Download the program to the board; --yes confirms.",
                   "kalvex-cli --device /dev/ttyUSB0 program download LINE1.ovp --yes"),
              o, [&o, ovp] { return runProgramDownload(o, qs(*ovp)); });
    onCommand(*sub("upload",
                   "Upload the board's program into the rev, lcf and hex files of the set; "
                   "--force replaces existing files.",
                   "kalvex-cli --device /dev/ttyUSB0 program upload BACKUP.ovp"),
              o, [&o, ovp] { return runProgramUpload(o, qs(*ovp), o.force); });
}

} // namespace kalvex::cli
