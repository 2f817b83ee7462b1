#pragma once
#include "cli/CliSession.h"

namespace kalvex::cli {

// upload, download, export, dump: data sets between the board and set-up files.
void addDataCommands(CLI::App& app, CliOptions& options);

} // namespace kalvex::cli
