#pragma once
#include "link/Address.h"
#include "link/Clock.h"
#include "link/LinkResult.h"
#include "link/Prompt.h"
#include "link/SerialPort.h"

#include <QObject>
#include <QString>

#include <vector>

namespace kalvex {

// The one link to the target board: port settings and opening, the lock-step byte protocol,
// reads and writes of board addresses, board identity and fault texts.
class RSComm : public QObject {
    Q_OBJECT

  public:
    static constexpr int kNoReply = 9999;

    RSComm(Prompt& prompt, Clock& clock, QString programFolder);

    // Online and offline: the single switch. Switching opens or closes the attached port, and
    // onlineModeChanged announces every change, wherever it came from.
    bool OnlineMode() const { return m_online; }
    void setOnlineMode(bool on);
    // The port that going online opens.
    void attachPort(SerialPort& port) { m_attached = &port; }
    // A program transfer takes the board out of everyone else's hands: OnlineMode reads false
    // (and is announced so) while the port stays open for the transfer's own exchanges.
    void holdOffline() { setOnline(false); }

    // The board stopped answering, or the user gave up on a retry. The link owns this state:
    // linkLost announces it once the request that saw it has ended, and every request made
    // meanwhile fails with NoAnswer, so callers act on results and signals, never on this.
    bool CommError() const { return m_commError; }
    void setCommError(bool on);

    // Port set-up and opening; setOnlineMode is the way in for windows.
    void OpenRSComm(SerialPort& commObj);
    void CloseRSComm();
    // RSPort.cfg: read from the per-user settings folder when it holds one, else from the
    // program folder's support/; saved where it is read from, unless the program folder cannot
    // be written (an installed program), then in the per-user folder.
    void setUserSettingsFolder(QString folder) { m_userSettingsFolder = std::move(folder); }
    // An installed program: the program folder is never written; the system-wide default
    // (/etc/kalvex/RSPort.cfg) is read when the user has no file, and saves go to the user's.
    void setSystemSettingsFile(QString file) { m_systemSettingsFile = std::move(file); }
    QString CommSettingsFile() const;
    QString CommSettingsSaveFile() const;
    PortSettings portSettings() const { return m_settings; }
    bool portFailed() const { return m_portFailed; }
    SerialPort* port() const { return m_port; }

    // Memory access. readValue and writeValue are the way to the board: a failure carries its
    // kind and never a value. RSRead ("0" on failure) and RSWrite remain for old callers only.
    QString RSRead(const QString& add);
    void RSWrite(const QString& add, const QString& dataValue);
    LinkResult readValue(const QString& add);
    LinkResult writeValue(const QString& add, const QString& dataValue);

    // What the line went through since the port was last opened: a noisy cable shows here
    // before it costs a wrong value.
    struct LineHealth {
        int resyncs = 0;        // replies that came only after a resynchronising 0xFF
        int wrongEchoes = 0;    // echoes that differed from the byte sent
        int writesRepeated = 0; // writes sent again after a wrong echo
        int failedRequests = 0; // reads and writes that failed in the end
    };
    const LineHealth& lineHealth() const { return m_health; }
    // How the last request ended.
    LinkFailure lastFailure() const { return m_failure; }
    // Writes sent again after a wrong echo: the resynchronisation may have stored a stray byte.
    int writeRetries() const { return m_writeRetries; }
    // Byte addresses where a resynchronisation during a write may have stored a stray 0xFF, in
    // the order seen (repeats included): a 0xFF sent while the board waits for an address low byte
    // lands on the last byte of that page (high byte x 256 + 0xFF), one sent while it waits for
    // data on the byte in flight.
    const std::vector<int>& strayCandidates() const { return m_strayCandidates; }

    // True while a request is running; a timer tick that finds the link busy skips its turn.
    bool isBusy() const { return m_busy > 0; }

    // Address tools.
    static QString EquateAdd(const QString& var, int targetBoardIndex) {
        return equateAdd(var, targetBoardIndex);
    }
    static bool ValidAdd(const QString& var, int targetBoardIndex) {
        return validAdd(var, targetBoardIndex);
    }
    static qint16 Dec2Octal(qint16 decNum) { return dec2Octal(decNum); }
    static qint16 Octal2Dec(qint16 octNum) { return octal2Dec(octNum); }

    // Board identity and fault texts.
    static QString TargetboardName(int boardType);
    static QString LCFBoardIndex(int boardType);
    LinkResult readFirmwareRev();
    LinkResult readFaultCode();
    // The text-era forms: -1 offline, 0 for a failed read.
    int FirmwareRev();
    int FaultCode();
    QString FaultDescription(int fltCode);

    QString programFolder() const { return m_programFolder; }
    Prompt& prompt() { return m_prompt; }

    // The raw primitives, for the program and PLS transfers built on them.
    int ExchangeByte(int b, bool noWait = false, bool flush = false);
    bool SetBoardMode(int mode, int modeByte);
    QString ReadBoardValue(const QString& add);
    void WriteBoardValue(const QString& add, const QString& dataValue);
    // Board modes of the handshake; the PLS commands use modes of their own.
    static constexpr int kNoMode = 0;
    static constexpr int kReadMode = 1;
    static constexpr int kWriteMode = 2;
    static constexpr int kProgramMode = 3;
    int boardMode() const { return m_boardMode; }
    // The next request starts with the mode handshake.
    void resetBoardMode() { m_boardMode = kNoMode; }

    // Marks the link busy for the length of a request; the classes built on the byte exchange
    // (PLS, program transfer) hold one for each of theirs.
    class BusyGuard;
    Clock& clock() { return m_clock; }

  Q_SIGNALS:
    void onlineModeChanged(bool online);
    void linkLost();
    // A write that failed after the operator's value was accepted (not a refused entry, which
    // has its own box): the value is not on the board.
    void valueNotWritten(const QString& address, const QString& value, kalvex::LinkFailure why);
    // Every value the board sent, and every write with how it ended (for the machine history).
    void valueRead(const QString& address, qint64 value);
    void valueWritten(const QString& address, const QString& value, kalvex::LinkFailure failure);

  private:
    void setOnline(bool on);
    void fail(LinkFailure f) {
        if (m_failure == LinkFailure::None) m_failure = f;
    }
    void requestEnded();
    void InitializeRSComm(SerialPort& commObj);
    bool readSettingsFile(const QString& path, bool mayWrite);
    bool writeDefaultSettings(const QString& path);
    bool retrySetupStep(int number, const QString& description);
    void entryAlert(const QString& message);
    int waitForReply();
    bool cleanValue(const QString& dataValue, qint64& value);
    bool layOutBytes(qint64 value, QByteArray& bytes);
    void sendWrite(const QByteArray& bytes);
    void noteStray(int byteAddress);

    Prompt& m_prompt;
    Clock& m_clock;
    QString m_programFolder;
    QString m_userSettingsFolder; // empty: none, the program folder alone
    QString m_systemSettingsFile; // empty: not installed, the program folder's support/
    SerialPort* m_port = nullptr;
    PortSettings m_settings;
    bool m_portFailed = false;
    int m_boardMode = 0;
    bool m_writeFailed = false;
    int m_writeRetries = 0;
    LineHealth m_health;
    int m_resyncs = 0; // resynchronising 0xFF sent after a missing reply
    std::vector<int> m_strayCandidates;
    ParsedAddress m_parsed;
    QString m_lastReadAdd;
    bool m_parsedIsLastRead = false;
    int m_busy = 0;
    bool m_online = false;
    bool m_announcedOnline = false;
    bool m_commError = false;
    bool m_lostPending = false;
    LinkFailure m_failure = LinkFailure::None;
    SerialPort* m_attached = nullptr;
};

} // namespace kalvex

namespace kalvex {

class RSComm::BusyGuard {
  public:
    explicit BusyGuard(RSComm& link) : m_link(link) { ++m_link.m_busy; }
    ~BusyGuard() {
        if (--m_link.m_busy == 0) m_link.requestEnded();
    }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

  private:
    RSComm& m_link;
};

} // namespace kalvex
