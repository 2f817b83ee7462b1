#include "LinkCommands.h"

#include "PtyServer.h"
#include "link/TextNumber.h"

#include <csignal>
#include <cstdio>

namespace kalvex::cli {

namespace {

// Addresses are checked before the port opens, so a typo costs no board traffic.
bool checkAddresses(const QStringList& addresses) {
    for (const QString& a : addresses) {
        if (!parseAddress(a).valid) {
            std::fprintf(stderr, "ENTRY ALERT: Error:\n%s (%s)\n",
                         qPrintable(addressRangeMessage()), qPrintable(a));
            return false;
        }
    }
    return true;
}

void print(const QString& line) {
    std::fprintf(stdout, "%s\n", qPrintable(line));
    std::fflush(stdout);
}

} // namespace

int runRead(const CliOptions& options, const QStringList& addresses) {
    if (!checkAddresses(addresses)) return kExitRefused;
    CliSession session(options);
    if (const int rc = session.open()) return rc;
    for (const QString& a : addresses) {
        const QString v = session.link().RSRead(a);
        if (session.link().CommError()) break; // "0" from a lost board is not a value
        print(v);
    }
    return session.status();
}

int runWrite(const CliOptions& options, const QString& address, const QString& value) {
    if (!checkAddresses({address})) return kExitRefused;
    CliSession session(options);
    if (const int rc = session.open()) return rc;
    session.link().RSWrite(address, value);
    return session.status();
}

int runInfo(const CliOptions& options) {
    CliSession session(options);
    if (const int rc = session.open()) return rc;
    RSComm& link = session.link();
    const int rev = link.FirmwareRev();
    const int fault = link.FaultCode();
    const int spindles = valueOf(link.RSRead(QStringLiteral("B52")));
    if (link.CommError()) return session.status();
    print(QStringLiteral("Port: %1 (low latency: %2)")
              .arg(link.port()->deviceName(), link.port()->lowLatency()
                                                  ? QStringLiteral("on")
                                                  : QStringLiteral("not available")));
    print(QStringLiteral("Firmware revision: %1").arg(rev));
    print(fault == 0 ? QStringLiteral("Fault code: 0 (no fault)")
                     : QStringLiteral("Fault code: %1").arg(link.FaultDescription(fault)));
    print(QStringLiteral("Spindles: %1").arg(spindles));
    return session.status();
}

int runSim(const CliOptions& options) {
    // Block the stop signals before the server thread starts, so only sigwait sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QString error;
    auto server = sim::startSimulator(options.baud, options.stateFile, &error);
    if (!server) {
        std::fprintf(stderr, "Simulator: %s\n", qPrintable(error));
        return kExitFile;
    }
    print(server->slavePath());
    int sig = 0;
    sigwait(&stopSignals, &sig);
    server->stop();
    return kExitOk;
}

} // namespace kalvex::cli
