#include "app/QuitSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace kalvex::app {

namespace {

constexpr time_t kSecondSignalSeconds = 3;
int quitPipe[2] = {-1, -1};
volatile std::sig_atomic_t firstSignalAt = 0;

// Only async-signal-safe calls here.
void onQuitSignal(int signal) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const time_t first = firstSignalAt;
    if (first != 0 && now.tv_sec - first < kSecondSignalSeconds) _exit(128 + signal);
    firstSignalAt = std::sig_atomic_t(now.tv_sec == 0 ? 1 : now.tv_sec);
    const char c = char(signal);
    [[maybe_unused]] const auto n = ::write(quitPipe[1], &c, 1);
}

} // namespace

QuitSignals::QuitSignals(std::function<void(int)> quit, QObject* parent)
    : QObject(parent), m_quit(std::move(quit)) {
    if (::pipe2(quitPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(quitPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &QuitSignals::readSignal);
    struct sigaction sa {};
    sa.sa_handler = onQuitSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART; // a wait for the board finishes its byte
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

void QuitSignals::readSignal() {
    char c = 0;
    while (::read(quitPipe[0], &c, 1) == 1)
        if (m_quit) m_quit(128 + int(c));
}

} // namespace kalvex::app
