#include "link/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace kalvex {

QString notRegularFileProblem(const QString& path) {
    const QFileInfo info(path); // follows links: a link to /dev/zero is a device
    if (!info.exists() || info.isFile()) return {};
    return QStringLiteral("\"%1\" is not a regular file.").arg(path);
}

QString saveFileAtomically(const QString& path, const QByteArray& bytes) {
    if (QString why = notRegularFileProblem(path); !why.isEmpty()) return why;
    QSaveFile f(path);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush() && f.commit())
        return {};
    const QString why = f.errorString();
    f.cancelWriting();
    return why.isEmpty() ? QStringLiteral("The file could not be written.") : why;
}

std::optional<QByteArray> readLimitedFile(const QString& path, qint64 limit, QString* error) {
    QString why = notRegularFileProblem(path);
    QFile f(path);
    if (why.isEmpty() && !f.open(QIODevice::ReadOnly)) why = f.errorString();
    const QString tooLarge =
        QStringLiteral("\"%1\" is too large: more than %2 bytes.").arg(path).arg(limit);
    if (why.isEmpty() && f.size() > limit) why = tooLarge;
    if (why.isEmpty()) {
        QByteArray bytes = f.read(limit + 1); // one more tells a file that grew meanwhile
        if (f.error() != QFileDevice::NoError)
            why = f.errorString();
        else if (bytes.size() > limit)
            why = tooLarge;
        else
            return bytes;
    }
    if (error) *error = why;
    return std::nullopt;
}

} // namespace kalvex
