#include "QtSerialPort.h"

#include <QFileInfo>

#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace kalvex {

QtSerialPort::QtSerialPort(QString devicePath) : m_devicePath(std::move(devicePath)) {}

QString QtSerialPort::deviceForPort(int portNumber) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

QString QtSerialPort::describeOpenError(QSerialPort::SerialPortError e) const {
    switch (e) {
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("The serial port %1 does not exist. Check the port number under "
                              "Options > Comm Port, or that the USB adapter is plugged in.")
            .arg(m_device);
    case QSerialPort::PermissionError:
#ifdef Q_OS_LINUX
        return QStringLiteral("The serial port %1 is busy or access is denied. Close any other "
                              "program using it (a modem manager may hold it) and make sure "
                              "your user is in the 'dialout' group (sudo usermod -aG dialout "
                              "$USER, then log in again).")
            .arg(m_device);
#else
        return QStringLiteral("The serial port %1 is in use by another program or access is "
                              "denied. Close the other program and try again.")
            .arg(m_device);
#endif
    default:
        return QStringLiteral("The serial port %1 could not be opened: %2")
            .arg(m_device, m_port.errorString());
    }
}

bool QtSerialPort::open(const PortSettings& settings, PortOpenError* error) {
    if (m_port.isOpen()) m_port.close();
    m_device = m_devicePath.isEmpty() ? deviceForPort(settings.portNumber) : m_devicePath;
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
}

int QtSerialPort::bytesWaiting() {
    if (m_port.bytesAvailable() == 0)
        m_port.waitForReadyRead(0); // pick up what the driver already holds
    return int(m_port.bytesAvailable());
}

void QtSerialPort::discardInput() {
    m_port.clear(QSerialPort::Input);
    m_port.readAll();
}

void QtSerialPort::send(quint8 byte) {
    const char c = char(byte);
    m_port.write(&c, 1);
    // write() only queues; a lock-step exchange needs the byte on the wire now.
    m_port.waitForBytesWritten(1000);
}

int QtSerialPort::take() {
    char c = 0;
    if (m_port.bytesAvailable() == 0 || m_port.read(&c, 1) != 1) return -1;
    return quint8(c);
}

bool QtSerialPort::waitForInput(int timeoutMs) {
    if (m_port.bytesAvailable() > 0) return true;
    return m_port.waitForReadyRead(timeoutMs) || m_port.bytesAvailable() > 0;
}

} // namespace kalvex
