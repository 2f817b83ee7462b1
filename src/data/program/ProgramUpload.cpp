#include "data/program/ProgramUpload.h"

#include "data/program/DiraVez.h"
#include "data/program/HexImage.h"
#include "data/program/ProgramFiles.h"
#include "link/ProgramTransfer.h"
#include "link/RSComm.h"
#include "link/SafeFile.h"

namespace kalvex {

namespace {
const QString kTitle = QStringLiteral("Program Upload");
} // namespace

ProgramUpload::ProgramUpload(ProgramTransfer& transfer, ProgramFileSet& files, Prompt& prompt)
    : ProgramRun(transfer.clock()), m_transfer(transfer), m_files(files), m_prompt(prompt) {}

void ProgramUpload::end(Outcome outcome) {
    m_outcome = outcome;
    m_transfer.setState(ProgramState::Idle);
    finish();
}

void ProgramUpload::fail() {
    m_prompt.message(kTitle,
                     QStringLiteral("Program Upload Not Complete!\r\n\r\nHEX file not created."),
                     MsgButtons::Ok, MsgIcon::Critical);
    m_transfer.link().setOnlineMode(false);
    end(Outcome::CommFailure);
}

void ProgramUpload::runStep() {
    if (stopRequested()) {
        m_prompt.message(kTitle,
                         QStringLiteral("Program Upload Interrupted!\r\n\r\nNo file was "
                                        "written; the board is unchanged."),
                         MsgButtons::Ok, MsgIcon::Exclamation);
        return end(Outcome::Interrupted);
    }
    if (!m_begun) return begin();
    if (m_image.size() < m_length) return readBlock();
    writeFiles();
}

void ProgramUpload::begin() {
    if (!m_transfer.InUploadMode()) return end(Outcome::NotRequested);
    m_transfer.setState(ProgramState::UploadRequested);
    if (!m_transfer.link().OnlineMode()) {
        m_prompt.message(kTitle,
                         QStringLiteral("Program is Currently OFFLINE.\r\n\r\n"
                                        "Switch to ONLINE MODE to Continue."),
                         MsgButtons::Ok, MsgIcon::Information);
        return end(Outcome::Offline);
    }
    // A comm error while the ident is read ends quietly: the link has shown its retry box.
    if (const LinkFailure f = readIdent(); f != LinkFailure::None)
        return f == LinkFailure::NoAnswer ? end(Outcome::CommFailure) : fail();
    if (!readConfig()) return fail();
    const ImageRange range = imageRange(m_files.boardType());
    m_first = range.first;
    m_length = range.length;
    m_image.reserve(m_length);
    m_transfer.setCurrentProgramAdd(QStringLiteral(" "));
    m_begun = true;
}

LinkFailure ProgramUpload::readIdent() {
    QString ident, pairs;
    for (int i = 0; i < ProgramTransfer::kIdentBytes; ++i) {
        m_transfer.setState(ProgramState::ReadingIdent);
        const LinkResult v = m_transfer.readByte(ProgramTransfer::kIdentAddress + i);
        if (!v) return v.failure;
        if (i < 8)
            ident += QChar(char16_t(v.value));
        else
            pairs += diraVezPair(int(v.value));
    }
    m_transfer.setState(ProgramState::UploadRequested);
    m_rev = ident + pairs + QStringLiteral("\r\n");
    return LinkFailure::None;
}

bool ProgramUpload::readConfig() {
    const int type = m_files.boardType();
    if (!isConfigurationBoard(type)) return true;
    const LinkResult a = m_transfer.readByte(8190);
    if (!a) return false;
    const LinkResult b = m_transfer.readByte(8189);
    if (!b) return false;
    const LinkResult c = m_transfer.readByte(8188);
    if (!c) return false;
    m_lcf = lcfLine(type, ConfigDigits::fromBoard(int(a.value), int(b.value), int(c.value))) +
            QStringLiteral("\r\n");
    return true;
}

void ProgramUpload::readBlock() {
    const int address = m_first + int(m_image.size());
    m_transfer.setCurrentProgramAdd(QString::number(address, 16).toUpper() + u'H');
    for (int i = 0; i < 16; ++i) {
        const LinkResult v = m_transfer.readByte(address + i);
        if (!v) return fail();
        m_image.append(char(v.value));
    }
}

void ProgramUpload::writeFiles() {
    const ProgramFileNames& names = m_files.names();
    // One byte per character, as the board's tools write them: an ident byte 0xEA stays one byte.
    FileContents files{{names.hex, uploadHexText(m_first, m_image)}, {names.rev, m_rev.toLatin1()}};
    if (isConfigurationBoard(m_files.boardType())) files.emplace_back(names.lcf, m_lcf.toLatin1());
    m_fileError = saveFilesAtomically(files);
    if (!m_fileError.isEmpty()) {
        m_prompt.message(kTitle,
                         QStringLiteral("Program Upload Not Complete!\r\n\r\n") + m_fileError,
                         MsgButtons::Ok, MsgIcon::Critical);
        return end(Outcome::FileError);
    }
    m_prompt.message(kTitle, QStringLiteral("Program Upload Complete!"), MsgButtons::Ok,
                     MsgIcon::Information);
    if (!m_transfer.link().OnlineMode()) m_transfer.link().setOnlineMode(true);
    end(Outcome::Complete);
}

} // namespace kalvex
