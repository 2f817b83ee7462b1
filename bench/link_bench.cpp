// Byte exchanges per second through the whole link against a raw ping-pong on the same
// pseudo-terminal and simulator, and the paced run against the pure wire time.
//
//   build/default/bin/kalvex-link-bench [exchanges per round] [paced D reads] [rounds]
#include "QuietPrompt.h"
#include "RawPingPong.h"
#include "link/QtSerialPort.h"
#include "link/RSComm.h"
#include "sim/PtyServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

using namespace kalvex;
using kalvex::bench::QuietPrompt;

namespace {

double linkReads(const QString& device, int reads, const QString& home) {
    QuietPrompt prompt;
    SystemClock clock;
    QtSerialPort port(device);
    RSComm link(prompt, clock, home);
    link.OpenRSComm(port);
    link.RSRead(QStringLiteral("D1100")); // the mode handshake is not part of the run
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < reads; ++i)
        link.RSRead(QStringLiteral("D1100"));
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    if (link.CommError()) std::fprintf(stderr, "link lost the board during the run\n");
    link.CloseRSComm();
    return seconds;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int exchanges = argc > 1 ? std::atoi(argv[1]) : 8000;
    const int pacedReads = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 15;
    QTemporaryDir home;

    sim::PtyServer server;
    QString error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    // The pseudo-terminal's delivery time swings widely with scheduling, so the two are run
    // in alternating rounds and compared by their medians.
    std::vector<double> rawRates, linkRates;
    for (int round = 0; round < rounds; ++round) {
        rawRates.push_back(exchanges / bench::rawPingPong(server.slavePath(), exchanges));
        linkRates.push_back(exchanges / linkReads(server.slavePath(), exchanges / 8, home.path()));
    }
    const double rawRate = median(rawRates), linkRate = median(linkRates);
    std::printf("unpaced, %d rounds of %d exchanges, medians\n", rounds, exchanges);
    std::printf("  raw ping-pong   %10.0f exchanges/s\n", rawRate);
    std::printf("  link (RSRead D) %10.0f exchanges/s\n", linkRate);
    std::printf("  link time / raw time: %.2fx\n", rawRate / linkRate);
    server.stop();

    if (pacedReads > 0) {
        // The same exchanges through a raw ping-pong and through the link, both paced: what
        // the pseudo-terminal and the simulator add is in both, what the link adds only in one.
        sim::PtyServer paced;
        paced.withBoard([](sim::Board& b) { b.faults().baud = 9600; });
        paced.start(&error);
        const int pacedExchanges = pacedReads * 8;
        const double raw = bench::rawPingPong(paced.slavePath(), pacedExchanges);
        const double seconds = linkReads(paced.slavePath(), pacedReads, home.path());
        const double wire = pacedExchanges * 2.0 * 10 / 9600;
        std::printf("paced at 9600 baud, %d D reads (%d exchanges), wire time %.3f s\n", pacedReads,
                    exchanges, wire);
        std::printf("  raw ping-pong   %.3f s, %+.2f %% over wire time\n", raw,
                    100.0 * (raw - wire) / wire);
        std::printf("  link (RSRead D) %.3f s, %+.2f %% over wire time, %+.2f %% over raw\n",
                    seconds, 100.0 * (seconds - wire) / wire, 100.0 * (seconds - raw) / raw);
    }
    return 0;
}
