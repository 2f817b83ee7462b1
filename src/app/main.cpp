// kalvex: the set-up and monitoring program for the P9100 board.
#include "app/AppOptions.h"
#include "app/MachinePages.h"
#include "app/QuitSignals.h"
#include "app/WidgetMap.h"
#include "app/simulator/SimulatorPanel.h"
#include "data/AppState.h"
#include "data/history/HistoryRecorder.h"
#include "link/DevicePort.h"
#include "link/LinkTrace.h"
#include "link/ProgramFolder.h"
#include "link/RSComm.h"
#include "sim/PtyServer.h"
#include "sim/StateFile.h"
#include "widgets/history/HistoryMenu.h"
#include "widgets/shell/QtFileChooser.h"
#include "widgets/shell/QtPrompt.h"
#include "widgets/shell/frmMDIMain.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QMessageBox>
#include <QSettings>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace kalvex;

namespace {

// A box only where someone can see it: offscreen, it would wait for ever.
int fail(const QString& message) {
    std::fprintf(stderr, "kalvex: %s\n", qPrintable(message));
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal"))
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
// PtyServer::dump), after applying FILE.state if there is one; the memory dump is also written when
// the program ends. SIGUSR2 silences the simulated board, or makes it answer again, as a cable
// pulled and put back would.
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
        // FILE.state, when present, changes the board first, as its own program would.
        const QString poke = path + QStringLiteral(".state");
        if (QFile::exists(poke)) {
            simulator.withBoard([&poke](sim::Board& b) { sim::loadState(b, poke, nullptr); });
            QFile::remove(poke);
        }
        app::writeWidgetMap(path + QStringLiteral(".widgets"));
        simulator.dump(path);
    });
}

// View > Simulator Panel: off until the trainer first opens it, then as last left.
void addSimulatorPanel(frmMDIMain& window, sim::PtyServer& simulator, RSComm& link) {
    auto* panel = new app::SimulatorPanel(simulator, link, &window);
    window.addDockWidget(Qt::RightDockWidgetArea, panel);
    window.resizeDocks({panel}, {300}, Qt::Horizontal); // the pages keep most of the window
    auto* settings = new QSettings(QSettings::IniFormat, QSettings::UserScope,
                                   QStringLiteral("KALVEX"), QStringLiteral("kalvex"), panel);
    const QString key = QStringLiteral("SimulatorPanel/visible");
    panel->setVisible(settings->value(key, false).toBool());
    QAction* item = panel->toggleViewAction();
    item->setObjectName(QStringLiteral("mnuViewSimulatorPanel"));
    item->setText(QStringLiteral("Simulator &Panel"));
    const auto remember = [settings, key](bool shown) {
        settings->setValue(key, shown);
        settings->sync(); // kept even if the program is killed
    };
    QObject::connect(item, &QAction::triggered, panel, remember);
    QObject::connect(panel, &app::SimulatorPanel::closed, panel, [remember] { remember(false); });
    window.addViewItem(item);
}

} // namespace

// Sanitizer builds: the D-Bus and font libraries keep caches for the life of the process, which
// are not ours to free (a leak report would change the exit status a signal asked for).
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\nleak:libfontconfig\n";
}

int main(int argc, char** argv) {
    // Read before the application object exists: --help, --version and a bad option need no
    // display (over SSH there is none), and a bad option is said on stderr, not in a box.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    app::AppOptions options;
    QString error;
    switch (app::parseOptions(arguments, options, &error)) {
    case app::ParseOutcome::Done:
        return 0;
    case app::ParseOutcome::Refused:
        std::fprintf(stderr, "kalvex: %s\n", qPrintable(error));
        return 1;
    case app::ParseOutcome::Run:
        break;
    }
    QApplication app(argc, argv);
    // One settings folder (~/.config/KALVEX) for everything the program remembers.
    QApplication::setOrganizationName(QStringLiteral("KALVEX"));
    QApplication::setApplicationName(QStringLiteral("KALVEX"));
    QIcon icon;
    for (const int size : {48, 128, 256})
        icon.addFile(QStringLiteral(":/icons/kalvex-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    QApplication::setApplicationVersion(QStringLiteral(KALVEX_VERSION));

    if (!options.traceFile.isEmpty() && !startLinkTrace(options.traceFile, &error))
        return fail(error);

    std::unique_ptr<sim::PtyServer> simulator;
    QString device = options.device;
    if (options.simulate) {
        simulator = sim::startSimulator(options.baud, options.stateFile, &error);
        if (!simulator) return fail(QStringLiteral("The simulator could not start: ") + error);
        device = simulator->slavePath();
    }
    const QString home = options.home.isEmpty()
                             ? defaultProgramFolder(QApplication::applicationDirPath())
                             : options.home;

    QtPrompt prompt;
    QtFileChooser chooser;
    SystemClock clock;
    DevicePort port(device);
    AppState state(home);
    RSComm link(prompt, clock, home);
    // --home names the one folder to use; without it the user's own settings come first.
    if (options.home.isEmpty()) {
        link.setUserSettingsFolder(userSettingsFolder());
        link.setSystemSettingsFile(systemSettingsFile(QApplication::applicationDirPath()));
    }
    HistoryRecorder history(link, state, {historyPath(options.home)});
    state.gHistory = &history;
    history.start();
    ShellContext shell{
        state, link, port, prompt, chooser, home, app::machinePages(state, link, prompt)};
    if (options.pcClockStart.isValid()) {
        const qint64 offsetMs = QDateTime::currentDateTime().msecsTo(options.pcClockStart);
        shell.pcClock = [offsetMs] { return QDateTime::currentDateTime().addMSecs(offsetMs); };
    }
    shell.markerFolder = options.home.isEmpty() ? userSettingsFolder() : options.home;
    frmMDIMain window(std::move(shell));
    prompt.setParentWindow(&window);
    chooser.setParentWindow(&window);
    installHistoryMenus(window, history, state, prompt, chooser);
    if (simulator) {
        addSimulatorPanel(window, *simulator, link);
        if (!options.timeline.isEmpty() &&
            !app::playTimeline(*simulator, options.timeline, &window, &error))
            return fail(QStringLiteral("The timeline cannot be used: ") + error);
    }
    // Ready for SIGUSR1 before the window can be seen.
    const QString dumpPath = qEnvironmentVariable("KALVEX_SIM_DUMP");
    if (simulator && !dumpPath.isEmpty()) dumpOnSignal(*simulator, dumpPath, &window);
    const auto quit = [&prompt, &window](int status) {
        prompt.abandonBoxes();
        window.requestQuit(status);
    };
    app::QuitSignals quitSignals(quit);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, [quit] { quit(0); });
    window.show();
    window.reportInterruptedTransfer();
    if (!options.setupFile.isEmpty()) window.openAtStart(options.setupFile);
    if (options.online) window.mnuViewOnline_Click();
    if (options.page > 1) window.mnuWindowForm_Click(options.page - 1);
    if (!options.screenshot.isEmpty()) scheduleScreenshot(window, options.screenshot);
    const int result = QApplication::exec();
    if (simulator && !dumpPath.isEmpty()) simulator->dump(dumpPath);
    return window.exitStatus(result);
}
