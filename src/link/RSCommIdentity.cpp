// Board names, firmware revision, fault code and fault texts.
#include "link/CsvLine.h"
#include "link/ProgramFolder.h"
#include "link/RSComm.h"
#include "link/SafeFile.h"
#include "link/TextNumber.h"

#include <QFileInfo>

#include <array>

namespace kalvex {

namespace {

struct BoardEntry {
    const char* name;
    const char* lcfLetter;
};

// Board type codes "1" (49) to "E" (69).
constexpr std::array<BoardEntry, 21> kBoards{{
    {"K2110", "1"},      {"K2130", "1"},     {"K2150", "?"},     {"K2210", "2"},
    {"K2230", "3"},      {"K2170", "D"},     {"K2410", ""},      {"K2250", "F"},
    {"Not Defined", ""}, {"P7100", "@"},     {"P7110", "A"},     {"P7120", "B"},
    {"P7300(PLC)", "C"}, {"P7300(PLS)", ""}, {"P7500", ""},      {"P7510", ""},
    {"Q7610", "E"},      {"P7310(PLC)", ""}, {"P7310(PLS)", ""}, {"P9100(PLC)", "G"},
    {"P9100(PLS)", ""},
}};

const BoardEntry* boardEntry(int code) {
    if (code < 49 || code > 69) return nullptr;
    return &kBoards[size_t(code - 49)];
}

} // namespace

QString RSComm::TargetboardName(int boardType) {
    if (const BoardEntry* e = boardEntry(boardType)) return QString::fromLatin1(e->name);
    const QChar c = boardType >= 0 && boardType <= 0xFFFF ? QChar(char16_t(boardType)) : QChar();
    return QString(c) + QStringLiteral(" Is Not Defined.");
}

QString RSComm::LCFBoardIndex(int boardType) {
    const BoardEntry* e = boardEntry(boardType);
    return e ? QString::fromLatin1(e->lcfLetter) : QString();
}

LinkResult RSComm::readFirmwareRev() {
    if (!OnlineMode() || CommError()) return {-1, LinkFailure::NoAnswer};
    return readValue(QStringLiteral("B8159"));
}

LinkResult RSComm::readFaultCode() {
    return readValue(QStringLiteral("B8176"));
}

int RSComm::FirmwareRev() {
    const LinkResult r = readFirmwareRev();
    return r ? int(r.value) : (OnlineMode() ? 0 : -1);
}

int RSComm::FaultCode() {
    const LinkResult r = readFaultCode();
    return r ? int(r.value) : 0;
}

QString RSComm::FaultDescription(int fltCode) {
    QString hex = QString::number(quint16(fltCode), 16).toUpper();
    if (hex.size() < 2) hex.prepend(u'0');
    const QString text = QStringLiteral("Fault Code (%1H): ").arg(hex);
    const QString path = supportFile(m_programFolder, QStringLiteral("FaultErrCodes.txt"));
    if (!QFileInfo::exists(path)) return text + QStringLiteral("--- Fault File Not Found ---");
    constexpr qint64 kLimit = 1024 * 1024; // a few kilobytes of texts; never a device
    QString why;
    const std::optional<QByteArray> bytes = readLimitedFile(path, kLimit, &why);
    if (!bytes) {
        m_prompt.message(QStringLiteral("RSComm FaultDescription"), errorNumberText(75, why),
                         MsgButtons::Ok, MsgIcon::Information);
        return text;
    }
    // The Target Board Interface's wording for a code without a record.
    return text + findCodeText(*bytes, hex, CodeMatch::First)
                      .value_or(QStringLiteral("no text installed for this code"));
}

} // namespace kalvex
