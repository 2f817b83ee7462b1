// Time from opening the Target Board Interface (the program file chosen, the program online) to
// the end of its first pass, over a pseudo-terminal paced at 9600 baud, against the wire time
// of the pass's reads. The window runs on its own timer-driven refresh loop, as in the program.
//
//   build/default/bin/kalvex-board-bench [runs]
//   BENCH_DIRECT=1 build/default/bin/kalvex-board-bench [runs]   (the loop stepped directly,
//                                                  without the event loop and its repaints)
#include "QuietPrompt.h"
#include "RawPingPong.h"
#include "data/AppState.h"
#include "link/QtSerialPort.h"
#include "link/RSComm.h"
#include "sim/PtyServer.h"
#include "widgets/maintenance/frmTargetBoard.h"
#include "widgets/pages/RefreshLoop.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace kalvex;
using kalvex::bench::QuietPrompt;

namespace {

// Six fault registers and the ten ident bytes: a byte read each, four bytes on the wire (the
// address high byte and its echo, the address low byte and the data), ten bit times a byte.
constexpr int kFirstPassReads = 6 + 10;
constexpr double kWireSeconds = kFirstPassReads * 4 * 10.0 / 9600;

bool writeProgram(const QString& folder) {
    for (const auto& [ext, text] :
         {std::pair{"ovp", "D\r\n"}, {"rev", "KVX91D07:707\r\n"}, {"hex", ":00000001FF\r\n"}}) {
        QFile f(folder + QStringLiteral("/LINE1.") + QLatin1String(ext));
        if (!f.open(QIODevice::WriteOnly) || f.write(text) < 0) return false;
    }
    return true;
}

struct Run {
    double shown;   // the window built, prepared and shown
    double allDone; // and its first pass ended
};

Run firstPass(AppState& state, RSComm& link, Prompt& prompt, const QString& ovp) {
    QElapsedTimer timer;
    timer.start();
    frmTargetBoard window(TargetBoardContext{state, link, prompt, {}});
    window.prepare(ovp);
    window.show();
    const double shown = double(timer.nsecsElapsed()) / 1e9;
    static const bool direct = qEnvironmentVariableIsSet("BENCH_DIRECT");
    while (!window.firstPassDone() && !link.CommError())
        if (direct)
            window.refreshLoop().step();
        else
            QCoreApplication::processEvents();
    return {shown, double(timer.nsecsElapsed()) / 1e9};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    QTemporaryDir home;
    sim::PtyServer server;
    server.withBoard([](sim::Board& b) { b.faults().baud = 9600; });
    QString error;
    if (!server.start(&error) || !writeProgram(home.path())) {
        std::fprintf(stderr, "cannot start: %s\n", qPrintable(error));
        return 1;
    }
    // The floor on this machine now: the pass's 32 exchanges as a bare write/read ping-pong.
    std::vector<double> raw;
    for (int i = 0; i < runs; ++i)
        raw.push_back(bench::rawPingPong(server.slavePath(), 2 * kFirstPassReads));
    QuietPrompt prompt;
    SystemClock clock;
    QtSerialPort port(server.slavePath());
    RSComm link(prompt, clock, home.path());
    link.attachPort(port);
    link.setOnlineMode(true);
    AppState state(home.path());
    const QString ovp = home.filePath(QStringLiteral("LINE1.ovp"));
    firstPass(state, link, prompt, ovp); // the read-mode handshake is not part of a run
    std::vector<double> shown, pass, total;
    for (int i = 0; i < runs; ++i) {
        const Run r = firstPass(state, link, prompt, ovp);
        shown.push_back(r.shown);
        pass.push_back(r.allDone - r.shown);
        total.push_back(r.allDone);
    }
    std::printf("Target Board Interface first pass at 9600 baud, %d runs (medians)\n", runs);
    std::printf("  wire time %.1f ms (%d byte reads); raw ping-pong of its exchanges %.1f ms "
                "(%.3f x wire)\n",
                kWireSeconds * 1000, kFirstPassReads, median(raw) * 1000,
                median(raw) / kWireSeconds);
    std::printf("  window shown %.1f ms; first pass %.1f ms (%.3f x wire); open to first pass "
                "done %.1f ms (%.3f x wire)\n",
                median(shown) * 1000, median(pass) * 1000, median(pass) / kWireSeconds,
                median(total) * 1000, median(total) / kWireSeconds);
    return link.CommError() ? 1 : 0;
}
