#pragma once
#include "link/SerialPort.h"

#include <memory>

namespace kalvex {

// The port the programs talk through: a serial device (QtSerialPort) or a device server on the
// network (NetworkPort), chosen when it opens by the device named on the command line or,
// without one, in RSPort.cfg.
class DevicePort final : public SerialPort {
  public:
    explicit DevicePort(QString device = QString());

    bool open(const PortSettings& settings, PortOpenError* error) override;
    void close() override;
    bool isOpen() const override { return m_port && m_port->isOpen(); }
    int bytesWaiting() override { return m_port ? m_port->bytesWaiting() : 0; }
    void discardInput() override;
    void send(quint8 byte) override;
    int take() override { return m_port ? m_port->take() : -1; }
    bool waitForInput(int timeoutMs) override;
    QString deviceName() const override;
    bool usesPortNumber() const override { return m_device.isEmpty(); }
    bool lowLatency() const override { return m_port && m_port->lowLatency(); }

  private:
    QString m_device;
    std::unique_ptr<SerialPort> m_port;
};

} // namespace kalvex
