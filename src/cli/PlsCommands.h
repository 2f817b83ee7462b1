#pragma once
#include "cli/CliSession.h"

namespace kalvex::cli {

// pls [status] | setpoint CHAN ON OFF [clear] | pulse CHAN ON OFF START | clear CHAN |
// recall CHAN | offset POSITION | upload-config | download-config WORD V0 ... V23
void addPlsCommands(CLI::App& app, CliOptions& options);

} // namespace kalvex::cli
