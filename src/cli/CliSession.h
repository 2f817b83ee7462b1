#pragma once
#include "cli/CliPrompt.h"
#include "link/DevicePort.h"
#include "link/LinkResult.h"
#include "link/RSComm.h"

#include <QString>

#include <functional>
#include <memory>
#include <string>

namespace CLI {
class App;
}

namespace kalvex::sim {
class PtyServer;
}

namespace kalvex::cli {

enum ExitCode {
    kExitOk = 0,
    kExitRefused = 1, // refused input, or a question answered No
    kExitComm = 2,    // the board did not complete a request
    kExitFile = 3,    // a file could not be read or written
};

// The exit code of a request that ended this way; an interrupted one gives 128 + the signal.
int exitCodeFor(LinkFailure failure);

// The options every command accepts, before or after its name, and the command chosen.
struct CliOptions {
    std::string device;
    std::string home;
    bool simulate = false;
    int retries = 0;
    bool yes = false;
    bool force = false;
    int baud = 0;
    std::string stateFile;
    std::string format = "text"; // or "json"
    std::string traceFile;       // --trace: the link's exchanges are logged there
    bool quiet = false;          // -q
    bool verbose = false;        // -v
    // What the command named on the command line does; set while the line is read.
    std::function<int()> action;
};

// Adds a command with its one-line description and an example for its --help.
CLI::App* addCommand(CLI::App& app, const std::string& name, const std::string& description,
                     const std::string& example);
// Runs `run` as the command once the whole command line has been read.
void onCommand(CLI::App& command, CliOptions& options, std::function<int()> run);

inline QString qs(const std::string& s) {
    return QString::fromLocal8Bit(s);
}

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
    // The link announced that the board stopped answering (or a retry was given up).
    bool boardLost() const { return m_lost; }

  private:
    CliOptions m_options;
    CliPrompt m_prompt;
    SystemClock m_clock;
    std::unique_ptr<sim::PtyServer> m_sim;
    std::unique_ptr<DevicePort> m_port;
    std::unique_ptr<RSComm> m_link;
    bool m_lost = false;
};

} // namespace kalvex::cli
