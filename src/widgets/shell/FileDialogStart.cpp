#include "widgets/shell/FileDialogStart.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace kalvex {

namespace {

QString settingsKey(const QString& kind) {
    return QStringLiteral("fileDialogs/") + QString::fromLatin1(kind.toUtf8().toHex());
}

} // namespace

QString safeFileName(const QString& name) {
    QString out;
    for (const QChar c : name)
        out += c.unicode() < 32 || QStringLiteral("\\/:*?\"<>|").contains(c) ? u'-' : c;
    while (out.endsWith(u'.') || out.endsWith(u' '))
        out.chop(1);
    return out;
}

QString startFolder(const QString& initialPath, const QString& remembered,
                    const QString& documents) {
    const QFileInfo initial(initialPath);
    if (!initialPath.isEmpty() && !initial.fileName().contains(u'*') &&
        QFileInfo(initial.absolutePath()).isDir())
        return initial.absolutePath();
    if (!remembered.isEmpty() && QFileInfo(remembered).isDir()) return remembered;
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString rememberedFolder(const QString& kind) {
    return QSettings().value(settingsKey(kind)).toString();
}

void rememberFolder(const QString& kind, const QString& chosenFile) {
    QSettings().setValue(settingsKey(kind), QFileInfo(chosenFile).absolutePath());
}

QString documentsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

} // namespace kalvex
