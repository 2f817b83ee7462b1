#pragma once
#include <QElapsedTimer>
#include <QString>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace kalvex::bench {

// Write one byte, block until one comes back: what any program pays per exchange on this
// device and machine at the moment, the yardstick for the link's overhead. Returns seconds.
inline double rawPingPong(const QString& device, int exchanges) {
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    auto exchange = [fd](unsigned char b) {
        [[maybe_unused]] auto w = ::write(fd, &b, 1);
        [[maybe_unused]] auto r = ::read(fd, &b, 1);
    };
    exchange(0xFF);
    exchange(0x01); // read mode: every following byte is answered
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < exchanges / 2; ++i) {
        exchange(0x04);
        exchange(0x4C);
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    ::close(fd);
    return seconds;
}

} // namespace kalvex::bench
