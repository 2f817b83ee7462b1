#include "data/program/ProgramDownload.h"

#include "data/program/ProgramFiles.h"
#include "link/ProgramTransfer.h"
#include "link/Protocol.h"
#include "link/RSComm.h"

#include <QDir>

namespace kalvex {

namespace {

constexpr qint64 kSettleUs = 100'000;
constexpr qint64 kExitWaitUs = 2'000'000;
const QString kBlankLine = QStringLiteral("\r\n\r\n");

} // namespace

ProgramDownload::ProgramDownload(ProgramTransfer& transfer, ProgramFileSet& files, Prompt& prompt)
    : ProgramRun(transfer.clock()), m_transfer(transfer), m_files(files), m_prompt(prompt) {}

void ProgramDownload::box(const QString& title, const QString& text, MsgIcon icon) {
    m_prompt.message(title, text, MsgButtons::Ok, icon);
}

void ProgramDownload::end(Outcome outcome) {
    m_outcome = outcome;
    m_transfer.setState(ProgramState::Idle);
    finish();
}

void ProgramDownload::runStep() {
    if (stopRequested()) return interrupt();
    switch (m_phase) {
    case Phase::Begin:
        return begin();
    case Phase::Prepare:
        return prepare();
    case Phase::Configure:
        return configure();
    case Phase::Records:
        return sendRecord();
    case Phase::Exit:
        return exitProgramMode();
    case Phase::Ident:
        return writeIdent();
    }
}

void ProgramDownload::begin() {
    RSComm& link = m_transfer.link();
    m_transfer.setState(ProgramState::Downloading);
    m_transfer.setCurrentProgramAdd(QStringLiteral(" "));
    if (!link.OnlineMode()) {
        box(kProgramDownloadTitle,
            QStringLiteral("Program is Currently OFFLINE.") + kBlankLine +
                QStringLiteral("Switch to ONLINE MODE to Continue."),
            MsgIcon::Information);
        return end(Outcome::Offline);
    }
    if (!m_files.ValidProgram()) {
        box(kProgramDownloadTitle,
            QStringLiteral("Currently Selected Program is Invalid.") + kBlankLine +
                QStringLiteral("Program Download Halted!"),
            MsgIcon::Exclamation);
        return end(Outcome::Invalid);
    }
    if (!loadHex()) return;
    QString ident, checksum, revision;
    if (!readBoardIdent(ident, checksum, revision)) return end(Outcome::CommFailure);
    if (!confirm(ident, checksum, revision)) return end(Outcome::Declined);
    link.holdOffline(); // the main window's polling stays off while the program loads
    m_phase = Phase::Prepare;
}

HexFile loadProgramHex(const QString& hexPath, Prompt& prompt) {
    const QString path = QDir::toNativeSeparators(hexPath);
    HexFile hex = readHexFile(hexPath);
    auto box = [&prompt](const QString& title, const QString& text, MsgIcon icon) {
        prompt.message(title, text, MsgButtons::Ok, icon);
    };
    switch (hex.status) {
    case HexFile::Status::Ok:
        break;
    case HexFile::Status::Missing:
        box(kProgramDownloadTitle,
            path + QStringLiteral(" File Does Not Exist.") + kBlankLine +
                QStringLiteral("Program Downloaded Halted"),
            MsgIcon::Information);
        break;
    case HexFile::Status::Empty:
        box(kProgramDownloadTitle,
            path + QStringLiteral(" File is Not Valid") + kBlankLine +
                QStringLiteral("Program Downloaded Halted"),
            MsgIcon::Exclamation);
        break;
    case HexFile::Status::Unreadable:
        box(QStringLiteral("RSComm DumpProgram"), errorNumberText(75, hex.why),
            MsgIcon::Information);
        break;
    case HexFile::Status::Invalid:
        box(kProgramDownloadTitle,
            QStringLiteral("Currently Selected Program is Invalid.") + kBlankLine +
                QStringLiteral("Program Download Halted!"),
            MsgIcon::Exclamation);
        break;
    }
    return hex;
}

// The whole file is checked before the board is touched: a bad line found halfway would leave
// the board in program mode with part of an image.
bool ProgramDownload::loadHex() {
    m_hex = loadProgramHex(m_files.names().hex, m_prompt);
    if (m_hex.status == HexFile::Status::Ok) return true;
    if (m_hex.status == HexFile::Status::Invalid) {
        m_files.setValidProgram(false);
        end(Outcome::Invalid);
    } else {
        end(Outcome::FileError);
    }
    return false;
}

// A byte the board did not give is named, never shown as 0: the operator compares these with
// the file's before saying Yes.
bool ProgramDownload::readBoardIdent(QString& ident, QString& checksum, QString& revision) {
    LinkFailure identFailure = LinkFailure::None;
    for (int i = 0; i < ProgramTransfer::kIdentBytes; ++i) {
        const LinkResult v = m_transfer.readByte(ProgramTransfer::kIdentAddress + i);
        if (v.failure == LinkFailure::NoAnswer) return false;
        const QString text = v ? QString::number(v.value) : notReadText(v.failure);
        if (i < 8 && !v && identFailure == LinkFailure::None) identFailure = v.failure;
        if (i < 8 && v && v.value > 31) ident += QChar(char16_t(v.value));
        if (i == 8) checksum = text;
        if (i == 9) revision = text;
    }
    if (identFailure != LinkFailure::None) ident = notReadText(identFailure);
    return true;
}

bool ProgramDownload::confirm(const QString& ident, const QString& checksum,
                              const QString& revision) {
    const QString text =
        QStringLiteral("Program to be loaded into module (on disk):\r\n") +
        QStringLiteral("  Program Ident: \t\t") + m_files.ident() + QStringLiteral("\r\n") +
        QStringLiteral("  Program Revision: \t\t") + m_files.revision() + QStringLiteral("\r\n") +
        QStringLiteral("  Program Checksum: \t") + m_files.checksum() + QStringLiteral("\r\n") +
        QStringLiteral("  Target Board: \t\t") + m_files.boardName() + QStringLiteral("\r\n\r\n") +
        QStringLiteral("Program currently loaded in module:\r\n") +
        QStringLiteral("  Program Ident: \t\t") + ident + QStringLiteral("\r\n") +
        QStringLiteral("  Program Revision: \t\t") + revision + QStringLiteral("\r\n") +
        QStringLiteral("  Program Checksum: \t") + checksum + QStringLiteral("\r\n\r\n") +
        QStringLiteral("Entire program file will be dumped to the PLC.\r\n") +
        QStringLiteral("All outputs are off while program dump occurrs.\r\n\r\n") +
        QStringLiteral("Do You Wish to Continue?\r\n");
    return m_prompt.message(kProgramDownloadTitle + QStringLiteral(" - [") + m_files.ident() + u']',
                            text, MsgButtons::YesNoCancel, MsgIcon::Question) == MsgAnswer::Yes;
}

// Each write only while the board answers; a silent board ends the records phase at once.
void ProgramDownload::prepare() {
    for (const auto& [add, value] : {std::pair{"B8181", "86"}, std::pair{"B8176", "0"}})
        if (!m_lost)
            noteFailure(m_transfer.link().writeValue(QLatin1String(add), QLatin1String(value)));
    waitFor(kSettleUs);
    m_phase = Phase::Configure;
}

// A configuration the board did not take (silence, or a wrong echo on both tries) stops the
// download before program mode: an image loaded over the wrong configuration would run wrong.
void ProgramDownload::configure() {
    RSComm& link = m_transfer.link();
    if (!m_lost) link.ExchangeByte(kAttention);
    link.resetBoardMode();
    if (isConfigurationBoard(m_files.boardType())) {
        const ConfigDigits& c = m_files.config();
        const std::pair<const char*, int> writes[] = {
            {"B8188", c.byte8188()}, {"B8189", c.byte8189()}, {"B8190", c.byte8190()}};
        bool configured = true;
        for (const auto& [add, value] : writes)
            if (configured && !m_lost)
                configured =
                    noteFailure(link.writeValue(QLatin1String(add), QString::number(value)));
        if (!configured || m_lost) {
            box(QStringLiteral("Program Config Download"),
                QStringLiteral("Could Not Set Program Configuration in PLC!"), MsgIcon::Critical);
            if (!m_lost) {
                box(kProgramDownloadTitle, QStringLiteral("Program Download Not Complete!"),
                    MsgIcon::Critical);
                link.setOnlineMode(false);
                return end(Outcome::CommFailure);
            }
        }
    }
    if (!m_lost) m_lost = !m_transfer.enterProgramMode();
    m_phase = Phase::Records;
}

bool ProgramDownload::noteFailure(const LinkResult& r) {
    m_lost = m_lost || r.failure == LinkFailure::NoAnswer;
    return r.ok();
}

void ProgramDownload::sendRecord() {
    RSComm& link = m_transfer.link();
    if (m_lost) {
        waitFor(kExitWaitUs);
        m_phase = Phase::Ident;
        return;
    }
    const HexRecord& r = m_hex.records[m_next];
    m_transfer.setCurrentProgramAdd(
        QStringLiteral("%1H").arg(r.address, 4, 16, QLatin1Char('0')).toUpper());
    const auto reply = m_transfer.sendRecord(r.address, r.data);
    if (reply == ProgramTransfer::RecordReply::NotSent) { // the board went silent
        m_lost = true;
        return;
    }
    if (reply != ProgramTransfer::RecordReply::Ok) {
        box(kProgramDownloadTitle, QStringLiteral("Checksum Error, Program Download Halted!"),
            MsgIcon::Exclamation);
        link.setOnlineMode(false);
        return end(Outcome::ChecksumError);
    }
    if (++m_next == m_hex.records.size()) m_phase = Phase::Exit;
}

void ProgramDownload::exitProgramMode() {
    RSComm& link = m_transfer.link();
    if (!m_lost && !m_transfer.exitProgramMode()) {
        box(kProgramDownloadTitle, QStringLiteral("PLC did not Exit Program Mode!"),
            MsgIcon::Critical);
        link.setOnlineMode(false);
        return end(Outcome::NoExitAck);
    }
    waitFor(kExitWaitUs);
    m_phase = Phase::Ident;
}

// Program mode is left with its exit byte and the ident is never written, so the board cannot
// pass a part of an image for the program named by the ident.
void ProgramDownload::interrupt() {
    RSComm& link = m_transfer.link();
    const bool inProgramMode = m_phase == Phase::Records || m_phase == Phase::Exit;
    const bool exitFailed = inProgramMode && !m_lost && !m_transfer.exitProgramMode();
    if (exitFailed)
        box(kProgramDownloadTitle, QStringLiteral("PLC did not Exit Program Mode!"),
            MsgIcon::Critical);
    m_leftInProgramMode = inProgramMode && (exitFailed || m_lost);
    if (m_phase == Phase::Begin) {
        box(kProgramDownloadTitle,
            QStringLiteral("Program Download Interrupted! Nothing was sent."),
            MsgIcon::Exclamation);
    } else {
        box(kProgramDownloadTitle,
            QStringLiteral("Program Download Interrupted!") + kBlankLine +
                (inProgramMode || m_phase == Phase::Ident
                     ? QStringLiteral("The board holds a partial program: download it again "
                                      "before running the machine.")
                     : QStringLiteral("No record was sent: the board holds its earlier "
                                      "program.")),
            MsgIcon::Exclamation);
        m_files.setValidProgram(false);
        link.setOnlineMode(false);
    }
    end(Outcome::Interrupted);
}

// A byte whose echo was wrong on both tries is not written, yet the link is not lost: the whole
// block is read back, so a board left with another ident never counts as loaded.
bool ProgramDownload::sendIdent() {
    RSComm& link = m_transfer.link();
    const QString ident = trimBlanks(m_files.ident()) + QString(8, QChar(0));
    std::vector<std::pair<int, qint64>> block;
    for (int i = 0; i < 8; ++i)
        block.emplace_back(ProgramTransfer::kIdentAddress + i, ident[i].unicode());
    block.emplace_back(61432, m_files.checksum().toLongLong());
    block.emplace_back(61433, m_files.revision().toLongLong());
    for (const auto& [address, value] : block)
        if (!link.writeValue(QStringLiteral("B%1").arg(address), QString::number(value)))
            return false;
    for (const auto& [address, value] : block)
        if (const LinkResult r = m_transfer.readByte(address); !r || r.value != value) return false;
    return true;
}

void ProgramDownload::writeIdent() {
    RSComm& link = m_transfer.link();
    bool sent = false;
    if (!m_lost) {
        m_transfer.setState(ProgramState::WritingIdent);
        sent = sendIdent();
        if (!sent)
            box(kProgramDownloadTitle,
                QStringLiteral("Could Not Send Program Ident and Revision to PLC!"),
                MsgIcon::Critical);
    }
    m_files.setValidProgram(false);
    m_transfer.setState(ProgramState::Downloading);
    if (!sent) {
        box(kProgramDownloadTitle, QStringLiteral("Program Download Not Complete!"),
            MsgIcon::Critical);
        link.setOnlineMode(false);
        return end(Outcome::CommFailure);
    }
    box(kProgramDownloadTitle, QStringLiteral("Program Download Complete!"), MsgIcon::Information);
    link.setOnlineMode(true);
    end(Outcome::Complete);
}

} // namespace kalvex
