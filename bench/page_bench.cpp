// Refresh passes per second of the Main Display, the Set-up Parameters page's Speed tab, each
// Shift Data tab and the I/O Status page over a pseudo-terminal paced at 9600 baud, against the
// passes the wire time allows.
//
//   build/default/bin/kalvex-page-bench [passes]
#include "PassRun.h"
#include "QuietPrompt.h"
#include "data/AppState.h"
#include "link/QtSerialPort.h"
#include "link/RSComm.h"
#include "sim/PtyServer.h"
#include "widgets/pages/RefreshLoop.h"
#include "widgets/pages/frmData.h"
#include "widgets/pages/frmDisplayIO.h"
#include "widgets/pages/frmMain.h"
#include "widgets/pages/frmSetup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

using namespace kalvex;
using kalvex::bench::QuietPrompt;
using kalvex::bench::runPass;

namespace {

// Bytes on the wire for one read of an address n bytes wide: per byte the address high
// byte and its echo, the address low byte and the data.
constexpr int readWireBytes(int width) {
    return width * 4;
}

double measure(RefreshLoop& loop, int passes) {
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < passes; ++i)
        runPass(loop);
    return double(timer.nsecsElapsed()) / 1e9;
}

// Ten bit times per byte on the wire.
void report(const char* page, double seconds, int wireBytes, int passes) {
    const double wirePass = wireBytes * 10.0 / 9600;
    std::printf("%s at 9600 baud, %d passes\n", page, passes);
    std::printf("  measured %.2f passes/s, wire time allows %.2f passes/s (%.0f %%)\n",
                passes / seconds, 1 / wirePass, 100.0 * (passes / seconds) * wirePass);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int passes = argc > 1 ? std::atoi(argv[1]) : 60;
    QTemporaryDir home;
    sim::PtyServer server;
    server.withBoard([](sim::Board& b) { b.faults().baud = 9600; });
    QString error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    QuietPrompt prompt;
    SystemClock clock;
    QtSerialPort port(server.slavePath());
    RSComm link(prompt, clock, home.path());
    link.OpenRSComm(port);
    AppState state;
    {
        frmMain page(state, link, prompt);
        page.show();
        page.Activate();
        runPass(page.refreshLoop()); // B2088 and the mode handshake are not part of the run
        // W112, W526, then D1100, D1104, D1304.
        report("Main Display", measure(page.refreshLoop(), passes),
               2 * readWireBytes(2) + 3 * readWireBytes(4), passes);
    }
    {
        frmSetup page(state, link, prompt);
        page.show();
        page.Activate();
        runPass(page.refreshLoop());
        // W1092, W1094, W1096, then W526.
        report("Set-up Parameters, Speed tab", measure(page.refreshLoop(), passes),
               4 * readWireBytes(2), passes);
    }
    {
        frmData page(state, link, prompt);
        page.show();
        page.Activate();
        // Tab 1: B599, B1011 and 36 words; tabs 2 and 3: six counters and 36 words.
        const int wireBytes[] = {readWireBytes(1) * 2 + readWireBytes(2) * 36,
                                 readWireBytes(4) * 6 + readWireBytes(2) * 36,
                                 readWireBytes(4) * 6 + readWireBytes(2) * 36};
        const char* names[] = {"Shift Data, Trips Per Spindle tab", "Shift Data, Current Shift tab",
                               "Shift Data, Last Shift tab"};
        for (int tab = 0; tab < 3; ++tab) {
            page.selectTab(tab);
            runPass(page.refreshLoop()); // ends on the tab change
            runPass(page.refreshLoop());
            report(names[tab], measure(page.refreshLoop(), passes), wireBytes[tab], passes);
        }
    }
    {
        frmDisplayIO page(state, link, prompt);
        page.show();
        page.Activate();
        runPass(page.refreshLoop());
        // F18, F17, B166, B167: a byte each; ten words beside them.
        report("I/O Status", measure(page.refreshLoop(), passes),
               4 * readWireBytes(1) + 12 * readWireBytes(2), passes);
    }
    return link.CommError() ? 1 : 0;
}
