#include "link/PortProbe.h"

#include "link/CommSettings.h"
#include "link/NetworkPort.h"
#include "link/Protocol.h"
#include "link/QtSerialPort.h"

#include <QRegularExpression>
#include <QSerialPortInfo>

namespace kalvex {

namespace {

// The RSPort.cfg number of a numbered port: COMn, or /dev/ttyS<n-1> on Linux.
int portNumberOf(const QString& device) {
#ifdef Q_OS_WIN
    static const QRegularExpression re(QStringLiteral("^COM(\\d+)$"),
                                       QRegularExpression::CaseInsensitiveOption);
    const int offset = 0;
#else
    static const QRegularExpression re(QStringLiteral("^/dev/ttyS(\\d+)$"));
    const int offset = 1;
#endif
    const auto m = re.match(device);
    if (!m.hasMatch()) return 0;
    const int n = m.captured(1).toInt() + offset;
    return n >= kMinCommPort && n <= kMaxCommPort ? n : 0;
}

PortCandidate fromInfo(const QSerialPortInfo& info) {
    PortCandidate c = candidateFor(info.systemLocation());
    c.usb = info.hasVendorIdentifier();
    QStringList words;
    if (!info.description().isEmpty()) words << info.description();
    if (!info.manufacturer().isEmpty()) words << QStringLiteral("(%1)").arg(info.manufacturer());
    if (c.usb)
        words << QStringLiteral("%1:%2")
                     .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                     .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
    c.description = (c.usb ? QStringLiteral("USB: ") : QString()) + words.join(u' ');
    return c;
}

} // namespace

PortCandidate candidateFor(const QString& device) {
    PortCandidate c;
    if (isNetworkDevice(device)) {
        c.device = device;
        return c;
    }
    c.device = QtSerialPort::resolveDevicePath(device);
    c.portNumber = portNumberOf(c.device);
    return c;
}

std::vector<PortCandidate> listSerialPorts() {
    std::vector<PortCandidate> out;
    const QString named = qEnvironmentVariable("KALVEX_PORTS");
    if (!named.isEmpty()) {
        static const QRegularExpression separators(QStringLiteral("[:;]"));
        for (const QString& d : named.split(separators, Qt::SkipEmptyParts))
            out.push_back(candidateFor(d));
        return out;
    }
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        out.push_back(fromInfo(info));
    std::sort(out.begin(), out.end(), [](const PortCandidate& a, const PortCandidate& b) {
        return a.usb != b.usb ? a.usb : a.device < b.device; // adapters first
    });
    return out;
}

QString candidateLine(const PortCandidate& c) {
    QString line = c.device;
    if (c.portNumber > 0) line += QStringLiteral(" (port %1)").arg(c.portNumber);
    if (!c.description.isEmpty()) line += QStringLiteral("  ") + c.description;
    return line;
}

QString probeResultText(const ProbeResult& r) {
    const QString where = QStringLiteral("%1 at %2").arg(r.port.device).arg(r.baud);
    switch (r.outcome) {
    case ProbeOutcome::Answered:
        return where + QStringLiteral(": the board answered");
    case ProbeOutcome::Silent:
        return where + QStringLiteral(": no answer");
    case ProbeOutcome::WrongReply:
        return where + QStringLiteral(": answered %1, not a board").arg(r.detail);
    case ProbeOutcome::CannotOpen:
        return where + QStringLiteral(": cannot be opened: ") + r.detail;
    case ProbeOutcome::Skipped:
        return r.port.device + QStringLiteral(": in use by this program, not probed");
    case ProbeOutcome::Network:
        return r.port.device + QStringLiteral(": a device server on the network, not probed");
    }
    return where;
}

ProbeResult probePort(const PortCandidate& port, int baud, int timeoutMs) {
    ProbeResult r{port, baud, ProbeOutcome::Silent, {}};
    QtSerialPort serial(port.device);
    PortOpenError err;
    if (!serial.open(PortSettings{1, baud, {}}, &err)) {
        r.outcome = ProbeOutcome::CannotOpen;
        r.detail = err.description;
        return r;
    }
    serial.discardInput();
    serial.send(kAttention);
    if (serial.waitForInput(timeoutMs)) {
        const int reply = serial.take();
        r.outcome = reply == kAcknowledge ? ProbeOutcome::Answered : ProbeOutcome::WrongReply;
        r.detail = QStringLiteral("0x%1").arg(reply, 2, 16, QLatin1Char('0')).toUpper();
    }
    serial.close();
    return r;
}

BoardSearch::BoardSearch(std::vector<PortCandidate> ports, QString skip, int timeoutMs)
    : m_ports(std::move(ports)), m_skip(std::move(skip)), m_timeoutMs(timeoutMs) {}

ProbeResult BoardSearch::step() {
    const PortCandidate& p = m_ports[m_port];
    const auto nextPort = [this] {
        ++m_port;
        m_speed = 0;
    };
    if (!m_skip.isEmpty() && p.device == m_skip) {
        nextPort();
        return {p, 0, ProbeOutcome::Skipped, {}};
    }
    if (isNetworkDevice(p.device)) {
        nextPort();
        return {p, 0, ProbeOutcome::Network, {}};
    }
    ProbeResult r = probePort(p, kProbeSpeeds[m_speed], m_timeoutMs);
    if (r.outcome == ProbeOutcome::Answered && !m_found) m_found = r;
    if (r.outcome == ProbeOutcome::Answered || r.outcome == ProbeOutcome::CannotOpen ||
        ++m_speed == std::size(kProbeSpeeds))
        nextPort();
    return r;
}

std::optional<ProbeResult> findBoard(const std::vector<PortCandidate>& ports, const QString& skip,
                                     const std::function<void(const ProbeResult&)>& progress,
                                     int timeoutMs) {
    BoardSearch search(ports, skip, timeoutMs);
    while (!search.done()) {
        const ProbeResult r = search.step();
        if (progress) progress(r);
    }
    return search.found();
}

} // namespace kalvex
