#include "CliSession.h"

#include "PtyServer.h"

#include <QCoreApplication>
#include <cstdio>

namespace kalvex::cli {

CliSession::CliSession(const CliOptions& options)
    : m_options(options), m_prompt(options.retries, options.yes) {
    const QString home =
        options.home.isEmpty() ? QCoreApplication::applicationDirPath() : options.home;
    m_link = std::make_unique<RSComm>(m_prompt, m_clock, home);
}

CliSession::~CliSession() {
    if (m_link && m_port) m_link->CloseRSComm();
    m_link.reset();
    m_port.reset();
    m_sim.reset();
}

int CliSession::open() {
    QString device = m_options.device;
    if (m_options.simulate) {
        QString error;
        m_sim = sim::startSimulator(m_options.baud, m_options.stateFile, &error);
        if (!m_sim) {
            std::fprintf(stderr, "Simulator: %s\n", qPrintable(error));
            return kExitFile;
        }
        device = m_sim->slavePath();
    }
    m_port = std::make_unique<QtSerialPort>(device);
    m_link->attachPort(*m_port);
    m_link->setOnlineMode(true);
    if (!m_link->OnlineMode()) {
        std::fprintf(stderr, "Could not go online with the target board.\n");
        return kExitComm;
    }
    return kExitOk;
}

int CliSession::status() const {
    if (m_prompt.refused()) return kExitRefused;
    if (m_link->CommError() || !m_link->OnlineMode()) return kExitComm;
    return kExitOk;
}

} // namespace kalvex::cli
