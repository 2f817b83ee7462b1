#include "data/board/ProgramIdent.h"

#include "data/GeneralDate.h"
#include "data/program/DiraVez.h"
#include "data/program/ProgramFiles.h"
#include "link/RSComm.h"
#include "link/SafeFile.h"

#include <QFile>
#include <QFileInfo>

namespace kalvex {

int ReadBoardTypeCode(const QString& path) {
    const QString ovp = programFileNames(QFileInfo(path).absoluteFilePath()).ovp;
    QString field;
    bool empty = false;
    if (!QFileInfo(ovp).isFile() || !readFirstField(ovp, field, empty, nullptr) || field.isEmpty())
        return 68;
    return field[0].unicode();
}

DiskIdent readDiskIdent(const QString& ovpPath) {
    DiskIdent d;
    d.boardType = ReadBoardTypeCode(ovpPath);
    d.boardName = RSComm::TargetboardName(d.boardType);
    const ProgramFileNames names = programFileNames(ovpPath);
    QString field;
    bool empty = false;
    if (!QFileInfo(names.rev).isFile() || !readFirstField(names.rev, field, empty, nullptr) ||
        field.size() < 4)
        return d;
    const auto checksum = diraVezByte(QStringView(field).mid(field.size() - 4, 2));
    const auto revision = diraVezByte(QStringView(field).right(2));
    if (!checksum || !revision) return d;
    d.name = field.left(field.size() - 4);
    d.checksum = *checksum;
    d.revision = *revision;
    const QFileInfo hex(names.hex);
    if (hex.isFile()) d.revDate = generalDateText(hex.lastModified());
    return d;
}

QString diskIdentProblem(const QString& ovpPath) {
    if (!QFileInfo::exists(ovpPath)) return QStringLiteral("%1: no such file").arg(ovpPath);
    if (const QString why = notRegularFileProblem(ovpPath); !why.isEmpty()) return why;
    if (QFile ovp(ovpPath); !ovp.open(QIODevice::ReadOnly))
        return QStringLiteral("%1: %2").arg(ovpPath, ovp.errorString());
    const QString rev = programFileNames(QFileInfo(ovpPath).absoluteFilePath()).rev;
    if (!QFileInfo::exists(rev)) return {};
    constexpr qint64 kLimit = 64 * 1024; // a name and four digits; never a device
    QString why;
    if (!readLimitedFile(rev, kLimit, &why))
        return why.contains(rev) ? why : rev + QStringLiteral(": ") + why;
    return {};
}

QString identName(const std::vector<int>& codes) {
    QString name;
    for (const int c : codes)
        if (c > 31 && c <= 255) name += QChar(char16_t(c));
    return name;
}

QString identAddress(int i) {
    return QStringLiteral("B%1").arg(kIdentFirst + i);
}

} // namespace kalvex
