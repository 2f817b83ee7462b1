// Main Display refresh passes per second through ser2net on loopback (raw TCP and RFC 2217)
// against the direct pseudo-terminal, in the same run, with the simulator paced at 9600 baud
// and unpaced.
//
//   build/default/bin/kalvex-network-bench [passes at 9600] [passes unpaced]
#include "PassRun.h"
#include "QuietPrompt.h"
#include "data/AppState.h"
#include "link/DevicePort.h"
#include "link/RSComm.h"
#include "sim/PtyServer.h"
#include "support/Ser2net.h"
#include "widgets/pages/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace kalvex;

namespace {

enum class Path { Direct, Raw, Rfc2217 };

// Passes per second on the Main Display through `path`; 0 when the link failed.
double passRate(sim::PtyServer& server, Path path, int passes) {
    test::Ser2net ser2net;
    QString device = server.slavePath();
    if (path != Path::Direct) {
        QString error;
        if (!ser2net.start(device, path == Path::Rfc2217, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 0;
        }
        device = ser2net.url();
    }
    QTemporaryDir home;
    bench::QuietPrompt prompt;
    SystemClock clock;
    DevicePort port(device);
    RSComm link(prompt, clock, home.path());
    link.OpenRSComm(port);
    AppState state;
    frmMain page(state, link, prompt);
    page.show();
    page.Activate();
    bench::runPass(page.refreshLoop()); // the mode handshake is not part of the run
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < passes; ++i)
        bench::runPass(page.refreshLoop());
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const bool failed = link.CommError() || !link.OnlineMode();
    link.CloseRSComm();
    return failed ? 0 : passes / seconds;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int counts[] = {argc > 1 ? std::atoi(argv[1]) : 20, argc > 2 ? std::atoi(argv[2]) : 200};
    const int speeds[] = {9600, 0};
    constexpr int kRounds = 5;
    const char* names[] = {"direct pseudo-terminal", "ser2net socket://", "ser2net rfc2217://"};
    bool ok = true;
    for (int i = 0; i < 2; ++i) {
        sim::PtyServer server;
        server.withBoard([&](sim::Board& b) {
            b.faults().baud = speeds[i];
            b.machine().running = false;
        });
        QString error;
        if (!server.start(&error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        // The paths take turns, so a busy moment of the machine falls on each alike.
        std::vector<double> rates[3];
        for (int round = 0; round < kRounds; ++round)
            for (int path = 0; path < 3; ++path)
                rates[path].push_back(passRate(server, Path(path), counts[i]));
        std::printf("Main Display, %s, median of %d rounds of %d passes\n",
                    speeds[i] ? "9600 baud" : "unpaced", kRounds, counts[i]);
        double median[3];
        for (int path = 0; path < 3; ++path) {
            std::sort(rates[path].begin(), rates[path].end());
            median[path] = rates[path][kRounds / 2];
            ok = ok && rates[path].front() > 0;
            std::printf("  %-22s  %8.2f passes/s  (%.3f of direct)\n", names[path], median[path],
                        median[0] > 0 ? median[path] / median[0] : 0.0);
        }
    }
    return ok ? 0 : 1;
}
