#pragma once
#include "cli/CliSession.h"

namespace kalvex::cli {

// read ADDR..., write ADDR VALUE, info, sim.
void addLinkCommands(CLI::App& app, CliOptions& options);

} // namespace kalvex::cli
