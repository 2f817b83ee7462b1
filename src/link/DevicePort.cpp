#include "link/DevicePort.h"

#include "link/NetworkPort.h"
#include "link/QtSerialPort.h"

namespace kalvex {

DevicePort::DevicePort(QString device) : m_device(std::move(device)) {}

bool DevicePort::open(const PortSettings& settings, PortOpenError* error) {
    close();
    const QString named = m_device.isEmpty() ? settings.device : m_device;
    if (isNetworkDevice(named))
        m_port = std::make_unique<NetworkPort>(named);
    else
        m_port = std::make_unique<QtSerialPort>(m_device);
    return m_port->open(settings, error);
}

void DevicePort::close() {
    if (m_port) m_port->close();
}

void DevicePort::discardInput() {
    if (m_port) m_port->discardInput();
}

void DevicePort::send(quint8 byte) {
    if (m_port) m_port->send(byte);
}

bool DevicePort::waitForInput(int timeoutMs) {
    return m_port && m_port->waitForInput(timeoutMs);
}

QString DevicePort::deviceName() const {
    if (m_port) return m_port->deviceName();
    return isNetworkDevice(m_device) ? m_device : QtSerialPort::resolveDevicePath(m_device);
}

} // namespace kalvex
