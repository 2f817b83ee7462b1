// The lock-step byte protocol: exchanges, board modes, reads and writes of board addresses.
#include "link/LinkTrace.h"
#include "link/Protocol.h"
#include "link/RSComm.h"
#include "link/TextNumber.h"

namespace kalvex {

namespace {

constexpr qint64 kFirstReplyUs = 1'000'000;
constexpr qint64 kResyncReplyUs = 2'000'000;
constexpr qint64 kModeDeadlineUs = 2'000'000;

const QString kCommTitle = QStringLiteral("WARNING - Communication Error!");

} // namespace

int RSComm::ExchangeByte(int b, bool noWait, bool flush) {
    if (CommError()) {
        fail(LinkFailure::NoAnswer);
        return kNoReply;
    }
    if (flush && m_port && m_port->isOpen()) m_port->discardInput();
    if (!m_port || !m_port->isOpen()) {
        m_boardMode = kNoMode;
        setCommError(true);
        fail(LinkFailure::NoAnswer);
        return kNoReply;
    }
    m_port->send(quint8(b));
    if (Q_UNLIKELY(linkTraceOn())) return tracedReply(b, noWait, [this] { return waitForReply(); });
    if (noWait) return 0;
    return waitForReply();
}

// 1 s for the reply, then two resynchronising 0xFF with 2 s each, then the Retry/Cancel box.
int RSComm::waitForReply() {
    qint64 deadline = m_clock.nowUs() + kFirstReplyUs;
    int attempts = 0;
    const int resyncsAtStart = m_resyncs;
    for (;;) {
        // One blocking wait for the rest of the time: the port wakes it when the byte comes.
        const qint64 now = m_clock.nowUs();
        if (now < deadline) {
            if (m_port->waitForInput(int((deadline - now + 999) / 1000))) break;
            continue;
        }
        if (m_port->bytesWaiting() > 0) break;
        m_boardMode = kNoMode;
        setCommError(true);
        deadline = now + kResyncReplyUs;
        ++attempts;
        if (attempts < 3) {
            m_port->discardInput();
            setCommError(false);
            ++m_resyncs;
            m_port->send(kAttention);
            continue;
        }
        const MsgAnswer a =
            m_prompt.message(kCommTitle,
                             QStringLiteral("Cannot Communicate with Target Board.\r"
                                            "Verify RS-232 Cable is Connected Between\r"
                                            "COMM Port and PROG Port."),
                             MsgButtons::RetryCancel, MsgIcon::Critical);
        if (a != MsgAnswer::Retry) {
            setCommError(true);
            fail(LinkFailure::NoAnswer);
            return kNoReply;
        }
        // Retry: the resynchronising 0xFF goes out at once, and CommError is cleared with it.
        attempts = 0;
        deadline = m_clock.nowUs();
    }
    if (m_resyncs != resyncsAtStart) ++m_health.resyncs; // the line recovered, this time
    return m_port->take();
}

bool RSComm::SetBoardMode(int mode, int modeByte) {
    m_boardMode = kNoMode;
    qint64 deadline = m_clock.nowUs() + kModeDeadlineUs;
    while (m_boardMode != mode) {
        if (m_clock.nowUs() >= deadline) {
            const MsgAnswer a = m_prompt.message(
                kCommTitle, QStringLiteral("Cannot Set PLC Mode Within Target Board."),
                MsgButtons::RetryCancel, MsgIcon::Critical);
            if (a != MsgAnswer::Retry) {
                setCommError(true);
                fail(LinkFailure::NoAnswer);
                CloseRSComm();
                return false;
            }
            deadline = m_clock.nowUs() + kModeDeadlineUs;
        }
        const int r = ExchangeByte(kAttention, false, true);
        if (r == kAcknowledge) {
            const int r2 = ExchangeByte(modeByte);
            if (r2 == kAcknowledge)
                m_boardMode = mode;
            else if (r2 == kNoReply)
                return false;
        } else if (r == kNoReply) {
            return false;
        }
    }
    return true;
}

QString RSComm::ReadBoardValue(const QString& add) {
    const bool sameAsLast =
        m_parsedIsLastRead && add.compare(m_lastReadAdd, Qt::CaseInsensitive) == 0;
    if (!sameAsLast) m_parsed = parseAddress(add);
    m_lastReadAdd = add;
    m_parsedIsLastRead = true;
    if (!m_parsed.valid) { // never send an address that would land on another cell
        fail(LinkFailure::RefusedInput);
        return QString();
    }
    if (m_boardMode != kReadMode && !SetBoardMode(kReadMode, kReadMode)) return QString();

    quint8 bytes[4] = {};
    const int count = m_parsed.byteCount();
    for (int i = 0; i < count; ++i) {
        const int a = int(m_parsed.byteAddress) + i;
        int r = ExchangeByte(a / 256);
        if (r == kNoReply) return QString();
        if (r != a / 256) {
            m_boardMode = kNoMode;
            ++m_health.wrongEchoes;
            fail(LinkFailure::WrongEcho);
            return QString();
        }
        r = ExchangeByte(a % 256);
        if (r == kNoReply) return QString();
        bytes[i] = quint8(r);
    }
    qint64 value = 0;
    if (m_parsed.bitMode)
        value = (bytes[0] & m_parsed.bitMask) ? 1 : 0;
    else if (m_parsed.type == u'B')
        value = bytes[0];
    else if (m_parsed.type == u'W')
        value = bytes[1] * 256 + bytes[0];
    else
        value = qint64(bytes[3] * 256 + bytes[2]) * 10000 + (bytes[1] * 256 + bytes[0]);
    return QString::number(value);
}

QString RSComm::RSRead(const QString& add) {
    const LinkResult r = readValue(add);
    return r ? QString::number(r.value) : QStringLiteral("0");
}

LinkResult RSComm::readValue(const QString& add) {
    BusyGuard busy(*this);
    m_failure = LinkFailure::None;
    const QString v = ReadBoardValue(add);
    if (v.isEmpty()) { // every path that gives no text says why first
        fail(LinkFailure::NoAnswer);
        ++m_health.failedRequests;
        return {0, m_failure};
    }
    Q_EMIT valueRead(add, v.toLongLong());
    return {v.toLongLong(), LinkFailure::None};
}

void RSComm::entryAlert(const QString& message) {
    fail(LinkFailure::RefusedInput);
    m_prompt.message(QStringLiteral("ENTRY ALERT"), QStringLiteral("Error:\r") + message,
                     MsgButtons::Ok, MsgIcon::Critical);
}

// Digits stay; blanks, "%", ",", "." and the degree sign are dropped; anything else refuses.
bool RSComm::cleanValue(const QString& dataValue, qint64& value) {
    value = 0;
    for (const QChar c : dataValue) {
        if (c >= u'0' && c <= u'9') {
            // Saturate: anything this long is out of every range anyway.
            value = value > 9'999'999'999LL ? value : value * 10 + (c.unicode() - u'0');
        } else if (c != u' ' && c != u'%' && c != u',' && c != u'.' && c != QChar(176)) {
            entryAlert(QStringLiteral("Only Numerical Data Allowed."));
            return false;
        }
    }
    return true;
}

bool RSComm::layOutBytes(qint64 value, QByteArray& bytes) {
    const QChar type = m_parsed.type;
    const qint64 maximum = type == u'B' ? 255 : type == u'W' ? 65535 : 655359999;
    if (value > maximum) {
        entryAlert(type == u'B'   ? QStringLiteral("Entry out of Range (0-255).")
                   : type == u'W' ? QStringLiteral("Entry out of Range (0-65,535).")
                                  : QStringLiteral("Entry out of Range (0-655,359,999)."));
        return false;
    }
    if (type == u'B') {
        bytes = QByteArray(1, char(value));
    } else if (type == u'W') {
        bytes.clear();
        bytes += char(value % 256);
        bytes += char(value / 256);
    } else {
        const qint64 low = value % 10000, high = value / 10000;
        bytes.clear();
        for (const qint64 b : {low % 256, low / 256, high % 256, high / 256})
            bytes += char(b);
    }
    return true;
}

void RSComm::WriteBoardValue(const QString& add, const QString& dataValue) {
    m_writeFailed = false;
    m_failure = LinkFailure::None;
    qint64 value = 0;
    if (!cleanValue(dataValue, value)) return;
    m_parsed = parseAddress(add);
    m_parsedIsLastRead = false;
    if (!m_parsed.valid) {
        entryAlert(addressRangeMessage());
        return;
    }
    if (m_parsed.bitMode) {
        if (value != 0 && value != 1) {
            entryAlert(QStringLiteral("Enter 0 or 1 Only."));
            return;
        }
        const ParsedAddress bit = m_parsed;
        const QString old = ReadBoardValue(QStringLiteral("B%1").arg(bit.byteAddress));
        if (old.isEmpty()) return;
        const qint64 oldByte = old.toLongLong();
        value = value ? (oldByte | bit.bitMask) : (oldByte & ~qint64(bit.bitMask));
        m_parsed = bit;
        m_parsed.bitMode = false;
        m_parsed.type = u'B';
    }
    QByteArray bytes;
    if (!layOutBytes(value, bytes)) return;
    if (m_boardMode != kWriteMode && !SetBoardMode(kWriteMode, kWriteMode)) return;
    sendWrite(bytes);
    if (m_writeFailed) m_boardMode = kNoMode;
}

void RSComm::sendWrite(const QByteArray& bytes) {
    for (qsizetype i = 0; i < bytes.size() && !m_writeFailed; ++i) {
        const int a = int(m_parsed.byteAddress + i);
        for (const int out : {a / 256, a % 256, int(quint8(bytes[i]))}) {
            const int resyncsBefore = m_resyncs;
            const int r = ExchangeByte(out);
            // Whatever the board took instead, the next 0xFF (this wait's or the mode change
            // of the retry) may land as an address low byte or as data.
            if (r != out || m_resyncs != resyncsBefore) noteStray(a);
            if (r == kNoReply) return;
            if (r != out) {
                m_writeFailed = true;
                ++m_health.wrongEchoes;
                fail(LinkFailure::WrongEcho);
                break;
            }
        }
    }
}

void RSComm::noteStray(int byteAddress) {
    m_strayCandidates.push_back(byteAddress);
    m_strayCandidates.push_back((byteAddress & 0xFF00) | 0xFF);
}

void RSComm::RSWrite(const QString& add, const QString& dataValue) {
    (void)writeValue(add, dataValue);
}

// A write whose echo was wrong is sent once more; only the second attempt's outcome counts.
LinkResult RSComm::writeValue(const QString& add, const QString& dataValue) {
    BusyGuard busy(*this);
    WriteBoardValue(add, dataValue);
    if (m_writeFailed) {
        ++m_writeRetries;
        ++m_health.writesRepeated;
        WriteBoardValue(add, dataValue);
    }
    if (m_failure != LinkFailure::None && m_failure != LinkFailure::RefusedInput) {
        ++m_health.failedRequests;
        Q_EMIT valueNotWritten(add, dataValue, m_failure);
    }
    Q_EMIT valueWritten(add, dataValue, m_failure);
    return {0, m_failure};
}

} // namespace kalvex
