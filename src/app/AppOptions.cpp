#include "app/AppOptions.h"
#include "data/board/BoardSettings.h"
#include "link/NetworkPort.h"
#include "sim/PtyServer.h"

#include <QCommandLineParser>
#include <cstdio>

namespace kalvex::app {

QString versionText() {
    return QStringLiteral("KALVEX_R" KALVEX_VERSION);
}

ParseOutcome parseOptions(const QStringList& arguments, AppOptions& o, QString* error) {
    QCommandLineParser p;
    p.setApplicationDescription(
        QStringLiteral("KALVEX set-up and monitoring for the P9100 board."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Print these options and exit."));
    p.addOption(help);
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Print the version, as saved files carry it."));
    p.addOption(version);
    p.addPositionalArgument(QStringLiteral("FILE"),
                            QStringLiteral("A set-up file (.sdt) to open at start."),
                            QStringLiteral("[FILE]"));
    p.addOptions({
        {QStringLiteral("simulate"), QStringLiteral("Work with the built-in board simulator.")},
        {QStringLiteral("device"),
         QStringLiteral("Use the serial device PATH instead of the port number in RSPort.cfg; "
                        "a device server on the network is rfc2217://HOST:PORT or "
                        "socket://HOST:PORT."),
         QStringLiteral("PATH")},
        {QStringLiteral("home"),
         QStringLiteral("Program folder holding support/ and Help/ (default: the folder of "
                        "this program, or ../share/kalvex when installed); RSPort.cfg is then "
                        "read and written there only."),
         QStringLiteral("DIR")},
        {QStringLiteral("state"), QStringLiteral("Simulator: set the board from a state file."),
         QStringLiteral("FILE")},
        {QStringLiteral("timeline"),
         QStringLiteral("Simulator: run the commands of FILE at their times (lines like "
                        "\"at 5s alarm 3 on\")."),
         QStringLiteral("FILE")},
        {QStringLiteral("baud"),
         QStringLiteral("Simulator: pace bytes at the wire time of 9600 or 19200 baud."),
         QStringLiteral("N")},
        {QStringLiteral("online"), QStringLiteral("Go online at start, as View > Online Data.")},
        {QStringLiteral("page"),
         QStringLiteral(
             "Show Window menu page N (1 Main Display, 2 Set-up Parameters, "
             "3 Color Control, 4 Serial Communications, 5 Shift Data, 6 I/O States) at start."),
         QStringLiteral("N"), QStringLiteral("1")},
        {QStringLiteral("pc-clock"),
         QStringLiteral("Run the PC clock that windows read (the board clock's Set buttons) "
                        "from this ISO 8601 date and time."),
         QStringLiteral("WHEN")},
        {QStringLiteral("trace"),
         QStringLiteral("Append every byte exchange with the board (sent, reply, time) to "
                        "FILE, for service work."),
         QStringLiteral("FILE")},
        {QStringLiteral("screenshot"),
         QStringLiteral("Save a picture of the main window to FILE after a few seconds, "
                        "then quit."),
         QStringLiteral("FILE")},
    });
    if (!p.parse(arguments)) {
        *error = p.errorText() + QStringLiteral(" (kalvex --help lists the options)");
        return ParseOutcome::Refused;
    }
    if (p.isSet(help) || p.isSet(version)) {
        // With no application object the parser knows no program name.
        const QString text =
            p.isSet(help)
                ? p.helpText().replace(QLatin1String("<executable_name>"), QLatin1String("kalvex"))
                : versionText() + u'\n';
        std::fputs(qPrintable(text), stdout);
        return ParseOutcome::Done;
    }
    if (p.positionalArguments().size() > 1) {
        *error = QStringLiteral("Unexpected argument: %1").arg(p.positionalArguments().at(1));
        return ParseOutcome::Refused;
    }
    o.setupFile = p.positionalArguments().value(0);
    o.simulate = p.isSet(QStringLiteral("simulate"));
    o.device = p.value(QStringLiteral("device"));
    o.home = p.value(QStringLiteral("home"));
    o.stateFile = p.value(QStringLiteral("state"));
    o.timeline = p.value(QStringLiteral("timeline"));
    o.online = p.isSet(QStringLiteral("online"));
    o.screenshot = p.value(QStringLiteral("screenshot"));
    o.traceFile = p.value(QStringLiteral("trace"));
    bool pageOk = false;
    o.page = p.value(QStringLiteral("page")).toInt(&pageOk);
    if (!pageOk || o.page < 1 || o.page > 6) {
        *error = QStringLiteral("--page must be a number from 1 to 6.");
        return ParseOutcome::Refused;
    }
    if (p.isSet(QStringLiteral("pc-clock"))) {
        const auto when = parseInstant(p.value(QStringLiteral("pc-clock")));
        if (!when) {
            *error = QStringLiteral("--pc-clock must be an ISO 8601 date and time, such as "
                                    "2005-01-05T10:20:30.");
            return ParseOutcome::Refused;
        }
        o.pcClockStart = *when;
    }
    if (p.isSet(QStringLiteral("baud"))) {
        bool ok = false;
        o.baud = p.value(QStringLiteral("baud")).toInt(&ok);
        if (!ok || !sim::isWireSpeed(o.baud)) {
            *error = QStringLiteral("--baud must be 9600 or 19200.");
            return ParseOutcome::Refused;
        }
    }
    if (!o.simulate && (o.baud > 0 || !o.stateFile.isEmpty() || !o.timeline.isEmpty())) {
        *error = QStringLiteral("--baud, --state and --timeline need --simulate.");
        return ParseOutcome::Refused;
    }
    if (isNetworkDevice(o.device) && !parseNetworkDevice(o.device, error))
        return ParseOutcome::Refused;
    if (o.simulate && !o.device.isEmpty()) {
        *error = QStringLiteral("--simulate and --device cannot be used together.");
        return ParseOutcome::Refused;
    }
    return ParseOutcome::Run;
}

} // namespace kalvex::app
