// kalvex-cli: scripted service work on the target board over the same link as KALVEX.
#include "cli/BoardCommands.h"
#include "cli/CommandTree.h"
#include "cli/DataCommands.h"
#include "cli/HistoryCommand.h"
#include "cli/LinkCommands.h"
#include "cli/PlsCommands.h"
#include "cli/ProgramCommands.h"
#include "cli/ReportCommand.h"
#include "link/NetworkPort.h"
#include "sim/PtyServer.h"

#include <CLI/CLI.hpp>
#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string_view>

using namespace kalvex::cli;

namespace {

const char* kFooter = R"(Options are accepted before or after the command; "--" ends them.
Run "kalvex-cli help COMMAND" or "kalvex-cli COMMAND --help" for a command's usage.
Exit codes: 0 success, 1 refused input or declined, 2 communication failure, 3 file error,
4 diff found differences, 130/143 transfer stopped by SIGINT/SIGTERM.)";

// Usage lines name the whole command: "kalvex-cli pls setpoint [OPTIONS] CHAN ON OFF [clear]".
class UsageFormatter : public CLI::Formatter {
  public:
    std::string make_usage(const CLI::App* app, std::string name) const override {
        for (const CLI::App* p = app->get_parent(); p; p = p->get_parent())
            name = p->get_name() + " " + name;
        return Formatter::make_usage(app, name);
    }
    std::string usage(const CLI::App* app) const { return make_usage(app, app->get_name()); }
};

void addGlobalOptions(CLI::App& app, CliOptions& o) {
    app.add_option("--device", o.device,
                   "Use the serial device PATH instead of the port number in RSPort.cfg; "
                   "rfc2217://HOST:PORT or socket://HOST:PORT for a device server")
        ->type_name("PATH")
        ->check([](const std::string& s) {
            if (s.empty()) return std::string("--device needs a device path");
            QString why;
            const QString d = QString::fromStdString(s);
            if (kalvex::isNetworkDevice(d) && !kalvex::parseNetworkDevice(d, &why))
                return why.toStdString();
            return std::string();
        });
    app.add_option("--home", o.home,
                   "Program folder holding support/ (default: the folder of this program)")
        ->type_name("DIR");
    app.add_flag("--simulate", o.simulate, "Talk to the built-in board simulator");
    app.add_option("--retries", o.retries,
                   "Answer a communication Retry/Cancel box Retry N times, then Cancel")
        ->type_name("N")
        ->check(CLI::NonNegativeNumber);
    app.add_flag("--yes", o.yes, "Answer Yes to questions (a download, another file version)");
    app.add_flag("--force", o.force, "Replace an existing output file");
    app.add_option("--baud", o.baud, "Simulator: pace bytes at the wire time of 9600 or 19200 baud")
        ->type_name("N")
        ->check(CLI::IsMember({9600, 19200}));
    app.add_option("--state", o.stateFile, "Simulator: set the board from a state file")
        ->type_name("FILE");
    app.add_option("--trace", o.traceFile,
                   "Append every byte exchange with the board (sent, reply, time) to FILE")
        ->type_name("FILE");
    auto* quiet = app.add_flag("-q,--quiet", o.quiet,
                               "Print only errors, warnings and questions: no progress or notes");
    app.add_flag("-v,--verbose", o.verbose,
                 "Also print the port opened and how long each transfer took")
        ->excludes(quiet);
    app.add_option("--format", o.format,
                   "text (default) or json: read, info, ports, diff print one JSON document")
        ->type_name("FORMAT")
        ->check(CLI::IsMember({"text", "json"}));
}

// help [COMMAND [SUBCOMMAND]]: the usage of the program or of one command.
void addHelpCommand(CLI::App& app, CliOptions& o) {
    auto words = std::make_shared<std::vector<std::string>>();
    CLI::App* help = addCommand(app, "help", "Print the usage of the program or of one command.",
                                "kalvex-cli help upload");
    help->add_option("COMMAND", *words, "The command (and PLS command)");
    onCommand(*help, o, [&app, words] {
        const CLI::App* target = &app;
        for (const std::string& w : *words) {
            try {
                target = const_cast<CLI::App*>(target)->get_subcommand(w);
            } catch (const CLI::OptionNotFound&) {
                say(QStringLiteral("no command \"%1\"; try 'kalvex-cli --help'.").arg(qs(w)));
                return int(kExitRefused);
            }
        }
        // Straight to the formatter: App::help would prefix the "help" command's own path.
        std::cout << target->get_formatter()->make_help(target, target->get_name(),
                                                        CLI::AppFormatMode::Normal);
        return int(kExitOk);
    });
}

// The deepest command named on the command line, for the usage line of an error.
const CLI::App* chosenCommand(const CLI::App& app) {
    const CLI::App* c = &app;
    while (!c->get_subcommands().empty())
        c = c->get_subcommands().front();
    return c;
}

} // namespace

int main(int argc, char** argv) {
    // Parsing needs no Qt; the report, which draws text, needs a QGuiApplication instead.
    std::unique_ptr<QCoreApplication> qapp;
    const auto startQt = [&](bool gui) {
        qapp = gui ? makeReportApplication(argc, argv)
                   : std::make_unique<QCoreApplication>(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("kalvex-cli"));
        QCoreApplication::setApplicationVersion(QStringLiteral(KALVEX_VERSION));
    };
    // A write past the file-size limit fails with EFBIG and is reported, instead of killing us.
    std::signal(SIGXFSZ, SIG_IGN);

    CLI::App app{"KALVEX service tool for the P9100 board.", "kalvex-cli"};
    app.set_version_flag("--version", "KALVEX_R" KALVEX_VERSION,
                         "Print the version, as saved files carry it");
    app.fallthrough(); // every command accepts the global options after its name too
    app.require_subcommand(1);
    app.footer(kFooter);
    auto usage = std::make_shared<UsageFormatter>();
    app.formatter(usage);
    CliOptions options;
    addGlobalOptions(app, options);

    // The commands, one registration each.
    addLinkCommands(app, options);
    addDataCommands(app, options);
    addPlsCommands(app, options);
    addProgramCommands(app, options);
    addReportCommand(app, options);
    addBoardCommands(app, options);
    addHistoryCommand(app, options);
    addHelpCommand(app, options);

    // For the build: the completion script the package installs, and the list the manual's
    // check reads. Not options of any command, so kept out of the parser.
    if (argc == 2 && std::string_view(argv[1]) == "--bash-completion") {
        printBashCompletion(app, std::cout);
        return kExitOk;
    }
    if (argc == 2 && std::string_view(argv[1]) == "--command-tree") {
        printCommandTree(app, std::cout);
        return kExitOk;
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << chosenCommand(app)->help();
        return kExitOk;
    } catch (const CLI::CallForVersion&) {
        std::cout << "KALVEX_R" KALVEX_VERSION "\n";
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        // CLI11 calls an unknown first word a missing subcommand; say what it is.
        const std::vector<std::string> rest = app.remaining();
        if (app.get_subcommands().empty() && !rest.empty() && rest.front().rfind('-', 0) != 0)
            say(QStringLiteral("unknown command \"%1\"").arg(qs(rest.front())));
        else
            say(QString::fromStdString(e.what()));
        std::cerr << usage->usage(chosenCommand(app)) << "Try 'kalvex-cli --help'.\n";
        return kExitRefused;
    }
    setVerbosity(options.quiet     ? Verbosity::Quiet
                 : options.verbose ? Verbosity::Verbose
                                   : Verbosity::Normal);
    startQt(app.got_subcommand("report"));
    return options.action ? options.action() : int(kExitRefused);
}
