// The pseudo-terminal side of the simulator: POSIX only.
#include "sim/PtyServer.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

namespace kalvex::sim {

bool PtyServer::start(QString* error) {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        if (error)
            *error = QStringLiteral("Cannot create a pseudo-terminal: %1")
                         .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(::ptsname(m_master));
    // Holding the slave open keeps the master readable while no client has the port open.
    m_slaveKeepAlive = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY);
    if (m_slaveKeepAlive >= 0) {
        termios t{};
        ::tcgetattr(m_slaveKeepAlive, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(m_slaveKeepAlive, TCSANOW, &t);
    }
    m_stop = false;
    m_thread = std::thread([this] { serve(); });
    return true;
}

void PtyServer::stop() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    if (m_slaveKeepAlive >= 0) ::close(m_slaveKeepAlive);
    if (m_master >= 0) ::close(m_master);
    m_slaveKeepAlive = m_master = -1;
}

namespace {

// The speed the client set its end of the line to, in baud (0 when unknown).
int clientLineSpeed(int slaveFd) {
    termios t{};
    if (slaveFd < 0 || ::tcgetattr(slaveFd, &t) != 0) return 0;
    switch (::cfgetospeed(&t)) {
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    default:
        return -1;
    }
}

} // namespace

void PtyServer::answer(quint8 byte) {
    Reply r;
    {
        std::lock_guard lock(m_mutex);
        const int expected = m_board.faults().lineSpeed;
        if (expected > 0 && clientLineSpeed(m_slaveKeepAlive) != expected) {
            m_board.receiveGarbled(byte);
            return;
        }
        r = m_board.receive(byte);
    }
    if (r.bytes.isEmpty()) return;
    m_pacer.sleepUntilUs(r.readyAtUs);
    [[maybe_unused]] const auto n = ::write(m_master, r.bytes.constData(), size_t(r.bytes.size()));
}

void PtyServer::serve() {
    // Replies are paced to the microsecond: no timer slack. The name tells the simulator's
    // CPU time from the program's.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
    ::pthread_setname_np(::pthread_self(), "kalvex-sim");
    unsigned char buf[512];
    while (!m_stop) {
        pollfd p{m_master, POLLIN, 0};
        const int ready = ::poll(&p, 1, 50);
        if (ready <= 0 || !(p.revents & POLLIN)) {
            if (p.revents & (POLLHUP | POLLERR))
                ::usleep(10'000); // no client; wait for the next one
            std::lock_guard lock(m_mutex);
            m_board.advanceMachine();
            continue;
        }
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0) {
            ::usleep(10'000);
            continue;
        }
        for (ssize_t i = 0; i < n; ++i)
            answer(buf[i]);
    }
}

} // namespace kalvex::sim
