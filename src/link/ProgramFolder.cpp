#include "link/ProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kalvex {

QString childPath(const QString& dir, const QString& name) {
    const QDir d(dir);
    if (d.exists(name)) return d.filePath(name);
    const QStringList entries = d.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0) return d.filePath(e);
    return d.filePath(name);
}

QString supportFolder(const QString& programFolder) {
    return childPath(programFolder, QStringLiteral("support"));
}

QString supportFile(const QString& programFolder, const QString& fileName) {
    return childPath(supportFolder(programFolder), fileName);
}

QString defaultProgramFolder(const QString& binDir) {
    if (QFileInfo(supportFolder(binDir)).isDir()) return binDir;
    const QString installed = QDir::cleanPath(binDir + QStringLiteral("/../share/kalvex"));
    if (QFileInfo(supportFolder(installed)).isDir()) return installed;
    return binDir;
}

QString userSettingsFolder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base.isEmpty() ? QString() : base + QStringLiteral("/KALVEX");
}

QString systemSettingsFile(const QString& binDir) {
    if (defaultProgramFolder(binDir) == binDir) return {};
    const QString prefix = QDir::cleanPath(binDir + QStringLiteral("/.."));
    const QString etc =
        prefix == QLatin1String("/usr") ? QStringLiteral("/etc") : prefix + QStringLiteral("/etc");
    return etc + QStringLiteral("/kalvex/RSPort.cfg");
}

} // namespace kalvex
