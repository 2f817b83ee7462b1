#pragma once
#include "cli/CliSession.h"

namespace kalvex::cli {

// board status [--ovp FILE] | reset-faults | set-clock [--now WHEN] | set-address N [--row 2]
void addBoardCommands(CLI::App& app, CliOptions& options);

} // namespace kalvex::cli
