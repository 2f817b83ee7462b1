#pragma once
#include <QString>

namespace kalvex {

class AppState;
struct TransferOutcome;

// One line each where the program does what the history keeps; nothing happens when no
// recorder runs (the CLI, most tests).
void noteTransferStart(AppState& state);
void noteTransferEnd(AppState& state, int code, const TransferOutcome& outcome);
// `outcome` as ProgramDownload::Outcome's value; `sent` of `records` records went out.
void noteProgramDownload(AppState& state, const QString& file, int outcome, int sent, int records);

} // namespace kalvex
