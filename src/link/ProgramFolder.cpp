#include "link/ProgramFolder.h"

#include <QDir>

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

} // namespace kalvex
