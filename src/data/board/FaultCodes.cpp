#include "data/board/FaultCodes.h"

#include "link/ProgramFolder.h"
#include "link/SafeFile.h"

#include <QFileInfo>

namespace kalvex {

const std::array<FaultRegister, kFaultRegisterCount>& faultRegisters() {
    static const std::array<FaultRegister, kFaultRegisterCount> registers{{
        {"B8176", "Current Fault: Code = "},
        {"B8177", "Last Fault: Code = "},
        {"B8175", ""},
        {"B8177", ""},
        {"B8179", "Current Comm Error: Code = "},
        {"B8178", "Last Comm Error: Code = "},
    }};
    return registers;
}

QString faultCodeText(qint64 value) {
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

QString faultCaption(int order, const QString& code) {
    if (order < 0 || order >= kFaultRegisterCount) return {};
    const char* caption = faultRegisters()[size_t(order)].caption;
    if (!*caption) return {};
    return QLatin1String(caption) + code + u'H';
}

QString notReadCaption(int order, LinkFailure failure) {
    const QString caption = faultCaption(order, QString());
    if (caption.isEmpty()) return {};
    return caption.section(u':', 0, 0) + QStringLiteral(": ") + notReadText(failure);
}

QString notReadAdvice() {
    return correctiveAction(0x42);
}

std::vector<BoardWrite> faultResetBoardWrites() {
    std::vector<BoardWrite> writes;
    for (const int order : kResetOrders)
        writes.push_back(
            {QLatin1String(faultRegisters()[size_t(order)].address), QStringLiteral("0")});
    return writes;
}

QString resetFailedText(const CheckedWrites& w) {
    const auto writes = faultResetBoardWrites();
    const QString failed = w.written < writes.size() ? writes[w.written].address : QString();
    return QStringLiteral("The fault reset did not complete: the write of %1 failed (%2); %3 of "
                          "%4 registers cleared.")
        .arg(failed, failureText(w.result.failure))
        .arg(w.written)
        .arg(writes.size());
}

QString correctiveAction(int code) {
    if (code >= 1 && code <= 63)
        return QStringLiteral(
            "Replace CO-CPU board at \"CO-CPU Slot\" and try again.  If fault persists, peplace "
            "K2130 processor board and try again.  If fault persists, verify proper use of "
            "\"sfunc05/06/12\" in user program.");
    if (code == 66)
        return QStringLiteral(
            "Verify connection of cable between computer \"COM\" port and target board \"PROG "
            "PORT\".  Verify cable wiring and connectors.  If fault persists, replace target "
            "board and/or try a different computer.");
    if (code == 69)
        return QStringLiteral("User program executed an sfunc09() system fault function call.  "
                              "See User program for details on source of fault and corrective "
                              "action.");
    if (code == 92 || code == 93)
        return QStringLiteral("Program is invalid.  Re-dump program to target board.  If fault "
                              "persists, verify cable connections between computer and target "
                              "board.  If fault persists, replace target board.");
    if (code >= 64 && code <= 122)
        return QStringLiteral("Reset fault and try again.  If fault persists, replace target "
                              "board and try again.  See Orvilo Manual for more details.");
    return QStringLiteral("None");
}

QString codeFileName(CodeFile file) {
    return file == CodeFile::Faults ? QStringLiteral("FaultErrCodes.txt")
                                    : QStringLiteral("CommErrCodes.txt");
}

namespace {

QString kindOf(CodeFile file) {
    return file == CodeFile::Faults ? QStringLiteral("Fault") : QStringLiteral("Comm Error");
}

} // namespace

QString noTextPlaceholder(CodeFile file, const QString& code) {
    return QStringLiteral("%1 Code (%2H): no text installed for this code").arg(kindOf(file), code);
}

QString noFilePlaceholder(CodeFile file, const QString& code) {
    return QStringLiteral("%1 Code (%2H): no text installed (support/%3 not found)")
        .arg(kindOf(file), code, codeFileName(file));
}

CodeTexts CodeTexts::load(const QString& programFolder, CodeFile file) {
    CodeTexts t;
    t.m_file = file;
    const QString path = supportFile(programFolder, codeFileName(file));
    if (!QFileInfo::exists(path)) return t;
    constexpr qint64 kLimit = 1024 * 1024; // a few kilobytes of texts; never a device
    QString why;
    std::optional<QByteArray> bytes = readLimitedFile(path, kLimit, &why);
    if (!bytes) {
        t.m_status = Status::Unreadable;
        t.m_error = QStringLiteral("%1: %2").arg(path, why);
        return t;
    }
    return fromBytes(file, std::move(*bytes));
}

CodeTexts CodeTexts::fromBytes(CodeFile file, QByteArray bytes) {
    CodeTexts t;
    t.m_file = file;
    t.m_status = Status::Loaded;
    t.m_bytes = std::move(bytes);
    return t;
}

QString CodeTexts::describe(const QString& code) const {
    if (m_status == Status::Loaded)
        if (const std::optional<QString> text = findCodeText(m_bytes, code, CodeMatch::Last))
            return *text;
    if (code == QLatin1String("00")) return {};
    if (m_status == Status::Loaded) return noTextPlaceholder(m_file, code);
    if (m_status == Status::Missing) return noFilePlaceholder(m_file, code);
    return QStringLiteral("%1 Code (%2H): cannot read %3").arg(kindOf(m_file), code, m_error);
}

} // namespace kalvex
