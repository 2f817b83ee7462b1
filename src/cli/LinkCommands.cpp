#include "cli/LinkCommands.h"

#include "cli/CliInput.h"
#include "cli/JsonOut.h"
#include "cli/StopSignals.h"
#include "link/PortProbe.h"
#include "link/TextNumber.h"
#include "sim/PtyServer.h"
#include "sim/Timeline.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>

namespace kalvex::cli {

namespace {

int failed(const char* what, const QString& address, const LinkResult& r) {
    say(QStringLiteral("%1 %2 failed: %3")
            .arg(QLatin1String(what), address, failureText(r.failure)));
    return exitCodeFor(r.failure);
}

int runRead(const CliOptions& options, const QStringList& addresses) {
    if (const int rc = checkAddresses(addresses)) return rc;
    CliSession session(options);
    if (const int rc = session.open()) return rc;
    QJsonObject values; // printed whole, or not at all
    for (const QString& a : addresses) {
        const LinkResult r = session.link().readValue(a);
        if (!r) return failed("read", a, r);
        if (wantsJson(options))
            values.insert(a, double(r.value));
        else
            printLine(QString::number(r.value));
    }
    if (wantsJson(options)) printJson({{QStringLiteral("values"), values}});
    return kExitOk;
}

// The link's own checks of the value (digits only, range, 0 or 1 for a bit) run on a link
// that was never opened, so refused input costs no board traffic, not even on a dead board.
bool valueRefused(const CliOptions& options, const QString& address, const QString& value) {
    CliPrompt prompt(0, options.yes);
    SystemClock clock;
    RSComm offline(prompt, clock, QString());
    return offline.writeValue(address, value).failure == LinkFailure::RefusedInput;
}

int runWrite(const CliOptions& options, const QString& address, const QString& value) {
    if (const int rc = checkAddresses({address})) return rc;
    if (valueRefused(options, address, value)) return kExitRefused;
    CliSession session(options);
    if (const int rc = session.open()) return rc;
    const LinkResult r = session.link().writeValue(address, value);
    return r ? kExitOk : failed("write", address, r);
}

int runInfo(const CliOptions& options) {
    CliSession session(options);
    if (const int rc = session.open()) return rc;
    RSComm& link = session.link();
    const LinkResult rev = link.readValue(QStringLiteral("B8159"));
    if (!rev) return failed("read", QStringLiteral("B8159"), rev);
    const LinkResult fault = link.readValue(QStringLiteral("B8176"));
    if (!fault) return failed("read", QStringLiteral("B8176"), fault);
    const LinkResult spindles = link.readValue(QStringLiteral("B52"));
    if (!spindles) return failed("read", QStringLiteral("B52"), spindles);
    if (wantsJson(options)) {
        printJson({{QStringLiteral("port"), link.port()->deviceName()},
                   {QStringLiteral("lowLatency"), link.port()->lowLatency()},
                   {QStringLiteral("firmwareRevision"), double(rev.value)},
                   {QStringLiteral("faultCode"), double(fault.value)},
                   {QStringLiteral("faultText"),
                    fault.value == 0 ? QString() : link.FaultDescription(int(fault.value))},
                   {QStringLiteral("spindles"), double(spindles.value)}});
        return kExitOk;
    }
    printLine(QStringLiteral("Port: %1 (low latency: %2)")
                  .arg(link.port()->deviceName(), link.port()->lowLatency()
                                                      ? QStringLiteral("on")
                                                      : QStringLiteral("not available")));
    printLine(QStringLiteral("Firmware revision: %1").arg(rev.value));
    printLine(fault.value == 0
                  ? QStringLiteral("Fault code: 0 (no fault)")
                  : QStringLiteral("Fault code: %1").arg(link.FaultDescription(int(fault.value))));
    printLine(QStringLiteral("Spindles: %1").arg(spindles.value));
    return kExitOk;
}

// Waits for a stop signal until `until`: the signal, or 0 when the time came first.
int waitForStop(const sigset_t& signals, std::chrono::steady_clock::time_point until) {
    using namespace std::chrono;
    for (;;) {
        const auto left = until - steady_clock::now();
        if (left <= nanoseconds(0)) return 0;
        const auto ns = duration_cast<nanoseconds>(left).count();
        const timespec wait{time_t(ns / 1'000'000'000), long(ns % 1'000'000'000)};
        const int sig = sigtimedwait(&signals, nullptr, &wait);
        if (sig > 0) return sig;
        if (errno == EAGAIN) return 0;
    }
}

int runSim(const CliOptions& options, const QString& timelinePath) {
    // Block the stop signals before the server thread starts, so only sigwait sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QString error;
    std::vector<sim::TimelineStep> steps;
    if (!timelinePath.isEmpty()) {
        auto timeline = sim::loadTimeline(timelinePath, &error);
        if (!timeline) {
            say(QStringLiteral("simulator: ") + error);
            return kExitFile;
        }
        steps = std::move(*timeline);
    }
    auto server = sim::startSimulator(options.baud, qs(options.stateFile), &error);
    if (!server) {
        say(QStringLiteral("simulator: ") + error);
        return kExitFile;
    }
    printLine(server->slavePath());
    const auto start = std::chrono::steady_clock::now();
    for (const sim::TimelineStep& step : steps) {
        if (waitForStop(stopSignals, start + std::chrono::milliseconds(step.atMs)) != 0) {
            server->stop();
            return kExitOk;
        }
        server->withBoard([&step](sim::Board& b) { sim::applySimCommand(b, step.command); });
        note(QStringLiteral("simulator: %1 ms: %2").arg(step.atMs).arg(step.text));
    }
    int sig = 0;
    sigwait(&stopSignals, &sig);
    server->stop();
    return kExitOk;
}

// The serial ports, and with `probe` where the board answers; devices named on the command line
// replace the enumerated list. A stop signal ends the search between two probes.
QJsonObject portJson(const PortCandidate& p) {
    QJsonObject o{{QStringLiteral("device"), p.device},
                  {QStringLiteral("description"), p.description},
                  {QStringLiteral("usb"), p.usb}};
    if (p.portNumber > 0) o.insert(QStringLiteral("portNumber"), p.portNumber);
    return o;
}

// The serial ports, and with `probe` where the board answers; devices named on the command line
// replace the enumerated list. A stop signal ends the search between two probes.
int runPorts(bool probe, const QStringList& devices, bool json) {
    std::vector<PortCandidate> ports;
    for (const QString& d : devices)
        ports.push_back(candidateFor(d));
    if (devices.isEmpty()) ports = listSerialPorts();
    QJsonArray listed;
    for (const PortCandidate& p : ports)
        if (json)
            listed.append(portJson(p));
        else
            printLine(candidateLine(p));
    if (ports.empty() && !json) printLine(QStringLiteral("no serial ports found"));
    if (!probe) {
        if (json) printJson({{QStringLiteral("ports"), listed}});
        return kExitOk;
    }
    catchStopSignals();
    BoardSearch search(ports, QString());
    while (!search.done()) {
        if (stopSignal()) {
            say(QStringLiteral("stopped: every port probed so far is closed again"));
            return stopExitCode();
        }
        const QString line = probeResultText(search.step());
        if (!json) printLine(line);
    }
    if (!search.found()) {
        say(QStringLiteral("no board answered on any port"));
        return kExitComm;
    }
    if (json) {
        printJson({{QStringLiteral("ports"), listed},
                   {QStringLiteral("found"),
                    QJsonObject{{QStringLiteral("device"), search.found()->port.device},
                                {QStringLiteral("baud"), search.found()->baud}}}});
        return kExitOk;
    }
    printLine(QStringLiteral("board found: %1 at %2")
                  .arg(search.found()->port.device)
                  .arg(search.found()->baud));
    return kExitOk;
}

QStringList qsList(const std::vector<std::string>& words) {
    QStringList out;
    for (const std::string& w : words)
        out << qs(w);
    return out;
}

} // namespace

void addLinkCommands(CLI::App& app, CliOptions& o) {
    auto addresses = std::make_shared<std::vector<std::string>>();
    CLI::App* read = addCommand(app, "read",
                                "Print the value of each board address on its own line "
                                "(B2088, W112, D1100, F825, B1016.0, 1F40H).",
                                "kalvex-cli --device /dev/ttyUSB0 read W112 D1100");
    read->add_option("ADDR", *addresses, "Board addresses")->required();
    onCommand(*read, o, [&o, addresses] { return runRead(o, qsList(*addresses)); });

    auto pair = std::make_shared<std::array<std::string, 2>>();
    CLI::App* write =
        addCommand(app, "write", "Write VALUE, as an operator would type it, to a board address.",
                   "kalvex-cli --device /dev/ttyUSB0 write W1092 650");
    write->add_option("ADDR", (*pair)[0], "Board address")->required();
    write->add_option("VALUE", (*pair)[1], "Value (digits; blanks, commas and dots are dropped)")
        ->required();
    onCommand(*write, o, [&o, pair] { return runWrite(o, qs((*pair)[0]), qs((*pair)[1])); });

    CLI::App* info = addCommand(app, "info",
                                "Print the firmware revision, the fault code with its text and "
                                "the spindle count.",
                                "kalvex-cli --device /dev/ttyUSB0 info");
    onCommand(*info, o, [&o] { return runInfo(o); });

    auto probe = std::make_shared<bool>(false);
    auto devices = std::make_shared<std::vector<std::string>>();
    CLI::App* ports = addCommand(app, "ports",
                                 "List the serial ports (USB adapters by name); with --probe, "
                                 "send one attention byte per port at 9600 and 19200 and say "
                                 "where the board answers. Named DEVICEs (pseudo-terminals, say) "
                                 "replace the list, as KALVEX_PORTS does.",
                                 "kalvex-cli ports --probe");
    ports->add_flag("--probe", *probe, "Probe each port for the board");
    ports->add_option("DEVICE", *devices, "Devices to list or probe instead");
    onCommand(*ports, o,
              [&o, probe, devices] { return runPorts(*probe, qsList(*devices), wantsJson(o)); });

    CLI::App* sim = addCommand(app, "sim",
                               "Run the board simulator on a new pseudo-terminal: prints the "
                               "device path as the first line and serves until interrupted. "
                               "Uses --baud and --state; --timeline replays a command file.",
                               "kalvex-cli sim --state board.state --timeline demo.timeline");
    auto timeline = std::make_shared<std::string>();
    sim->add_option("--timeline", *timeline,
                    "Run the commands of FILE at their times (lines like \"at 5s alarm 3 on\")")
        ->option_text("FILE");
    onCommand(*sim, o, [&o, timeline] { return runSim(o, qs(*timeline)); });
}

} // namespace kalvex::cli
