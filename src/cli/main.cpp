// kalvex-cli: scripted service work on the target board over the same link as KALVEX.
#include "DataCommands.h"
#include "LinkCommands.h"
#include "PlsCommands.h"
#include "ProgramCommands.h"
#include "PtyServer.h"
#include "ReportCommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

using namespace kalvex::cli;

namespace {

const char* kCommands = R"(Commands:
  read ADDR...             Print the value of each board address on its own line
                           (B2088, W112, D1100, F825, B1016.0, 1F40H).
  write ADDR VALUE         Write VALUE, as typed, to a board address.
  info                     Print the firmware revision, the fault code with its text
                           and the spindle count.
  sim                      Run the board simulator on a new pseudo-terminal: prints the
                           device path as the first line and serves until interrupted.
                           Uses --baud and --state.
  upload SET -o FILE.sdt [--labels FIRST-LAST] [--base FILE.sdt]
                           Upload a data set (setup, shift, labels or all) from the
                           board into the defaults, or into the --base set-up file,
                           and save the result as a set-up file. --labels picks the
                           labels of the labels set (default 0-99).
  download SET FILE.sdt [--labels FIRST-LAST]
                           Download a data set of a set-up file to the board.
  export FILE.sdt -o FILE.txt
                           Write the shift data export of a set-up file.
  dump FILE.sdt            Print the version, then index, address and value of
                           every item of a set-up file.
  report FILE.sdt -o OUT.pdf [--sections setup,shift,labels] [--labels FIRST-LAST]
         [--paper letter|a4]
                           Write the printed report of a set-up file as PDF: the
                           chosen sections (default all) and labels (0-450, labels
                           above 99 are not printed; default all).
  pls [status]             Print the PLS scale factor, offset, position and speed.
  pls setpoint CHAN ON OFF [clear]
                           Program one on/off setpoint pair (in divisions) on a PLS
                           channel; "clear" clears the channel first.
  pls pulse CHAN ON OFF START
                           Program a pulse train of ON and OFF divisions from START.
  pls clear CHAN           Clear a PLS channel.
  pls recall CHAN          Print a PLS channel's recalled state and position.
  pls offset POSITION      Set the PLS offset so that the position now is POSITION.
  pls upload-config        Print the 19 PLS configuration bytes.
  pls download-config WORD V0 ... V23
                           Send the 24 PLS configuration entries and the word.
  program check FILE.ovp   Check a program file set as a download would, without a
                           board: board type, ident, revision, checksum, validity.
  program download FILE.ovp [--yes]
                           Download the program to the board; --yes confirms.
  program upload FILE.ovp [--force]
                           Upload the board's program into the rev, lcf and hex files
                           of the set; --force replaces existing files.

Options go before the command; a command's own options follow it.
Exit codes: 0 success, 1 refused input, 2 communication failure, 3 file error.)";

void addOptions(QCommandLineParser& p) {
    p.setApplicationDescription(QStringLiteral("KALVEX service tool for the P9100 board."));
    p.addHelpOption();
    p.addVersionOption();
    p.addOptions({
        {QStringLiteral("device"),
         QStringLiteral("Use the serial device PATH instead of the "
                        "port number in RSPort.cfg."),
         QStringLiteral("PATH")},
        {QStringLiteral("home"),
         QStringLiteral("Program folder holding support/ (default: the "
                        "folder of this program)."),
         QStringLiteral("DIR")},
        {QStringLiteral("simulate"), QStringLiteral("Talk to the built-in board simulator.")},
        {QStringLiteral("retries"),
         QStringLiteral("Answer a communication Retry/Cancel box Retry N times, then Cancel."),
         QStringLiteral("N"), QStringLiteral("0")},
        {QStringLiteral("yes"), QStringLiteral("Answer Yes to questions.")},
        {QStringLiteral("baud"),
         QStringLiteral("Simulator: pace bytes at the wire time of 9600 or 19200 baud."),
         QStringLiteral("N")},
        {QStringLiteral("state"), QStringLiteral("Simulator: set the board from a state file."),
         QStringLiteral("FILE")},
    });
    p.addPositionalArgument(QStringLiteral("command"), QString::fromUtf8(kCommands));
}

// The simulator's own options, which may follow the command.
bool simOptions(const QStringList& args, CliOptions& o) {
    for (qsizetype i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--state"))
            o.stateFile = args[i + 1];
        else if (args[i] == QLatin1String("--baud"))
            o.baud = args[i + 1].toInt();
        else
            return false;
    }
    return args.size() % 2 == 0 && (o.baud == 0 || kalvex::sim::isWireSpeed(o.baud));
}

int usage(const QString& message) {
    std::fprintf(stderr, "%s\nTry 'kalvex-cli --help'.\n", qPrintable(message));
    return kExitRefused;
}

// The report draws text and needs a QGuiApplication; the other commands need QtCore only.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser p;
    addOptions(p);
    p.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (p.parse(args) && p.positionalArguments().value(0) == QLatin1String("report"))
        return makeReportApplication(argc, argv);
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace

int main(int argc, char** argv) {
    const std::unique_ptr<QCoreApplication> application = makeApplication(argc, argv);
    QCoreApplication& app = *application;
    QCoreApplication::setApplicationName(QStringLiteral("kalvex-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KALVEX_VERSION));
    QCommandLineParser parser;
    addOptions(parser);
    // Options before the command are the program's; what follows the command belongs to it,
    // so a negative value ("write W50 -5") reaches the link as typed.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    parser.process(app);

    CliOptions o;
    o.device = parser.value(QStringLiteral("device"));
    o.home = parser.value(QStringLiteral("home"));
    o.simulate = parser.isSet(QStringLiteral("simulate"));
    o.yes = parser.isSet(QStringLiteral("yes"));
    o.stateFile = parser.value(QStringLiteral("state"));
    bool ok = true;
    o.retries = parser.value(QStringLiteral("retries")).toInt(&ok);
    if (!ok || o.retries < 0)
        return usage(QStringLiteral("--retries needs a whole number of 0 or more."));
    if (parser.isSet(QStringLiteral("baud"))) {
        o.baud = parser.value(QStringLiteral("baud")).toInt(&ok);
        if (!ok || !kalvex::sim::isWireSpeed(o.baud))
            return usage(QStringLiteral("--baud must be 9600 or 19200."));
    }

    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    if (command == QLatin1String("read") && args.size() >= 2) return runRead(o, args.mid(1));
    if (command == QLatin1String("write") && args.size() == 3) return runWrite(o, args[1], args[2]);
    if (command == QLatin1String("info") && args.size() == 1) return runInfo(o);
    if (command == QLatin1String("sim")) {
        if (!simOptions(args.mid(1), o))
            return usage(QStringLiteral("sim takes --baud 9600|19200 and --state FILE."));
        return runSim(o);
    }
    if (command.isEmpty()) return usage(QStringLiteral("No command given."));
    if (command == QLatin1String("upload")) return runUpload(o, args.mid(1));
    if (command == QLatin1String("download")) return runDownload(o, args.mid(1));
    if (command == QLatin1String("export")) return runExport(o, args.mid(1));
    if (command == QLatin1String("pls")) return runPls(o, args.mid(1));
    if (command == QLatin1String("program")) return runProgram(o, args.mid(1));
    if (command == QLatin1String("dump")) return runDump(args.mid(1));
    if (command == QLatin1String("report")) return runReport(o, args.mid(1));
    return usage(QStringLiteral("Unknown command or wrong arguments: %1").arg(args.join(u' ')));
}
