#pragma once
#include "link/SerialPort.h"

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
    bool usesPortNumber() const override { return m_devicePath.isEmpty(); }
    bool lowLatency() const override { return m_lowLatency; }

    static QString deviceForPort(int portNumber);
    // The device a --device argument names. QSerialPort reads a name without a slash as
    // /dev/NAME and a relative path against nothing in particular, so a relative path is made
    // absolute here; a bare name keeps meaning /dev/NAME only when the current folder has no
    // such file.
    static QString resolveDevicePath(const QString& path);
    // The message for a port that is busy (EBUSY) or denied (EACCES).
    // `group` is one whose members may open the device ("dialout"; empty when none may). The
    // fix for a denied port is named once per run; later refusals only point back to it.
    static QString busyOrDeniedText(const QString& device, int osError, const QString& group = {},
                                    bool withFix = true);
    // The group whose members may read and write the device; empty when there is none that a
    // user should join (root, tty) or the device cannot be examined.
    static QString deviceGroup(const QString& device);

  private:
    QString describeOpenError(QSerialPort::SerialPortError e) const;
    int probeOpenError() const;
    QString lockFileProblem() const;
    void setLowLatency();
    void fill();

    // Bytes already taken from the driver. On POSIX systems the exchange talks to the file
    // descriptor directly: QSerialPort's buffered path costs several times the wire round trip.
    QByteArray m_in;
    qsizetype m_inPos = 0;
    int m_fd = -1;
    QSerialPort m_port;
    QString m_devicePath;
    QString m_device;
    bool m_lowLatency = false;
};

} // namespace kalvex
