#include "ProgramCommands.h"

#include "link/ProgramTransfer.h"
#include "maintenance/ProgramDownload.h"
#include "maintenance/ProgramFiles.h"
#include "maintenance/ProgramUpload.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <unistd.h>

namespace kalvex::cli {

namespace {

int refuse(const QString& message) {
    std::fprintf(stderr, "%s\nTry 'kalvex-cli --help'.\n", qPrintable(message));
    return kExitRefused;
}

// DownloadFile with the CLI's exit codes: 3 when the .ovp cannot be used as a file.
int selectProgram(ProgramFileSet& files, const QString& ovp) {
    files.DownloadFile(ovp);
    if (files.refusal() != ProgramFileSet::Refusal::FileError) return kExitOk;
    const QFileInfo info(ovp);
    std::fprintf(stderr, "%s: %s\n", qPrintable(QDir::toNativeSeparators(ovp)),
                 !info.isFile()     ? "the program file does not exist."
                 : info.size() == 0 ? "the program file is empty."
                                    : "the program file cannot be read.");
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
    if (!hex.why.isEmpty()) std::fprintf(stderr, "%s\n", qPrintable(hex.why));
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
    default:
        return kExitRefused;
    }
}

// A progress line on stderr when that is a terminal.
std::function<void()> progressLine(ProgramTransfer& t, const char* verb) {
    if (!isatty(STDERR_FILENO)) return {};
    return [&t, verb] {
        std::fprintf(stderr, "\r%s Program Address: %-6s", verb, qPrintable(t.CurrentProgramAdd()));
    };
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
    if (const int rc = session.open()) return rc;
    SystemClock clock;
    ProgramTransfer transfer(session.link(), clock);
    ProgramDownload run(transfer, files, session.prompt());
    run.runToEnd(progressLine(transfer, "Writing to"));
    if (isatty(STDERR_FILENO)) std::fprintf(stderr, "\n");
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
            std::fprintf(stderr, "%s exists; use --force to replace it.\n",
                         qPrintable(QDir::toNativeSeparators(out)));
            return kExitFile;
        }
    }
    if (const int rc = session.open()) return rc;
    SystemClock clock;
    ProgramTransfer transfer(session.link(), clock);
    transfer.setInUploadMode(true);
    ProgramUpload run(transfer, files, session.prompt());
    run.runToEnd(progressLine(transfer, "Reading From"));
    if (isatty(STDERR_FILENO)) std::fprintf(stderr, "\n");
    switch (run.outcome()) {
    case ProgramUpload::Outcome::Complete:
        return kExitOk;
    case ProgramUpload::Outcome::FileError:
        return kExitFile;
    default:
        return kExitComm;
    }
}

int runProgram(const CliOptions& options, const QStringList& args) {
    CliOptions o = options;
    bool force = false;
    QStringList words;
    for (const QString& a : args) {
        if (a == QLatin1String("--force"))
            force = true;
        else if (a == QLatin1String("--yes"))
            o.yes = true;
        else
            words << a;
    }
    const QString sub = words.value(0);
    if (words.size() != 2)
        return refuse(QStringLiteral("program takes check|download|upload FILE.ovp."));
    if (force && sub != QLatin1String("upload"))
        return refuse(QStringLiteral("--force goes with program upload only."));
    if (sub == QLatin1String("check")) return runProgramCheck(words[1]);
    if (sub == QLatin1String("download")) return runProgramDownload(o, words[1]);
    if (sub == QLatin1String("upload")) return runProgramUpload(o, words[1], force);
    return refuse(QStringLiteral("program takes check, download or upload, not '%1'.").arg(sub));
}

} // namespace kalvex::cli
