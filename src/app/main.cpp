// kalvex: the set-up and monitoring program for the P9100 board.
#include "app/AppOptions.h"
#include "app/MachinePages.h"
#include "app/WidgetMap.h"
#include "data/AppState.h"
#include "link/QtSerialPort.h"
#include "link/RSComm.h"
#include "sim/PtyServer.h"
#include "widgets/shell/QtFileChooser.h"
#include "widgets/shell/QtPrompt.h"
#include "widgets/shell/frmMDIMain.h"

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace kalvex;

namespace {

int fail(const QString& message) {
    std::fprintf(stderr, "kalvex: %s\n", qPrintable(message));
    QMessageBox::critical(nullptr, QStringLiteral("KALVEX"), message);
    return 1;
}

void scheduleScreenshot(frmMDIMain& window, const QString& path) {
    QTimer::singleShot(2500, &window, [&window, path] {
        if (!window.grab().save(path))
            std::fprintf(stderr, "kalvex: could not save %s\n", qPrintable(path));
        window.close();
    });
}

int dumpSignalPipe[2] = {-1, -1};

// KALVEX_SIM_DUMP=FILE: on SIGUSR1 the visible widgets go to FILE.widgets (see
// writeWidgetMap), then the simulator's memory and the writes it received to FILE (see
// PtyServer::dump); the memory dump is also written when the program ends. SIGUSR2 silences
// the simulated board, or makes it answer again, as a cable pulled and put back would.
void dumpOnSignal(sim::PtyServer& simulator, const QString& path, QObject* owner) {
    if (::pipe(dumpSignalPipe) != 0) return;
    const auto forward = [](int signal) {
        const char c = signal == SIGUSR2 ? 2 : 1;
        [[maybe_unused]] const auto n = ::write(dumpSignalPipe[1], &c, 1);
    };
    std::signal(SIGUSR1, forward);
    std::signal(SIGUSR2, forward);
    auto* notifier = new QSocketNotifier(dumpSignalPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [&simulator, path] {
        char c = 0;
        [[maybe_unused]] const auto n = ::read(dumpSignalPipe[0], &c, 1);
        if (c == 2) {
            simulator.withBoard([](sim::Board& b) { b.faults().toggleCable(); });
            return;
        }
        app::writeWidgetMap(path + QStringLiteral(".widgets"));
        simulator.dump(path);
    });
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KALVEX"));
    QApplication::setApplicationVersion(QStringLiteral(KALVEX_VERSION));
    app::AppOptions options;
    QString error;
    if (!app::parseOptions(QApplication::arguments(), options, &error)) return fail(error);

    std::unique_ptr<sim::PtyServer> simulator;
    QString device = options.device;
    if (options.simulate) {
        simulator = sim::startSimulator(options.baud, options.stateFile, &error);
        if (!simulator) return fail(QStringLiteral("The simulator could not start: ") + error);
        device = simulator->slavePath();
    }
    const QString home = options.home.isEmpty() ? QApplication::applicationDirPath() : options.home;

    QtPrompt prompt;
    QtFileChooser chooser;
    SystemClock clock;
    QtSerialPort port(device);
    AppState state(home);
    RSComm link(prompt, clock, home);
    frmMDIMain window(ShellContext{state, link, port, prompt, chooser, home,
                                   app::machinePages(state, link, prompt)});
    prompt.setParentWindow(&window);
    chooser.setParentWindow(&window);
    // Ready for SIGUSR1 before the window can be seen.
    const QString dumpPath = qEnvironmentVariable("KALVEX_SIM_DUMP");
    if (simulator && !dumpPath.isEmpty()) dumpOnSignal(*simulator, dumpPath, &window);
    window.show();
    if (options.online) window.mnuViewOnline_Click();
    if (options.page > 1) window.mnuWindowForm_Click(options.page - 1);
    if (!options.screenshot.isEmpty()) scheduleScreenshot(window, options.screenshot);
    const int result = QApplication::exec();
    if (simulator && !dumpPath.isEmpty()) simulator->dump(dumpPath);
    return result;
}
