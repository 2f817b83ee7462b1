#pragma once
#include "CliSession.h"

#include <QStringList>

namespace kalvex::cli {

// The PLS service commands; `args` are the words after "pls":
// [status] | setpoint CHAN ON OFF [clear] | pulse CHAN ON OFF START | clear CHAN |
// recall CHAN | offset POSITION | upload-config | download-config WORD V0 ... V23
int runPls(const CliOptions& options, const QStringList& args);

} // namespace kalvex::cli
