#pragma once
#include "cli/CliSession.h"

namespace kalvex::cli {

// kalvex-cli history [--from WHEN] [--to WHEN] [--events|--samples] [--format csv|json]:
// the machine history the program recorded, on standard output.
void addHistoryCommand(CLI::App& app, CliOptions& options);

} // namespace kalvex::cli
