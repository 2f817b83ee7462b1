#pragma once
#include "CliPrompt.h"
#include "link/QtSerialPort.h"
#include "link/RSComm.h"

#include <QString>

#include <memory>

namespace kalvex::sim {
class PtyServer;
}

namespace kalvex::cli {

enum ExitCode { kExitOk = 0, kExitRefused = 1, kExitComm = 2, kExitFile = 3 };

struct CliOptions {
    QString device;
    QString home;
    bool simulate = false;
    int retries = 0;
    bool yes = false;
    int baud = 0;
    QString stateFile;
};

// One run of the CLI against a board: the link, its port and, with --simulate, the built-in
// simulator on a pseudo-terminal.
class CliSession {
  public:
    explicit CliSession(const CliOptions& options);
    ~CliSession();

    // Starts the simulator when asked and goes online; an exit code on failure.
    int open();
    RSComm& link() { return *m_link; }
    CliPrompt& prompt() { return m_prompt; }
    // The exit code for what happened so far: refused input, lost board, or success.
    int status() const;

  private:
    CliOptions m_options;
    CliPrompt m_prompt;
    SystemClock m_clock;
    std::unique_ptr<sim::PtyServer> m_sim;
    std::unique_ptr<QtSerialPort> m_port;
    std::unique_ptr<RSComm> m_link;
};

} // namespace kalvex::cli
