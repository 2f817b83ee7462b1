#pragma once
#include "cli/CliSession.h"

#include <QStringList>

namespace kalvex::cli {

// program check FILE.ovp: the checks a download makes before it sends anything; no board.
int runProgramCheck(const QString& ovp);
// program download FILE.ovp: confirmed by --yes (options.yes), else answered No.
int runProgramDownload(const CliOptions& options, const QString& ovp);
// program upload FILE.ovp: writes the rev, lcf (configuration boards) and hex files of the set;
// existing ones are replaced only when `force` is set.
int runProgramUpload(const CliOptions& options, const QString& ovp, bool force);

// kalvex-cli program check|download|upload FILE.ovp
void addProgramCommands(CLI::App& app, CliOptions& options);

} // namespace kalvex::cli
