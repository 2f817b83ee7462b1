// Settings file, opening and closing of the port.
#include "link/CommSettings.h"
#include "link/ProgramFolder.h"
#include "link/Protocol.h"
#include "link/RSComm.h"
#include "link/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kalvex {

RSComm::RSComm(Prompt& prompt, Clock& clock, QString programFolder)
    : m_prompt(prompt), m_clock(clock), m_programFolder(std::move(programFolder)) {}

namespace {

const QString kSettingsName = QStringLiteral("RSPort.cfg");

QString userSettingsFile(const QString& userFolder) {
    return userFolder.isEmpty() ? QString() : QDir(userFolder).filePath(kSettingsName);
}

} // namespace

QString RSComm::CommSettingsFile() const {
    const QString user = userSettingsFile(m_userSettingsFolder);
    if (!user.isEmpty() && QFileInfo::exists(user)) return user;
    if (!m_systemSettingsFile.isEmpty()) return m_systemSettingsFile;
    return supportFile(m_programFolder, kSettingsName);
}

QString RSComm::CommSettingsSaveFile() const {
    const QString read = CommSettingsFile();
    const QString user = userSettingsFile(m_userSettingsFolder);
    if (!m_systemSettingsFile.isEmpty() && !user.isEmpty()) return user;
    if (read == user || user.isEmpty() || whyNotWritable(read).isEmpty()) return read;
    return user;
}

bool RSComm::retrySetupStep(int number, const QString& description) {
    const MsgAnswer a = m_prompt.message(QStringLiteral("RSComm InitializeRSComm"),
                                         errorNumberText(number, description),
                                         MsgButtons::RetryCancel, MsgIcon::Critical);
    if (a == MsgAnswer::Retry) return true;
    setOnline(false);
    m_portFailed = true;
    return false;
}

// Returns false when the user gave up on a file that cannot be read or gives no settings: a
// guess would open a port nobody chose. With a named device the file is only read for its
// speed, and neither rewritten nor complained about.
bool RSComm::readSettingsFile(const QString& path, bool mayWrite) {
    for (;;) {
        QString why;
        const std::optional<QByteArray> bytes = readLimitedFile(path, kCommSettingsLimit, &why);
        if (bytes && bytes->isEmpty())
            return !mayWrite || writeDefaultSettings(CommSettingsSaveFile());
        const std::optional<PortSettings> read =
            bytes ? parseCommSettings(*bytes, &why) : std::nullopt;
        if (read || !mayWrite) {
            m_settings = read.value_or(PortSettings{});
            return true;
        }
        if (!retrySetupStep(bytes ? 13 : 75, QStringLiteral("%1: %2").arg(path, why))) return false;
    }
}

bool RSComm::writeDefaultSettings(const QString& path) {
    for (;;) {
        const QString folder = QFileInfo(path).absolutePath();
        if (!QDir().mkpath(folder)) {
            if (retrySetupStep(76, QStringLiteral("Cannot write %1: the folder %2 cannot be made.")
                                       .arg(path, folder)))
                continue;
            return false;
        }
        const QString why = saveFileAtomically(path, formatCommSettings({}));
        if (why.isEmpty()) return true;
        if (!retrySetupStep(75, why)) return false;
    }
}

void RSComm::InitializeRSComm(SerialPort& commObj) {
    m_settings = PortSettings{};
    const QString path = CommSettingsFile();
    const bool mayWrite = commObj.usesPortNumber();
    const bool ok = QFileInfo::exists(path) ? readSettingsFile(path, mayWrite)
                    : mayWrite              ? writeDefaultSettings(CommSettingsSaveFile())
                                            : true;
    if (!ok) return; // the user cancelled; the port-failed flag is set
    if (commObj.isOpen()) commObj.close();
    m_port = &commObj;
    m_portFailed = false;
}

void RSComm::OpenRSComm(SerialPort& commObj) {
    BusyGuard busy(*this);
    InitializeRSComm(commObj);
    if (!m_portFailed) {
        PortOpenError err;
        if (!commObj.open(m_settings, &err)) {
            m_prompt.message(QStringLiteral("Comm Port Error"),
                             QStringLiteral("Error Number = %1\r\nError Source = %2\r\n\r\n%3")
                                 .arg(err.number)
                                 .arg(err.source, err.description),
                             MsgButtons::Ok, MsgIcon::Critical);
            setCommError(true);
            setOnline(false);
            m_portFailed = true;
            return;
        }
        commObj.discardInput();
        m_boardMode = kNoMode;
        setCommError(false);
        ExchangeByte(kAttention);
    }
    // A port that could not be set up is never online, whatever CommError says.
    setOnline(!m_portFailed && !CommError());
}

// Without an attached port there is nothing to open: the link stays as it is.
void RSComm::setOnlineMode(bool on) {
    if (!on)
        CloseRSComm();
    else if (m_attached)
        OpenRSComm(*m_attached);
}

void RSComm::setOnline(bool on) {
    m_online = on;
    if (m_busy == 0) requestEnded();
}

void RSComm::setCommError(bool on) {
    if (on && !m_commError) m_lostPending = true;
    m_commError = on;
    if (m_busy == 0) requestEnded();
}

// Announced after the request, so a receiver that switches modes or reads the board never runs
// inside a request.
void RSComm::requestEnded() {
    const bool lost = m_lostPending && m_commError;
    m_lostPending = false;
    if (m_announcedOnline != m_online) {
        m_announcedOnline = m_online;
        Q_EMIT onlineModeChanged(m_online);
    }
    if (lost) Q_EMIT linkLost();
}

void RSComm::CloseRSComm() {
    BusyGuard busy(*this);
    if (m_port && m_port->isOpen()) {
        if (!CommError()) ExchangeByte(kAttention);
        m_port->close();
    }
    m_boardMode = kNoMode;
    setOnline(false);
}

} // namespace kalvex
