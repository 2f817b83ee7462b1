// PLS channel programming: short command exchanges with the board's programmable limit switch.
#include "link/PlsLink.h"

#include "link/Protocol.h"

namespace kalvex {

namespace {

constexpr int kFailedRead = -9999;
constexpr qint64 kReadyFirstUs = 3'000'000;
constexpr qint64 kReadyRetryUs = 2'000'000;
// A short pause between READY polls spares the line and the processor while the PLS is busy.
constexpr qint64 kReadyPollUs = 5'000;

// Board modes of the PLS exchanges.
enum PlsMode {
    kChannelWrite = 3,
    kWordRead = 4,
    kWordWrite = 5,
    kRecall = 6,
    kBlockWrite = 7,
    kConfigRead = 8
};
// PLS command bytes, sent as the mode byte of the handshake.
enum PlsCommand {
    kRecallCmd = 9,
    kConfigReadCmd = 12,
    kScaleFactorCmd = 24,
    kConfigWordCmd = 26,
    kChannelCmd = 27,
    kOffsetCmd = 40,
    kOffsetWriteCmd = 42,
    kPulseTrainCmd = 43,
    kFirstBlockCmd = 59,
    kPositionCmd = 72,
    kRpmCmd = 88
};

const QString kTwoBreaks = QStringLiteral("\r\n\r\n");

bool isByte(qint64 v) {
    return v >= 0 && v <= 255;
}
bool isWord(qint64 v) {
    return v >= 0 && v <= 65535;
}

QByteArray wordBytes(int word) {
    QByteArray b;
    b += char(word % 256);
    b += char(word / 256);
    return b;
}

} // namespace

// ---- exchanges ----

int PlsLink::PLSReadWord(int command) {
    m_link.resetBoardMode();
    int result = kFailedRead;
    if (m_link.SetBoardMode(kWordRead, command) && !m_link.CommError()) {
        const int low = m_link.ExchangeByte(kAcknowledge);
        const int high = m_link.CommError() ? RSComm::kNoReply : m_link.ExchangeByte(kAcknowledge);
        if (!m_link.CommError() && low != RSComm::kNoReply && high != RSComm::kNoReply)
            result = high * 256 + low;
    }
    m_link.resetBoardMode();
    return result;
}

// Mode handshake, the bytes (each acknowledged), then the READY wait.
bool PlsLink::plsSendAll(int mode, int command, const QByteArray& bytes) {
    m_link.resetBoardMode();
    bool ok = m_link.SetBoardMode(mode, command) && !m_link.CommError();
    for (qsizetype i = 0; ok && i < bytes.size(); ++i)
        ok = m_link.ExchangeByte(quint8(bytes[i])) == kAcknowledge && !m_link.CommError();
    ok = ok && PLSWaitReady();
    m_link.resetBoardMode();
    return ok;
}

bool PlsLink::PLSWriteChannel(int command, int chan, int a, int b, int flag) {
    QByteArray record;
    record += char(chan);
    record += wordBytes(a);
    record += wordBytes(b);
    record += char(flag);
    return plsSendAll(kChannelWrite, command, record);
}

bool PlsLink::PLSWriteWord(int command, int word) {
    return plsSendAll(kWordWrite, command, wordBytes(word));
}

bool PlsLink::PLSWriteBlock(int command, const int* entries) {
    QByteArray block;
    for (int i = 0; i < 6; ++i)
        block += char(entries[i]);
    return plsSendAll(kBlockWrite, command, block);
}

bool PlsLink::PLSReadConfig(int command) {
    m_link.resetBoardMode();
    bool ok = m_link.SetBoardMode(kConfigRead, command) && !m_link.CommError();
    for (int i = 0; ok && i < kPlsConfigBytes; ++i) {
        const int r = m_link.ExchangeByte(kAcknowledge);
        ok = !m_link.CommError() && r != RSComm::kNoReply;
        if (ok) m_plsConfig[size_t(i)] = r; // entries not read keep their values
    }
    m_link.resetBoardMode();
    return ok;
}

bool PlsLink::PLSRecall(int chan) {
    m_link.resetBoardMode();
    if (!m_link.SetBoardMode(kRecall, kRecallCmd)) return false;
    if (m_link.CommError()) {
        m_channelRecallState = 2;
        m_channelRecallPos = 0;
        return false;
    }
    if (m_link.ExchangeByte(chan) != kAcknowledge) return false;
    int reply[3] = {};
    for (int& r : reply) {
        r = m_link.ExchangeByte(kAcknowledge);
        if (m_link.CommError()) {
            m_channelRecallState = 0;
            m_channelRecallPos = 0;
            return false;
        }
    }
    m_channelRecallState = reply[0];
    if (reply[2] > 16) {
        m_channelRecallState = 2;
        m_channelRecallPos = 0;
        return false;
    }
    m_channelRecallPos = reply[2] * 256 + reply[1];
    return true;
}

bool PlsLink::PLSWaitReady() {
    qint64 deadline = m_link.clock().nowUs() + kReadyFirstUs;
    for (;;) {
        // A cancelled link stops here, before the READY box would ask the user a second time.
        if (m_link.CommError()) return false;
        if (m_link.clock().nowUs() >= deadline) {
            const MsgAnswer a = m_link.prompt().message(
                QStringLiteral("WARNING - Communication Error!"),
                QStringLiteral("Cannot Determine PLS READY Mode Within Target Board."),
                MsgButtons::RetryCancel, MsgIcon::Critical);
            if (a != MsgAnswer::Retry) {
                m_link.setCommError(true);
                return false;
            }
            deadline = m_link.clock().nowUs() + kReadyRetryUs;
        }
        if (plsAskReady()) return true;
        m_link.clock().sleepUntilUs(m_link.clock().nowUs() + kReadyPollUs);
    }
}

// 0x38 is acknowledged; then 0x55 is answered 0 when ready (and 0x55 closes the poll) or 0x55
// while busy.
bool PlsLink::plsAskReady() {
    if (m_link.ExchangeByte(kPlsReadyQuery) != kAcknowledge) return false;
    if (m_link.ExchangeByte(kAcknowledge) != 0) return false;
    m_link.ExchangeByte(kAcknowledge);
    return true;
}

// ---- read properties ----

LinkResult PlsLink::read(Word word) {
    RSComm::BusyGuard busy(m_link);
    const int command = word == Word::ScaleFactor ? kScaleFactorCmd
                        : word == Word::Offset    ? kOffsetCmd
                        : word == Word::Position  ? kPositionCmd
                                                  : kRpmCmd;
    const int v = PLSReadWord(command);
    if (v != kFailedRead) return {v, LinkFailure::None};
    return {0, m_link.CommError() ? LinkFailure::NoAnswer : LinkFailure::WrongEcho};
}

QString PlsLink::PLSScaleFactor() {
    RSComm::BusyGuard busy(m_link);
    return QString::number(PLSReadWord(kScaleFactorCmd));
}

QString PlsLink::PLSOffset() {
    RSComm::BusyGuard busy(m_link);
    return QString::number(PLSReadWord(kOffsetCmd));
}

QString PlsLink::PLSPos() {
    RSComm::BusyGuard busy(m_link);
    return QString::number(PLSReadWord(kPositionCmd));
}

QString PlsLink::PLSRpm() {
    RSComm::BusyGuard busy(m_link);
    return QString::number(PLSReadWord(kRpmCmd));
}

// ---- channels ----

bool PlsLink::setpointRefused(int scale, int setpoint) {
    if (setpoint <= scale - 1) return false;
    m_link.prompt().message(
        QStringLiteral("PLS Single Setpoint"),
        QStringLiteral("Setpoint setting %1 is greater than scale factor.").arg(setpoint) +
            kTwoBreaks + QStringLiteral("Channel can not be programmed."),
        MsgButtons::Ok, MsgIcon::Exclamation);
    return true;
}

bool PlsLink::SingleSetpoint(int chan, int onSetpoint, int offSetpoint, bool clearChan) {
    RSComm::BusyGuard busy(m_link);
    if (m_link.CommError() || !isByte(chan) || onSetpoint < 0 || offSetpoint < 0) return false;
    const int scale = PLSReadWord(kScaleFactorCmd);
    if (m_link.CommError() || scale == kFailedRead) return false;
    if (setpointRefused(scale, onSetpoint) || setpointRefused(scale, offSetpoint)) return false;
    if (clearChan && (!PLSWriteChannel(kChannelCmd, chan, 0, 0, 0) || m_link.CommError()))
        return false;
    return PLSWriteChannel(kChannelCmd, chan, onSetpoint, offSetpoint, 1);
}

bool PlsLink::ClearPLSChan(int chan) {
    RSComm::BusyGuard busy(m_link);
    if (!isByte(chan)) return false;
    return PLSWriteChannel(kChannelCmd, chan, 0, 0, 0);
}

// The first reason the pulse train cannot be programmed, shown in its box; false when none.
bool PlsLink::pulseTrainRefused(int scale, int onDivision, int offDivision, int startDivision) {
    QString reason;
    if (onDivision <= 0 || offDivision <= 0)
        reason = QStringLiteral("ON Division and OFF Division Must be Greater Than 0.");
    else if (scale % (qint64(onDivision) + offDivision) != 0)
        reason =
            QStringLiteral("ON Division Plus OFF Division\r\nMust be a Multiple of %1.").arg(scale);
    else if (onDivision >= 256 || offDivision >= 256)
        reason = QStringLiteral("ON Division or OFF Division Must be Less Than 255.");
    else if (startDivision > scale - 1)
        reason = QStringLiteral("Start Position Must Not Be Greater Than %1.").arg(scale - 1);
    if (reason.isEmpty()) return false;
    m_link.prompt().message(QStringLiteral("PLS Pulse Train"),
                            reason + kTwoBreaks +
                                QStringLiteral("PLS Channel will not be Programmed."),
                            MsgButtons::Ok, MsgIcon::Exclamation);
    return true;
}

bool PlsLink::PulseTrain(int chan, int onDivision, int offDivision, int startDivision) {
    RSComm::BusyGuard busy(m_link);
    if (m_link.CommError() || !isByte(chan) || startDivision < 0) return false;
    const int scale = PLSReadWord(kScaleFactorCmd);
    if (m_link.CommError() || scale == kFailedRead) return false;
    if (pulseTrainRefused(scale, onDivision, offDivision, startDivision)) return false;
    if (!PLSWriteChannel(kPulseTrainCmd, chan, startDivision, offDivision * 256 + onDivision, 0)) {
        m_link.prompt().message(QStringLiteral("PLS Pulse Train"),
                                QStringLiteral("Error Encountered while Programming Pulse Train.") +
                                    kTwoBreaks +
                                    QStringLiteral("PLS Channel will not be Programmed."),
                                MsgButtons::Ok, MsgIcon::Information);
        return false;
    }
    return !m_link.CommError();
}

bool PlsLink::RecallChannel(int chan) {
    RSComm::BusyGuard busy(m_link);
    if (!isByte(chan)) return false;
    const bool ok = PLSRecall(chan);
    m_link.resetBoardMode();
    return ok;
}

// ---- offset and configuration ----

bool PlsLink::offsetRefused(int scale, int position) {
    QString reason;
    if (position > scale)
        reason = QStringLiteral("Desired Position cannot be greater than Scale Factor of %1.")
                     .arg(scale);
    else if (scale <= 0) // an offset modulo 0 has no value
        reason = QStringLiteral("Scale Factor is 0.");
    if (reason.isEmpty()) return false;
    m_link.prompt().message(QStringLiteral("Set PLS Offset"),
                            reason + kTwoBreaks +
                                QStringLiteral("PLS Offset will not be Programmed."),
                            MsgButtons::Ok, MsgIcon::Exclamation);
    return true;
}

bool PlsLink::SetPLSOffset(int position) {
    RSComm::BusyGuard busy(m_link);
    if (m_link.CommError()) return false;
    const qint64 offset = PLSReadWord(kOffsetCmd);
    if (m_link.CommError()) return false;
    const qint64 current = PLSReadWord(kPositionCmd);
    if (m_link.CommError()) return false;
    const int scale = PLSReadWord(kScaleFactorCmd);
    if (m_link.CommError() || offset < 0 || current < 0 || scale < 0) return false;
    if (offsetRefused(scale, position)) return false;
    const qint64 newOffset = (scale + (offset + current) % scale - position) % scale;
    return PLSWriteWord(kOffsetWriteCmd, int(newOffset));
}

bool PlsLink::PLSConfigDownload(const PlsConfig& config, int configWord) {
    RSComm::BusyGuard busy(m_link);
    for (const int entry : config)
        if (!isByte(entry)) return false;
    if (!isWord(configWord)) return false;
    for (int b = 0; b < 4; ++b)
        if (!PLSWriteBlock(kFirstBlockCmd + 16 * b, config.data() + 6 * b)) return false;
    return PLSWriteWord(kConfigWordCmd, configWord);
}

PlsLink::PlsConfigTable PlsLink::PLSConfigUpload() {
    (void)uploadConfig();
    return m_plsConfig;
}

std::optional<PlsLink::PlsConfigTable> PlsLink::uploadConfig() {
    RSComm::BusyGuard busy(m_link);
    if (PLSReadConfig(kConfigReadCmd)) return m_plsConfig;
    m_link.prompt().message(QStringLiteral("PLS Upload"),
                            QStringLiteral("Not able to Upload Configuration from PLS."),
                            MsgButtons::Ok, MsgIcon::Exclamation);
    return std::nullopt;
}

} // namespace kalvex
