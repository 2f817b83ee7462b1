#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace kalvex::app {

struct AppOptions {
    QString device;
    QString home;
    bool simulate = false;
    int baud = 0;
    QString stateFile;
    QString timeline; // simulator commands run at their times
    bool online = false;
    QString screenshot;
    QString traceFile;      // the link's exchanges are logged there
    int page = 1;           // Window menu page shown at start, 1-6
    QString setupFile;      // a set-up file to open at start (a desktop entry's %f)
    QDateTime pcClockStart; // the PC clock the windows read starts here (invalid: the real one)
};

// "KALVEX_R1.0.0": the product and version as saved set-up files carry them.
QString versionText();

enum class ParseOutcome { Run, Done, Refused };

// Reads the command line. Needs no application object, so --help and --version work without
// a display: they print to stdout and give Done; a bad option gives Refused with the message
// in `error`.
ParseOutcome parseOptions(const QStringList& arguments, AppOptions& options, QString* error);

} // namespace kalvex::app
