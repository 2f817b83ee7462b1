#include "data/BackgroundUpdate.h"

#include "data/AppState.h"
#include "data/OnlineMode.h"
#include "link/RSComm.h"

namespace kalvex {

namespace {

const QString kPanelPrefix = QStringLiteral("System Message:  ");
const QString kOnline = QStringLiteral("Set-up Program is Currently ONLINE");

} // namespace

QString alarmText(int bit) {
    switch (bit) {
    case 0:
        return QStringLiteral("Infeed Track Jam\r\n ");
    case 1:
        return QStringLiteral("Can on Mandrel/\r\nNo transfer Alarm");
    case 2:
        return QStringLiteral("Timing Signal Failure\r\nVerify Resolver Operation");
    default:
        break;
    }
    if (bit < 8) return QString();
    return QStringLiteral("Ductor No.%1 Feedback Fault\r\nVerify Ductor Cycling Operation")
        .arg(bit - 7);
}

QString alarmMessage(int alarmValue) {
    QString message;
    for (int bit = 0; bit < 16; ++bit)
        if (alarmValue & (1 << bit))
            message += QStringLiteral("------------------------------ ALARM MESSAGE "
                                      "------------------------------\r\n") +
                       alarmText(bit) + QStringLiteral("\r\n");
    return message;
}

// A read that failed changes nothing: the panel and the message keep their last texts until
// the board answers, and a fault episode is not ended by a fault code nobody read.
BackgroundUpdate::BackgroundUpdate(RSComm& link, AppState& state) : m_link(link), m_state(state) {
    QObject::connect(&link, &RSComm::linkLost, &m_watch, [this] { m_lost = true; });
    QObject::connect(&link, &RSComm::onlineModeChanged, &m_watch, [this](bool on) {
        if (on) m_lost = false;
    });
}

BackgroundTick BackgroundUpdate::tick() {
    if (!m_link.OnlineMode()) return offline();
    if (m_lost) return {};
    retryBoardReads(m_link, m_state);
    if (!m_link.OnlineMode()) return offline();
    const LinkResult faultCode = m_link.readFaultCode();
    if (!faultCode) return {};
    if (faultCode.value > 0) return faulted(int(faultCode.value));
    return alarms();
}

BackgroundTick BackgroundUpdate::offline() {
    m_state.gStatusMessage = QStringLiteral("Set-up Program is Currently OFFLINE");
    return {true,
            kPanelPrefix + (m_lost ? QStringLiteral("Comm Fault with P9100")
                                   : QStringLiteral("Program is Currently OFFLINE")),
            false};
}

BackgroundTick BackgroundUpdate::faulted(int faultCode) {
    BackgroundTick t{true, QString(), !m_faultShown};
    m_faultShown = true;
    m_state.gStatusMessage = QStringLiteral("****** PROCESSOR FAULTED ******\r\n") + kOnline;
    t.statusPanel = kPanelPrefix + m_link.FaultDescription(faultCode);
    return t;
}

BackgroundTick BackgroundUpdate::alarms() {
    const LinkResult alarmWord = m_link.readValue(QStringLiteral("W98"));
    if (!alarmWord) return {};
    const int alarmValue = int(alarmWord.value);
    if (alarmValue <= 0) {
        m_state.gStatusMessage = QStringLiteral("-- System Normal --\r\n") + kOnline;
        m_faultShown = false;
        return {true, kPanelPrefix + QStringLiteral("All Faults Normal"), false};
    }
    m_state.gStatusMessage = alarmMessage(alarmValue);
    return {true, kPanelPrefix + QStringLiteral("Alarm(s) Active in P9100"), false};
}

} // namespace kalvex
