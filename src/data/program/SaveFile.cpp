#include "data/program/SaveFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <memory>

namespace kalvex {

namespace {

bool failed(const QString& path, const QString& reason, QString* why) {
    if (why)
        *why = QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason);
    return false;
}

} // namespace

bool saveFilesAtomically(const FileContents& files, QString* why) {
    std::vector<std::unique_ptr<QSaveFile>> open;
    for (const auto& [path, bytes] : files) {
        const QFileInfo info(path);
        if (info.exists() && !info.isFile())
            return failed(path, QStringLiteral("it is not a regular file."), why);
        auto f = std::make_unique<QSaveFile>(path);
        if (!f->open(QIODevice::WriteOnly) || f->write(bytes) != bytes.size() || !f->flush())
            return failed(path, f->errorString(), why);
        open.push_back(std::move(f));
    }
    for (auto& f : open)
        if (!f->commit()) return failed(f->fileName(), f->errorString(), why);
    return true;
}

} // namespace kalvex
