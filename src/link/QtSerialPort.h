#pragma once
#include "SerialPort.h"

#include <QSerialPort>

namespace kalvex {

// Real ports and pseudo-terminals through QSerialPort. Port number n is COMn on Windows and
// /dev/ttyS<n-1> on Linux unless a device path was given.
class QtSerialPort final : public SerialPort {
  public:
    explicit QtSerialPort(QString devicePath = QString());

    bool open(const PortSettings& settings, PortOpenError* error) override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    int bytesWaiting() override;
    void discardInput() override;
    void send(quint8 byte) override;
    int take() override;
    bool waitForInput(int timeoutMs) override;
    QString deviceName() const override { return m_device; }
    bool lowLatency() const override { return m_lowLatency; }

    static QString deviceForPort(int portNumber);

  private:
    QString describeOpenError(QSerialPort::SerialPortError e) const;
    void setLowLatency();

    QSerialPort m_port;
    QString m_devicePath;
    QString m_device;
    bool m_lowLatency = false;
};

} // namespace kalvex
