#pragma once
#include "cli/CliSession.h"

#include <QCoreApplication>
#include <QStringList>

#include <memory>

namespace kalvex::cli {

// kalvex-cli report FILE.sdt -o OUT.pdf [--sections setup,shift,labels] [--labels FIRST-LAST]
//                   [--paper letter|a4]
// The options as typed; runReport checks them as Report Set-up does.
struct ReportRequest {
    QString file;
    QString output;
    // setup, shift, labels; empty for all three.
    QStringList sections;
    // "FIRST-LAST" or one label, each 0-450 (labels above 99 do not exist); empty for all.
    QString labels;
    // letter or a4; empty for the system's usual size.
    QString paper;
    // Accept a file made by another program version.
    bool yes = false;
    // Replace an existing output file.
    bool force = false;
};

// Writes the pages File > Open of the file and Print Report would print, as a PDF.
int runReport(const ReportRequest& request);

// kalvex-cli report.
void addReportCommand(CLI::App& app, CliOptions& options);

// The report draws text, which needs a QGuiApplication; it runs on the offscreen platform
// unless one is set, so no display is needed.
std::unique_ptr<QCoreApplication> makeReportApplication(int& argc, char** argv);

} // namespace kalvex::cli
