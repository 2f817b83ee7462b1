// The DF1 gateway page's refresh passes per second over a pseudo-terminal paced at 9600 baud,
// against the passes the wire time allows; and Find Board's time over silent ports.
//
//   build/default/bin/kalvex-gateway-bench [passes] [silent ports]
#include "PassRun.h"
#include "QuietPrompt.h"
#include "data/AppState.h"
#include "link/PortProbe.h"
#include "link/QtSerialPort.h"
#include "link/RSComm.h"
#include "sim/PtyServer.h"
#include "widgets/pages/RefreshLoop.h"
#include "widgets/pages/frm5800DF1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

using namespace kalvex;
using kalvex::bench::QuietPrompt;
using kalvex::bench::runPass;

namespace {

// Per byte read: address high and its echo, address low and the data; ten bit times a byte.
double wirePassSeconds(int bytesRead) {
    return bytesRead * 4 * 10.0 / 9600;
}

void gatewayPage(int passes, bool withError) {
    QTemporaryDir home;
    sim::PtyServer server;
    server.withBoard([withError](sim::Board& b) {
        b.faults().baud = 9600;
        if (withError) sim::GatewayModel::setError(b, 0x10, 0);
    });
    QString error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return;
    }
    QuietPrompt prompt;
    SystemClock clock;
    QtSerialPort port(server.slavePath());
    RSComm link(prompt, clock, home.path());
    link.OpenRSComm(port);
    AppState state;
    frm5800DF1 page(state, link, prompt);
    page.show();
    page.Activate();
    runPass(page.refreshLoop()); // ShowOnline and the mode handshake
    runPass(page.refreshLoop());
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < passes; ++i)
        runPass(page.refreshLoop());
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    // Ten bytes and two words a pass; STS and EXT STS as well while the link layer has an error.
    const double wire = wirePassSeconds(14 + (withError ? 2 : 0));
    std::printf("DF1 page at 9600 baud%s, %d passes\n", withError ? ", link-layer error" : "",
                passes);
    std::printf("  measured %.2f passes/s, wire time allows %.2f passes/s (%.0f %%)\n",
                passes / seconds, 1 / wire, 100.0 * passes / seconds * wire);
}

void findBoardOverSilentPorts(int count) {
    std::vector<std::unique_ptr<sim::PtyServer>> servers;
    std::vector<PortCandidate> ports;
    for (int i = 0; i < count; ++i) {
        auto s = std::make_unique<sim::PtyServer>();
        s->withBoard([](sim::Board& b) { b.faults().silent = true; });
        QString error;
        if (!s->start(&error)) return;
        ports.push_back(candidateFor(s->slavePath()));
        servers.push_back(std::move(s));
    }
    QElapsedTimer timer;
    timer.start();
    int probes = 0;
    findBoard(ports, QString(), [&probes](const ProbeResult&) { ++probes; });
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    std::printf("Find Board over %d silent ports: %.2f s, %d probes, %.0f ms per port and speed\n",
                count, seconds, probes, 1000 * seconds / qMax(1, probes));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int passes = argc > 1 ? std::atoi(argv[1]) : 60;
    const int silent = argc > 2 ? std::atoi(argv[2]) : 4;
    gatewayPage(passes, false);
    gatewayPage(passes, true);
    findBoardOverSilentPorts(silent);
    return 0;
}
