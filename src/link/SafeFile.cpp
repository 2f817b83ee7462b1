#include "link/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <memory>

namespace kalvex {

namespace {

// QFileDevice's text can be generic ("Unknown error") where the system said why: the errno
// taken right after the failing call names the real cause.
QString reasonOf(const QFileDevice& f, int err) {
    const QString qt = f.errorString();
    const bool generic = qt.isEmpty() || qt == QLatin1String("Unknown error");
    return generic && err != 0 ? QString::fromLocal8Bit(std::strerror(err)) : qt;
}

} // namespace

QString notRegularFileProblem(const QString& path) {
    const QFileInfo info(path); // follows links: a link to /dev/zero is a device
    if (!info.exists() || info.isFile()) return {};
    return QStringLiteral("\"%1\" is not a regular file.").arg(QDir::toNativeSeparators(path));
}

QString saveFilesAtomically(const FileContents& files) {
    const auto cannot = [](const QString& path, const QString& reason) {
        return QStringLiteral("Cannot write \"%1\": %2")
            .arg(QDir::toNativeSeparators(path),
                 reason.isEmpty() ? QStringLiteral("the file could not be written.") : reason);
    };
    std::vector<std::unique_ptr<QSaveFile>> open; // uncommitted ones are discarded
    for (const auto& [path, bytes] : files) {
        if (QString why = notRegularFileProblem(path); !why.isEmpty()) return why;
        auto f = std::make_unique<QSaveFile>(path);
        errno = 0;
        if (!f->open(QIODevice::WriteOnly) || f->write(bytes) != bytes.size() || !f->flush())
            return cannot(path, reasonOf(*f, errno));
        open.push_back(std::move(f));
    }
    for (auto& f : open) {
        errno = 0;
        if (!f->commit()) return cannot(f->fileName(), reasonOf(*f, errno));
    }
    return {};
}

QString saveFileAtomically(const QString& path, const QByteArray& bytes) {
    return saveFilesAtomically({{path, bytes}});
}

std::optional<QByteArray> readLimitedFile(const QString& path, qint64 limit, QString* error) {
    QString why = notRegularFileProblem(path);
    QFile f(path);
    errno = 0;
    if (why.isEmpty() && !f.open(QIODevice::ReadOnly)) why = reasonOf(f, errno);
    const QString tooLarge =
        QStringLiteral("\"%1\" is too large: more than %2 bytes.").arg(path).arg(limit);
    if (why.isEmpty() && f.size() > limit) why = tooLarge;
    if (why.isEmpty()) {
        errno = 0;
        QByteArray bytes = f.read(limit + 1); // one more tells a file that grew meanwhile
        if (f.error() != QFileDevice::NoError)
            why = reasonOf(f, errno);
        else if (bytes.size() > limit)
            why = tooLarge;
        else
            return bytes;
    }
    if (error) *error = why;
    return std::nullopt;
}

} // namespace kalvex
