#include "link/QtSerialPort.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace kalvex {

// A named device is known before it is opened.
QtSerialPort::QtSerialPort(QString devicePath)
    : m_devicePath(resolveDevicePath(devicePath)), m_device(m_devicePath) {}

QString QtSerialPort::resolveDevicePath(const QString& path) {
#ifdef Q_OS_UNIX
    if (path.isEmpty() || QDir::isAbsolutePath(path)) return path;
    if (!path.contains(u'/') && !QFileInfo::exists(path)) return QStringLiteral("/dev/") + path;
    return QFileInfo(path).absoluteFilePath();
#else
    return path;
#endif
}

QString QtSerialPort::deviceForPort(int portNumber) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

QString QtSerialPort::busyOrDeniedText(const QString& device, int osError, const QString& group,
                                       bool withFix) {
#ifdef Q_OS_LINUX
    if (osError == EACCES) {
        const QString denied =
            QStringLiteral("Access to the serial port %1 is denied.").arg(device);
        if (!withFix)
            return denied + QStringLiteral(" See the first message of this run for the fix.");
        if (group.isEmpty())
            return denied + QStringLiteral(" No group other than root or tty may read and write "
                                           "it (ls -l %1 shows who may), so joining a group will "
                                           "not open it: ask the administrator to give the "
                                           "device to the group dialout (a udev rule), or choose "
                                           "another port.")
                                .arg(device);
        return denied + QStringLiteral(" It belongs to the group '%1': add your user to it (sudo "
                                       "usermod -aG %1 $USER), then log out and in again.")
                            .arg(group);
    }
    return QStringLiteral("The serial port %1 is busy: another program holds it. Close it; a "
                          "modem manager (ModemManager) may hold it too (sudo systemctl stop "
                          "ModemManager).")
        .arg(device);
#else
    Q_UNUSED(osError);
    Q_UNUSED(group);
    Q_UNUSED(withFix);
    return QStringLiteral("The serial port %1 is in use by another program or access is "
                          "denied. Close the other program and try again.")
        .arg(device);
#endif
}

// Joining root or tty would give a user far more than one port (every terminal, or every
// file), so they are never suggested; nor is a group that may not both read and write.
QString QtSerialPort::deviceGroup(const QString& device) {
#ifdef Q_OS_UNIX
    struct stat info {};
    if (::stat(QFile::encodeName(device).constData(), &info) != 0) return {};
    if ((info.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP) || info.st_gid == 0) return {};
    const struct group* g = ::getgrgid(info.st_gid);
    if (!g) return {};
    const QString name = QString::fromLocal8Bit(g->gr_name);
    return name == QLatin1String("tty") || name == QLatin1String("root") ? QString() : name;
#else
    Q_UNUSED(device);
    return {};
#endif
}

// Qt reports a busy port and a denied one alike; a second open tells them apart.
int QtSerialPort::probeOpenError() const {
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(m_device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return errno;
    ::close(fd);
    return EBUSY; // it opens, so something else (a lock, exclusive mode) held it
#else
    return 0;
#endif
}

// QSerialPort takes a lock file (LCK..NAME in the first usable lock folder) before it opens the
// device and reports any failure to write it as a busy port. The same write, tried here, tells
// a full disk or a file-size limit from a port another program holds.
QString QtSerialPort::lockFileProblem() const {
#ifdef Q_OS_UNIX
    QString name = m_device;
    if (name.startsWith(QLatin1String("/dev/"))) name = name.mid(5);
    name = QStringLiteral("/LCK..") + name.replace(u'/', u'_');
    for (const char* dir : {"/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp",
                            "/tmp", "/var/tmp", "/var/lock/lockdev", "/run/lock"}) {
        const QFileInfo info{QLatin1String(dir)};
        const QString lock = QLatin1String(dir) + name;
        if (!info.isReadable() || (!QFile::exists(lock) && !info.isWritable())) continue;
        if (QFile::exists(lock)) return {}; // held, or left behind: the busy text applies
        const QString probe =
            QLatin1String(dir) + QStringLiteral("/.kalvex-lock-probe-%1").arg(::getpid());
        const QByteArray path = QFile::encodeName(probe);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        int err = fd < 0 ? errno : 0;
        const char line[] = "4194304\nkalvex\nlocalhost\n"; // as long as a lock file
        for (size_t done = 0; fd >= 0 && err == 0 && done < sizeof line - 1;) {
            const ssize_t n = ::write(fd, line + done, sizeof line - 1 - done);
            if (n > 0)
                done += size_t(n);
            else
                err = n < 0 ? errno : ENOSPC;
        }
        if (fd >= 0) {
            ::close(fd);
            ::unlink(path.constData());
        }
        if (err == 0) return {};
        return QStringLiteral("The serial port %1 could not be locked: the lock file %2 cannot "
                              "be written: %3")
            .arg(m_device, lock, QString::fromLocal8Bit(std::strerror(err)));
    }
#endif
    return {};
}

QString QtSerialPort::describeOpenError(QSerialPort::SerialPortError e) const {
    switch (e) {
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("The serial port %1 does not exist. Check the device name or port "
                              "number, or that the USB adapter is plugged in.")
            .arg(m_device);
    case QSerialPort::PermissionError: {
        const int probe = probeOpenError();
        if (probe == EBUSY)
            if (const QString lock = lockFileProblem(); !lock.isEmpty()) return lock;
        static bool fixShown = false; // once per run: the GUI may retry many times
        const bool withFix = probe != EACCES || !fixShown;
        if (probe == EACCES) fixShown = true;
        return busyOrDeniedText(m_device, probe, deviceGroup(m_device), withFix);
    }
    case QSerialPort::UnsupportedOperationError:
        return QStringLiteral("%1 is not a serial port: %2").arg(m_device, m_port.errorString());
    default:
        return QStringLiteral("The serial port %1 could not be opened: %2")
            .arg(m_device, m_port.errorString());
    }
}

bool QtSerialPort::open(const PortSettings& settings, PortOpenError* error) {
    if (m_port.isOpen()) m_port.close();
    m_device = !m_devicePath.isEmpty()      ? m_devicePath
               : !settings.device.isEmpty() ? settings.device
                                            : deviceForPort(settings.portNumber);
    // Pseudo-terminals are not enumerated, so the device is named directly.
    m_port.setPortName(m_device);
    m_port.setBaudRate(settings.baud);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        if (error) {
            error->number = int(m_port.error());
            error->source = QStringLiteral("QSerialPort");
            error->description = describeOpenError(m_port.error());
        }
        return false;
    }
    setLowLatency();
    m_in.clear();
    m_inPos = 0;
#ifdef Q_OS_UNIX
    m_fd = int(m_port.handle());
#endif
    return true;
}

// USB adapters otherwise hold every reply for their latency timer (often 16 ms). Drivers
// that do not support it (pseudo-terminals among them) refuse with ENOTTY: ignore that.
void QtSerialPort::setLowLatency() {
    m_lowLatency = false;
#ifdef Q_OS_LINUX
    const int fd = int(m_port.handle());
    serial_struct ss{};
    if (fd >= 0 && ::ioctl(fd, TIOCGSERIAL, &ss) == 0) {
        ss.flags |= ASYNC_LOW_LATENCY;
        m_lowLatency = ::ioctl(fd, TIOCSSERIAL, &ss) == 0;
    }
#endif
}

void QtSerialPort::close() {
    if (m_port.isOpen()) m_port.close();
    m_fd = -1;
    m_in.clear();
    m_inPos = 0;
}

// Moves whatever has arrived into m_in without blocking.
void QtSerialPort::fill() {
    if (m_inPos > 0 && m_inPos == m_in.size()) {
        m_in.clear();
        m_inPos = 0;
    }
    if (m_port.bytesAvailable() > 0) // read by QSerialPort while an event loop ran
        m_in += m_port.readAll();
#ifdef Q_OS_UNIX
    if (m_fd < 0) return;
    char buf[256];
    const ssize_t n = ::read(m_fd, buf, sizeof buf);
    if (n > 0) m_in.append(buf, n);
#else
    if (m_port.waitForReadyRead(0)) m_in += m_port.readAll();
#endif
}

int QtSerialPort::bytesWaiting() {
    if (m_inPos == m_in.size()) fill();
    return int(m_in.size() - m_inPos);
}

void QtSerialPort::discardInput() {
    m_port.clear(QSerialPort::Input);
    m_port.readAll();
    m_in.clear();
    m_inPos = 0;
    while (bytesWaiting() > 0) { // what the driver still held
        m_in.clear();
        m_inPos = 0;
    }
}

void QtSerialPort::send(quint8 byte) {
    const char c = char(byte);
#ifdef Q_OS_UNIX
    if (m_fd >= 0) {
        for (int tries = 0; tries < 100; ++tries) {
            if (::write(m_fd, &c, 1) == 1) return;
            if (errno != EAGAIN && errno != EINTR)
                return; // a dead line shows up as a missing reply
            pollfd p{m_fd, POLLOUT, 0};
            ::poll(&p, 1, 10);
        }
        return;
    }
#endif
    m_port.write(&c, 1);
    // write() only queues; a lock-step exchange needs the byte on the wire now.
    m_port.waitForBytesWritten(1000);
}

int QtSerialPort::take() {
    if (bytesWaiting() == 0) return -1;
    return quint8(m_in[m_inPos++]);
}

bool QtSerialPort::waitForInput(int timeoutMs) {
#ifdef Q_OS_UNIX
    if (m_fd >= 0) {
        // What was taken from the driver or QSerialPort already; the poll sees the rest, so
        // no read is tried before it.
        if (m_inPos < m_in.size() || m_port.bytesAvailable() > 0) return bytesWaiting() > 0;
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) > 0) fill();
        return bytesWaiting() > 0;
    }
#endif
    if (bytesWaiting() > 0) return true;
    if (m_port.waitForReadyRead(timeoutMs)) m_in += m_port.readAll();
    return bytesWaiting() > 0;
}

} // namespace kalvex
