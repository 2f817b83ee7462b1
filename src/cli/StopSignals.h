#pragma once

namespace kalvex::cli {

// SIGINT and SIGTERM during a transfer stop it between two items instead of killing the
// program mid-value: the handler only records the signal, the transfer loop looks at it.
void catchStopSignals();
// The stop signal received since catchStopSignals(), or 0.
int stopSignal();
// The exit code of a run stopped by a signal: 128 + the signal (SIGINT when none was seen,
// as for a Cancel).
int stopExitCode();

} // namespace kalvex::cli
