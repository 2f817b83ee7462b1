#include "link/NetworkPort.h"

#include <QDeadlineTimer>
#include <QThread>
#include <QUrl>

namespace kalvex {

namespace {

const QString kRaw = QStringLiteral("socket");
const QString kTelnet = QStringLiteral("rfc2217");

QString reasonFor(const QTcpSocket& s) {
    switch (s.error()) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("the connection was refused (no device server listens on that "
                              "port)");
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("unknown host (%1)").arg(s.errorString());
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("no answer within %1 s (the host is off or unreachable)")
            .arg(kConnectTimeoutMs / 1000);
    default:
        return s.errorString();
    }
}

} // namespace

bool isNetworkDevice(const QString& device) {
    return device.startsWith(kRaw + QStringLiteral("://"), Qt::CaseInsensitive) ||
           device.startsWith(kTelnet + QStringLiteral("://"), Qt::CaseInsensitive);
}

std::optional<NetworkDevice> parseNetworkDevice(const QString& device, QString* why) {
    const QUrl url(device.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    const auto refuse = [&](const QString& what) {
        if (why)
            *why = QStringLiteral("%1 is no device server address: %2. Write "
                                  "rfc2217://HOST:PORT or socket://HOST:PORT.")
                       .arg(device, what);
        return std::nullopt;
    };
    if (!url.isValid() || (scheme != kRaw && scheme != kTelnet))
        return refuse(QStringLiteral("it cannot be read"));
    if (url.host().isEmpty()) return refuse(QStringLiteral("the host is missing"));
    if (url.port() < 1) return refuse(QStringLiteral("the port (1 to 65535) is missing"));
    if (!url.path().isEmpty() || url.hasQuery() || url.hasFragment() || !url.userInfo().isEmpty())
        return refuse(QStringLiteral("only a host and a port may follow the scheme"));
    return NetworkDevice{scheme == kTelnet, url.host(), quint16(url.port())};
}

QString networkDeviceText(const NetworkDevice& d) {
    const QString host = d.host.contains(u':') ? u'[' + d.host + u']' : d.host; // IPv6
    return QStringLiteral("%1://%2:%3").arg(d.rfc2217 ? kTelnet : kRaw, host).arg(d.port);
}

NetworkPort::NetworkPort(QString device) : m_device(std::move(device)) {}

QString NetworkPort::where() const {
    return QStringLiteral("The device server at %1 port %2")
        .arg(m_address->host)
        .arg(m_address->port);
}

bool NetworkPort::open(const PortSettings& settings, PortOpenError* error) {
    close();
    QString why;
    m_address = parseNetworkDevice(m_device, &why);
    m_baud = settings.baud;
    if (m_address && connectToServer(&why)) {
        m_wanted = true;
        return true;
    }
    if (error) {
        error->number = int(m_socket.error());
        error->source = QStringLiteral("QTcpSocket");
        error->description = why;
    }
    m_socket.abort();
    return false;
}

bool NetworkPort::connectToServer(QString* why) {
    m_socket.abort();
    m_decoder = telnet::Decoder{};
    m_in.clear();
    m_inPos = 0;
    // Each byte of the lock-step exchange goes out alone and at once.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    m_socket.connectToHost(m_address->host, m_address->port);
    if (!m_socket.waitForConnected(kConnectTimeoutMs)) {
        *why = QStringLiteral("%1 cannot be reached: %2.").arg(where(), reasonFor(m_socket));
        return false;
    }
    return !m_address->rfc2217 || negotiate(why);
}

bool NetworkPort::negotiate(QString* why) {
    const QString raw = QStringLiteral("socket://%1:%2").arg(m_address->host).arg(m_address->port);
    m_socket.write(telnet::openingOffers());
    if (!waitUntil([this] { return m_decoder.comPortAccepted() || m_decoder.comPortRefused(); },
                   kConnectTimeoutMs) ||
        m_decoder.comPortRefused()) {
        *why = QStringLiteral("%1 does not take RFC 2217 port settings. If it passes the bytes "
                              "as they are, use %2 and set the port on the server.")
                   .arg(where(), raw);
        return false;
    }
    m_socket.write(telnet::portSetup(m_baud));
    if (!waitUntil([this] { return m_decoder.serverReplies() >= telnet::kPortSetupCommands; },
                   kConnectTimeoutMs)) {
        *why = QStringLiteral("%1 did not confirm the port settings (%2 baud, 8 data bits, no "
                              "parity, 1 stop bit).")
                   .arg(where())
                   .arg(m_baud);
        return false;
    }
    if (m_decoder.baud() != quint32(m_baud)) {
        *why = QStringLiteral("%1 set its port to %2 baud instead of %3.")
                   .arg(where())
                   .arg(m_decoder.baud().value_or(0))
                   .arg(m_baud);
        return false;
    }
    m_in.clear(); // the purge covers anything the board sent before it
    m_inPos = 0;
    return true;
}

// Blocks in the kernel until `done` holds, the time is up or the connection ends.
bool NetworkPort::waitUntil(const std::function<bool()>& done, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    pump();
    while (!done()) {
        if (deadline.hasExpired() || m_socket.state() != QAbstractSocket::ConnectedState ||
            !m_socket.waitForReadyRead(int(deadline.remainingTime())))
            return done();
        pump();
    }
    return true;
}

void NetworkPort::pump() {
    if (m_socket.state() == QAbstractSocket::ConnectedState && m_socket.bytesAvailable() == 0)
        m_socket.waitForReadyRead(0); // takes what the kernel holds, without waiting
    if (m_socket.bytesAvailable() == 0) return;
    if (m_inPos > 0 && m_inPos == m_in.size()) {
        m_in.clear();
        m_inPos = 0;
    }
    const QByteArray raw = m_socket.readAll();
    if (!m_address->rfc2217) {
        m_in += raw;
        return;
    }
    QByteArray reply;
    m_decoder.feed(raw, m_in, reply);
    if (!reply.isEmpty()) {
        m_socket.write(reply);
        m_socket.flush();
    }
}

void NetworkPort::close() {
    m_wanted = false;
    m_socket.abort();
    m_in.clear();
    m_inPos = 0;
}

int NetworkPort::bytesWaiting() {
    if (m_inPos == m_in.size()) pump();
    return int(m_in.size() - m_inPos);
}

void NetworkPort::discardInput() {
    pump();
    m_in.clear();
    m_inPos = 0;
}

void NetworkPort::send(quint8 byte) {
    if (!m_wanted) return;
    if (m_socket.state() != QAbstractSocket::ConnectedState) {
        QString why;
        if (!connectToServer(&why)) return; // still gone: the byte is lost, as on a loose cable
    }
    const char c = char(byte);
    m_socket.write(m_address->rfc2217 ? telnet::escape(QByteArrayView(&c, 1)) : QByteArray(1, c));
    m_socket.flush();
}

int NetworkPort::take() {
    if (bytesWaiting() == 0) return -1;
    return quint8(m_in[m_inPos++]);
}

bool NetworkPort::waitForInput(int timeoutMs) {
    if (bytesWaiting() > 0) return true;
    const QDeadlineTimer deadline(timeoutMs);
    if (waitUntil([this] { return m_inPos < m_in.size(); }, timeoutMs)) return true;
    // A dropped connection answers nothing: the wait lasts as long as for a silent board.
    if (m_socket.state() != QAbstractSocket::ConnectedState && !deadline.hasExpired())
        QThread::msleep(quint64(deadline.remainingTime()));
    return false;
}

} // namespace kalvex
