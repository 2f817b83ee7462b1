#include "link/CommSettings.h"

#include "link/CsvLine.h"
#include "link/ProgramFolder.h"
#include "link/SafeFile.h"
#include "link/TextNumber.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace kalvex {

PortSettings parseCommSettings(const QByteArray& bytes) {
    PortSettings s;
    // Only the first line matters; a garbled one falls back to the bounds and defaults.
    const QString line = QString::fromLatin1(bytes.left(256)).section(u'\n', 0, 0).remove(u'\r');
    const QStringList fields = splitCsvLine(line);
    const double port = leadingNumber(fields.value(0));
    s.portNumber = int(qBound<double>(kMinCommPort, std::nearbyint(port), kMaxCommPort));
    s.baud = leadingNumber(fields.value(1)) == 19200 ? 19200 : 9600;
    s.device = fields.value(2);
    return s;
}

QByteArray formatCommSettings(const PortSettings& s) {
    QByteArray line = QByteArray::number(s.portNumber) + ',' + QByteArray::number(s.baud);
    if (!s.device.isEmpty()) line += ',' + s.device.toLocal8Bit();
    return line + "\r\n";
}

std::optional<int> commPortFromText(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !(v >= kMinCommPort && v <= kMaxCommPort)) return std::nullopt;
    return int(std::nearbyint(v));
}

std::optional<PortSettings> loadCommSettings(const QString& path, QString* why) {
    if (!QFileInfo::exists(path)) return PortSettings{};
    const std::optional<QByteArray> bytes = readLimitedFile(path, kCommSettingsLimit, why);
    if (!bytes) return std::nullopt;
    return bytes->isEmpty() ? PortSettings{} : parseCommSettings(*bytes);
}

QString saveCommSettings(const QString& path, const PortSettings& settings) {
    const QString folder = QFileInfo(path).absolutePath();
    const QString shown = QDir::toNativeSeparators(path);
    if (!QDir().mkpath(folder))
        return QStringLiteral("The folder %1 cannot be made, so %2 cannot be saved.")
            .arg(QDir::toNativeSeparators(folder), shown);
    if (!QFileInfo(folder).isWritable())
        return QStringLiteral("The folder %1 is not writable: %2 was not saved and keeps its "
                              "old settings.")
            .arg(QDir::toNativeSeparators(folder), shown);
    return saveFileAtomically(path, formatCommSettings(settings));
}

QString writeToolPortFiles(const QString& programFolder, int portNumber, QStringList* written) {
    const QByteArray line = QByteArray::number(portNumber - 1) + "\r\n";
    for (const char* tool : {"ORV51", "ORV96", "DIV51"}) {
        const QString folder = childPath(programFolder, QLatin1String(tool));
        if (!QFileInfo(folder).isDir()) continue;
        const QString path = childPath(folder, QStringLiteral("ORVILO.SFG"));
        if (QString why = saveFileAtomically(path, line); !why.isEmpty()) return why;
        if (written) *written << path;
    }
    return {};
}

} // namespace kalvex
