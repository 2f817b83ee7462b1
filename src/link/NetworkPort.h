#pragma once
#include "link/SerialPort.h"
#include "link/TelnetCodec.h"

#include <QTcpSocket>

#include <functional>
#include <optional>

namespace kalvex {

// A serial device server on the network: `socket://host:port` carries the bytes as they are
// (the server's own port settings apply); `rfc2217://host:port` speaks Telnet with the COM port
// option and sets the line itself.
struct NetworkDevice {
    bool rfc2217 = false;
    QString host;
    quint16 port = 0;
};

bool isNetworkDevice(const QString& device);
// Nothing, with why, when `device` is no usable device-server address.
std::optional<NetworkDevice> parseNetworkDevice(const QString& device, QString* why);
QString networkDeviceText(const NetworkDevice& d);

constexpr int kConnectTimeoutMs = 4000;

// The link's port over TCP. A connection the server dropped is a board that does not answer:
// waiting times out as on a silent line, and the next byte sent (the link's resynchronising
// attention byte, or Retry) connects again first.
class NetworkPort final : public SerialPort {
  public:
    explicit NetworkPort(QString device);

    bool open(const PortSettings& settings, PortOpenError* error) override;
    void close() override;
    bool isOpen() const override { return m_wanted; }
    int bytesWaiting() override;
    void discardInput() override;
    void send(quint8 byte) override;
    int take() override;
    bool waitForInput(int timeoutMs) override;
    QString deviceName() const override { return m_device; }
    bool usesPortNumber() const override { return false; }

  private:
    bool connectToServer(QString* why);
    bool negotiate(QString* why);
    bool waitUntil(const std::function<bool()>& done, int timeoutMs);
    void pump();
    QString where() const;

    QString m_device;
    std::optional<NetworkDevice> m_address;
    int m_baud = 9600;
    bool m_wanted = false; // opened and not closed: a lost connection is made again
    QTcpSocket m_socket;
    telnet::Decoder m_decoder;
    QByteArray m_in;
    qsizetype m_inPos = 0;
};

} // namespace kalvex
