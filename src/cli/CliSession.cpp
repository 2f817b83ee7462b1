#include "cli/CliSession.h"
#include "link/LinkTrace.h"

#include "link/ProgramFolder.h"
#include "sim/PtyServer.h"

#include <CLI/CLI.hpp>
#include <QCoreApplication>
#include <csignal>

namespace kalvex::cli {

int exitCodeFor(LinkFailure failure) {
    switch (failure) {
    case LinkFailure::None:
        return kExitOk;
    case LinkFailure::RefusedInput:
        return kExitRefused;
    case LinkFailure::NoAnswer:
    case LinkFailure::WrongEcho:
        return kExitComm;
    case LinkFailure::Cancelled:
        return 128 + SIGINT;
    }
    return kExitComm;
}

CLI::App* addCommand(CLI::App& app, const std::string& name, const std::string& description,
                     const std::string& example) {
    CLI::App* c = app.add_subcommand(name, description);
    c->footer("Example: " + example);
    return c;
}

void onCommand(CLI::App& command, CliOptions& options, std::function<int()> run) {
    command.callback([&options, run = std::move(run)] { options.action = run; });
}

CliSession::CliSession(const CliOptions& options)
    : m_options(options), m_prompt(options.retries, options.yes) {
    // --home names the one folder to use; without it the user's own settings come first.
    const QString home = options.home.empty()
                             ? defaultProgramFolder(QCoreApplication::applicationDirPath())
                             : qs(options.home);
    m_link = std::make_unique<RSComm>(m_prompt, m_clock, home);
    QObject::connect(m_link.get(), &RSComm::linkLost, [this] { m_lost = true; });
    if (options.home.empty()) {
        m_link->setUserSettingsFolder(userSettingsFolder());
        m_link->setSystemSettingsFile(systemSettingsFile(QCoreApplication::applicationDirPath()));
    }
}

CliSession::~CliSession() {
    if (m_link && m_port) m_link->CloseRSComm();
    m_link.reset();
    m_port.reset();
    m_sim.reset();
}

int CliSession::open() {
    if (QString why;
        !m_options.traceFile.empty() && !startLinkTrace(qs(m_options.traceFile), &why)) {
        say(why);
        return kExitFile;
    }
    QString device = qs(m_options.device);
    if (m_options.simulate) {
        QString error;
        m_sim = sim::startSimulator(m_options.baud, qs(m_options.stateFile), &error);
        if (!m_sim) {
            say(QStringLiteral("simulator: ") + error);
            return kExitFile;
        }
        device = m_sim->slavePath();
    }
    m_port = std::make_unique<DevicePort>(device);
    m_link->attachPort(*m_port);
    m_link->setOnlineMode(true);
    if (!m_link->OnlineMode()) {
        const QString tried = m_port->deviceName();
        say(QStringLiteral("could not go online with the target board on %1 (%2 baud%3). Another "
                           "port: 'kalvex-cli ports --probe' finds the board, --device PATH "
                           "names it, Edit > Comm Port in KALVEX saves it.")
                .arg(tried.isEmpty() ? QStringLiteral("no port") : tried)
                .arg(m_link->portSettings().baud)
                .arg(m_port->usesPortNumber()
                         ? QStringLiteral(", from ") + m_link->CommSettingsFile()
                         : QString()));
        // A port that did not open (a missing device, one that is no serial port, a lock file
        // that cannot be written, RSPort.cfg) is a file error; a board that did not answer is
        // a communication failure.
        return m_link->portFailed() ? kExitFile : kExitComm;
    }
    detail(QStringLiteral("online with the target board on %1 (%2 baud)")
               .arg(m_port->deviceName())
               .arg(m_link->portSettings().baud));
    return kExitOk;
}

} // namespace kalvex::cli
