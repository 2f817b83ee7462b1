#pragma once
#include <ostream>

namespace CLI {
class App;
}

namespace kalvex::cli {

// Both come from the parser's own definitions, so the manual's check and the shell's
// completion cannot drift from what the program accepts.

// One line per command: its path ("" for the program, "pls setpoint"), a tab, and its long
// options (the global ones with the program only).
void printCommandTree(const CLI::App& app, std::ostream& out);

// A bash completion script for kalvex-cli: commands, their options, and file names after an
// option that takes a value.
void printBashCompletion(const CLI::App& app, std::ostream& out);

} // namespace kalvex::cli
