#include "app/AppOptions.h"
#include "sim/PtyServer.h"

#include <QCommandLineParser>

namespace kalvex::app {

bool parseOptions(const QStringList& arguments, AppOptions& o, QString* error) {
    QCommandLineParser p;
    p.setApplicationDescription(
        QStringLiteral("KALVEX set-up and monitoring for the P9100 board."));
    p.addHelpOption();
    p.addVersionOption();
    p.addOptions({
        {QStringLiteral("simulate"), QStringLiteral("Work with the built-in board simulator.")},
        {QStringLiteral("device"),
         QStringLiteral("Use the serial device PATH instead of the port number in RSPort.cfg."),
         QStringLiteral("PATH")},
        {QStringLiteral("home"),
         QStringLiteral("Program folder holding support/ and Help/ (default: the folder of "
                        "this program)."),
         QStringLiteral("DIR")},
        {QStringLiteral("state"), QStringLiteral("Simulator: set the board from a state file."),
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
        {QStringLiteral("screenshot"),
         QStringLiteral("Save a picture of the main window to FILE after a few seconds, "
                        "then quit."),
         QStringLiteral("FILE")},
    });
    p.process(arguments); // --help and --version print and exit here
    if (!p.positionalArguments().isEmpty()) {
        *error = QStringLiteral("Unexpected argument: %1").arg(p.positionalArguments().front());
        return false;
    }
    o.simulate = p.isSet(QStringLiteral("simulate"));
    o.device = p.value(QStringLiteral("device"));
    o.home = p.value(QStringLiteral("home"));
    o.stateFile = p.value(QStringLiteral("state"));
    o.online = p.isSet(QStringLiteral("online"));
    o.screenshot = p.value(QStringLiteral("screenshot"));
    bool pageOk = false;
    o.page = p.value(QStringLiteral("page")).toInt(&pageOk);
    if (!pageOk || o.page < 1 || o.page > 6) {
        *error = QStringLiteral("--page must be a number from 1 to 6.");
        return false;
    }
    if (p.isSet(QStringLiteral("baud"))) {
        bool ok = false;
        o.baud = p.value(QStringLiteral("baud")).toInt(&ok);
        if (!ok || !sim::isWireSpeed(o.baud)) {
            *error = QStringLiteral("--baud must be 9600 or 19200.");
            return false;
        }
    }
    if (!o.simulate && (o.baud > 0 || !o.stateFile.isEmpty())) {
        *error = QStringLiteral("--baud and --state need --simulate.");
        return false;
    }
    if (o.simulate && !o.device.isEmpty()) {
        *error = QStringLiteral("--simulate and --device cannot be used together.");
        return false;
    }
    return true;
}

} // namespace kalvex::app
