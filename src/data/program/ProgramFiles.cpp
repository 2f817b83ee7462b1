#include "data/program/ProgramFiles.h"

#include "data/program/DiraVez.h"
#include "link/CsvLine.h"
#include "link/RSComm.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace kalvex {

namespace {

constexpr qint64 kMaxFirstLine = 64 * 1024;
const QString kCrLf2 = QStringLiteral("\r\n\r\n");
// What the board's reads of an empty string argument used to answer.
const QString kBadArgument = QStringLiteral("Invalid procedure call or argument");

bool isOneOf(int code, const char* codes) {
    for (const char* c = codes; *c; ++c)
        if (code == *c) return true;
    return false;
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Only blanks count as the ident's padding, as the board's tools write it.
} // namespace

ProgramFileNames programFileNames(const QString& chosen) {
    const QString base = chosen.left(qMax<qsizetype>(0, chosen.size() - 3));
    return {base + QStringLiteral("ovp"), base + QStringLiteral("rev"),
            base + QStringLiteral("hex"), base + QStringLiteral("lcf")};
}

bool isPlsBoard(int code) {
    return isOneOf(code, "7>?@CE");
}

bool isConfigurationBoard(int code) {
    return isOneOf(code, "8:;<=A");
}

bool isDownloadBoard(int code) {
    return isOneOf(code, "234568:;<=ABD");
}

ImageRange imageRange(int code) {
    if (code == '2') return {0x5000, 0xB000};
    if (isOneOf(code, "36:;<=AB")) return {0x2000, 0x6000};
    if (isOneOf(code, "458")) return {0x2000, 0x2000};
    if (code == 'D') return {0x4000, 0x8000};
    return {};
}

ConfigDigits ConfigDigits::fromBoard(int b8190, int b8189, int b8188) {
    ConfigDigits d;
    d.a = b8190 == 3 ? 1 : b8190 == 5 ? 2 : 3;
    d.b = b8189;
    d.c = b8188 == 5 ? 1 : b8188 == 10 ? 2 : 3;
    return d;
}

QString lcfLine(int boardType, const ConfigDigits& digits) {
    return RSComm::LCFBoardIndex(boardType) + QString(34, u'0') + QString::number(digits.a) +
           QStringLiteral("00") + QString::number(digits.b) + QString::number(digits.c) +
           QStringLiteral("000%");
}

QString decodeText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

bool readFirstField(const QString& path, QString& field, bool& empty, QString* why) {
    field.clear();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (why) *why = f.errorString();
        return false;
    }
    QByteArray line = f.readLine(kMaxFirstLine + 1);
    if (f.error() != QFileDevice::NoError) {
        if (why) *why = f.errorString();
        return false;
    }
    if (line.size() > kMaxFirstLine) {
        if (why) *why = QStringLiteral("The first line of the file is too long.");
        return false;
    }
    empty = line.isEmpty() && f.atEnd();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    field = splitCsvLine(decodeText(line)).value(0);
    return true;
}

void ProgramFileSet::halt(const QString& title, const QString& text, MsgIcon icon) {
    m_prompt.message(title, text, MsgButtons::Ok, icon);
}

// The first character of the .ovp's first field is the board type code.
bool ProgramFileSet::readBoardType(const QString& path, const QString& errorTitle) {
    QString field, why;
    bool empty = false;
    if (!readFirstField(path, field, empty, &why)) {
        halt(errorTitle, errorNumberText(75, why), MsgIcon::Information);
        return false;
    }
    if (empty) return false;
    if (field.isEmpty()) {
        m_refusal = Refusal::Invalid;
        halt(errorTitle, errorNumberText(5, kBadArgument), MsgIcon::Information);
        return false;
    }
    m_boardType = field[0].unicode();
    m_boardName = RSComm::TargetboardName(m_boardType);
    return true;
}

void ProgramFileSet::DownloadFile(const QString& ovpFileName) {
    m_valid = false;
    m_refusal = Refusal::FileError;
    if (!QFileInfo(ovpFileName).isFile()) return;
    m_names = programFileNames(ovpFileName);
    if (!readBoardType(ovpFileName, QStringLiteral("RSComm-Download File"))) return;
    m_refusal = Refusal::Invalid;
    const QString base = QFileInfo(ovpFileName).completeBaseName();
    if (isDownloadBoard(m_boardType)) {
        bool ok = readRevFile();
        if (!ok)
            halt(kProgramDownloadTitle,
                 shown(m_names.rev) + QStringLiteral(" Revision File is Not Valid") + kCrLf2 +
                     QStringLiteral("Program Downloaded Halted!"),
                 MsgIcon::Exclamation);
        if (isConfigurationBoard(m_boardType) && !readLcfFile()) {
            ok = false;
            halt(kProgramDownloadTitle,
                 shown(m_names.lcf) + QStringLiteral(" Configuration File is Not Valid") + kCrLf2 +
                     QStringLiteral("Program Downloaded Halted!"),
                 MsgIcon::Exclamation);
        }
        m_valid = ok;
    } else if (isPlsBoard(m_boardType)) {
        halt(QStringLiteral("PLS Program Download"),
             base + QStringLiteral(" file is a PLS target board program.\r\n") +
                 QStringLiteral("Open PLS program to download to target board.") + kCrLf2 +
                 QStringLiteral("Program Downloaded Halted."),
             MsgIcon::Information);
    } else {
        halt(kProgramDownloadTitle,
             base + QStringLiteral(" file is incompatible with target board.") + kCrLf2 +
                 QStringLiteral("Program Downloaded Halted!"),
             MsgIcon::Critical);
    }
    if (m_valid) m_refusal = Refusal::None;
}

// ident + checksum pair + revision pair. The ident's first eight characters (those the board
// is given) must each fit one byte.
bool ProgramFileSet::readRevFile() {
    m_ident = m_revision = m_checksum = QStringLiteral("Unknown");
    const QString title = QStringLiteral("RSComm-Set Program Ident");
    QString field, why;
    bool empty = false;
    if (!QFileInfo(m_names.rev).isFile()) return false;
    if (!readFirstField(m_names.rev, field, empty, &why)) {
        halt(title, errorNumberText(75, why), MsgIcon::Information);
        return false;
    }
    if (empty) return false;
    if (field.size() < 4) {
        halt(title, errorNumberText(5, kBadArgument), MsgIcon::Information);
        return false;
    }
    const auto checksum = diraVezByte(QStringView(field).mid(field.size() - 4, 2));
    const auto revision = diraVezByte(QStringView(field).right(2));
    const QString ident = field.left(field.size() - 4);
    if (!checksum || !revision) return false;
    for (const QChar c : trimBlanks(ident).left(8))
        if (c.unicode() > 255) return false;
    m_ident = ident;
    m_checksum = QString::number(*checksum);
    m_revision = QString::number(*revision);
    return true;
}

bool ProgramFileSet::readLcfFile() {
    m_config = ConfigDigits{};
    QString field, why;
    bool empty = false;
    if (!QFileInfo(m_names.lcf).isFile()) return false;
    if (!readFirstField(m_names.lcf, field, empty, &why)) {
        halt(QStringLiteral("RSComm-Set Program Config"), errorNumberText(75, why),
             MsgIcon::Information);
        return false;
    }
    if (empty) return false;
    auto digitAt = [&field](int position) {
        const QChar c = position <= field.size() ? field[position - 1] : QChar();
        return c >= u'0' && c <= u'9' ? int(c.unicode() - u'0') : 0;
    };
    m_config.a = digitAt(36);
    m_config.b = digitAt(39);
    m_config.c = digitAt(40);
    return true;
}

bool ProgramFileSet::UploadFile(const QString& ovpFileName) {
    const QString title = QStringLiteral("Program Upload");
    if (!QFileInfo(ovpFileName).isFile()) {
        halt(title, shown(ovpFileName) + QStringLiteral(" File Does Not Exist."),
             MsgIcon::Information);
        return false;
    }
    const ProgramFileNames names = programFileNames(ovpFileName);
    const int oldType = m_boardType;
    const QString oldName = m_boardName;
    if (!readBoardType(ovpFileName, QStringLiteral("RSComm UploadFile"))) {
        m_boardType = oldType;
        m_boardName = oldName;
        if (QFileInfo(ovpFileName).size() == 0)
            halt(title, shown(ovpFileName) + QStringLiteral(" File is Not Valid"),
                 MsgIcon::Exclamation);
        return false;
    }
    m_names = names;
    return true;
}

QString trimBlanks(const QString& text) {
    qsizetype first = 0, last = text.size();
    while (first < last && text[first] == u' ')
        ++first;
    while (last > first && text[last - 1] == u' ')
        --last;
    return text.mid(first, last - first);
}

} // namespace kalvex
