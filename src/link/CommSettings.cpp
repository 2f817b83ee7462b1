#include "link/CommSettings.h"

#include "link/CsvLine.h"
#include "link/NetworkPort.h"
#include "link/ProgramFolder.h"
#include "link/SafeFile.h"
#include "link/TextNumber.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>

#include <cmath>

namespace kalvex {

namespace {

// Find Board's device: a path or a device server. Anything else in the third place ("n" of
// "3,9600,n,8,1") is no device and is not opened.
bool namesDevice(const QString& field) {
    return field.startsWith(u'/') || isNetworkDevice(field);
}

bool isText(const QByteArray& line) {
    return std::none_of(line.begin(), line.end(), [](char c) {
        const auto u = uchar(c);
        return (u < 0x20 && u != '\t') || u == 0x7f;
    });
}

} // namespace

std::optional<PortSettings> parseCommSettings(const QByteArray& bytes, QString* why) {
    const qsizetype end = bytes.indexOf('\n');
    QByteArray first = end < 0 ? bytes : bytes.left(end);
    if (first.endsWith('\r')) first.chop(1);
    const QString line = QString::fromUtf8(first);
    const QStringList fields = splitCsvLine(line);
    bool ok = false;
    const double port = fields.value(0).toDouble(&ok);
    if (isText(first) && ok && std::isfinite(port) && fields.size() >= 2) {
        PortSettings s;
        s.portNumber = int(qBound<double>(kMinCommPort, std::nearbyint(port), kMaxCommPort));
        s.baud = leadingNumber(fields.value(1)) == 19200 ? 19200 : 9600;
        if (namesDevice(fields.value(2))) s.device = fields.value(2);
        return s;
    }
    if (why)
        *why = !isText(first) ? QStringLiteral("its first line is not text.")
                              : QStringLiteral("\"%1\" is not a port number and a speed, such as "
                                               "3,9600.")
                                    .arg(line.size() > 60 ? line.left(57) + "..." : line);
    return std::nullopt;
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
    return bytes->isEmpty() ? PortSettings{} : parseCommSettings(*bytes, why);
}

QString saveCommSettings(const QString& path, const PortSettings& settings) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("The folder %1 cannot be made, so %2 cannot be saved.")
            .arg(QDir::toNativeSeparators(folder), QDir::toNativeSeparators(path));
    if (QString why = whyNotWritable(path); !why.isEmpty()) return why;
    return saveFileAtomically(path, formatCommSettings(settings));
}

QString whyNotWritable(const QString& path) {
    if (QString why = notRegularFileProblem(path); !why.isEmpty()) return why;
    const QString shown = QDir::toNativeSeparators(path);
    QString folder = QFileInfo(path).absolutePath();
    while (!QFileInfo::exists(folder))
        folder = QFileInfo(folder).absolutePath();
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("%1 cannot be written: %2 is a file, not a folder.")
            .arg(shown, QDir::toNativeSeparators(folder));
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".kalvex-write-probe-XXXXXX")));
    if (!probe.open())
        return QStringLiteral("%1 cannot be written: the folder %2 refuses new files (%3).")
            .arg(shown, QDir::toNativeSeparators(folder), probe.errorString());
    QFile existing(path); // opened to append: nothing in it changes
    if (existing.exists() && !existing.open(QIODevice::WriteOnly | QIODevice::Append))
        return QStringLiteral("%1 cannot be written: %2").arg(shown, existing.errorString());
    return {};
}

QStringList toolPortFiles(const QString& programFolder) {
    QStringList files;
    for (const char* tool : {"ORV51", "ORV96", "DIV51"}) {
        const QString folder = childPath(programFolder, QLatin1String(tool));
        if (QFileInfo(folder).isDir()) files << childPath(folder, QStringLiteral("ORVILO.SFG"));
    }
    return files;
}

QString saveCommPortFiles(const QString& settingsPath, const QString& programFolder,
                          const PortSettings& settings) {
    FileContents files{{settingsPath, formatCommSettings(settings)}};
    for (const QString& tool : toolPortFiles(programFolder))
        files.emplace_back(tool, QByteArray::number(settings.portNumber - 1) + "\r\n");
    QStringList refused;
    for (const auto& file : files)
        if (QString why = whyNotWritable(file.first); !why.isEmpty()) refused << why;
    if (!refused.isEmpty())
        return QStringLiteral("Nothing was saved:\r\n") + refused.join(QStringLiteral("\r\n"));
    QStringList written;
    for (size_t i = 0; i < files.size(); ++i) {
        const QString why = i == 0 ? saveCommSettings(settingsPath, settings)
                                   : saveFileAtomically(files[i].first, files[i].second);
        if (why.isEmpty()) {
            written << QDir::toNativeSeparators(files[i].first);
            continue;
        }
        QStringList left;
        for (size_t j = i; j < files.size(); ++j)
            left << QDir::toNativeSeparators(files[j].first);
        return QStringLiteral("%1\r\nWritten: %2\r\nNot written: %3")
            .arg(why, written.isEmpty() ? QStringLiteral("none") : written.join(u", "),
                 left.join(u", "));
    }
    return {};
}

} // namespace kalvex
