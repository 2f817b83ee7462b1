#include "cli/StopSignals.h"

#include <csignal>

namespace kalvex::cli {

namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

void recordStop(int sig) {
    g_stopSignal = sig;
}

} // namespace

void catchStopSignals() {
    struct sigaction sa {};
    sa.sa_handler = recordStop;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART; // a wait for the board finishes its item, then the loop stops
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

int stopSignal() {
    return g_stopSignal;
}

int stopExitCode() {
    return 128 + (g_stopSignal != 0 ? int(g_stopSignal) : SIGINT);
}

} // namespace kalvex::cli
