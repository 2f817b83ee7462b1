#include "data/TransferMarker.h"

#include "link/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>

namespace kalvex {

namespace {

const QByteArray kHeader = "KALVEX transfer marker 1";
constexpr qint64 kMostBytes = 4096;
constexpr int kMostCount = 1'000'000;
const QStringList kKeys = {QStringLiteral("kind"), QStringLiteral("state"),
                           QStringLiteral("what"), QStringLiteral("port"),
                           QStringLiteral("done"), QStringLiteral("total")};

std::optional<int> countOf(const QString& text) {
    bool ok = false;
    const int v = text.toInt(&ok);
    return ok && v >= 0 && v <= kMostCount ? std::optional<int>(v) : std::nullopt;
}

std::optional<QMap<QString, QString>> fieldsOf(const QByteArray& text, QString* why) {
    const QStringList lines = QString::fromUtf8(text).split(u'\n', Qt::SkipEmptyParts);
    if (lines.isEmpty() || lines.front().trimmed().toUtf8() != kHeader) {
        *why = QStringLiteral("it does not begin with \"%1\"").arg(QLatin1String(kHeader));
        return std::nullopt;
    }
    QMap<QString, QString> fields;
    for (const QString& raw : lines.mid(1)) {
        const QString line = raw.trimmed();
        const qsizetype eq = line.indexOf(u'=');
        const QString key = line.left(eq);
        if (eq <= 0 || !kKeys.contains(key) || fields.contains(key)) {
            *why = QStringLiteral("the line \"%1\" is not expected").arg(line.left(60));
            return std::nullopt;
        }
        fields.insert(key, line.mid(eq + 1));
    }
    for (const QString& key : kKeys)
        if (!fields.contains(key)) {
            *why = QStringLiteral("the line %1= is missing").arg(key);
            return std::nullopt;
        }
    return fields;
}

QString countText(const TransferMarker& m) {
    return QStringLiteral("%1 %2 of %3")
        .arg(m.kind == TransferMarker::Kind::Data ? QStringLiteral("item")
                                                  : QStringLiteral("record"))
        .arg(m.done)
        .arg(m.total);
}

QString dataText(const TransferMarker& m) {
    if (m.state == TransferMarker::State::Stopped)
        return QStringLiteral("A download of %1 to the board on %2 was stopped after %3: the "
                              "board holds a mix of old and new values (the new ones up to "
                              "there). Download it again, or upload to see what the board holds.")
            .arg(m.what, m.port, countText(m));
    return QStringLiteral("A download of %1 to the board on %2 was interrupted after %3: the "
                          "board holds a mix of old and new values, and the item being sent may "
                          "hold neither. Download it again before running the machine.")
        .arg(m.what, m.port, countText(m));
}

QString programText(const TransferMarker& m) {
    const QString partial = QStringLiteral("The board holds a partial program: download it again "
                                           "before running the machine.");
    if (m.state == TransferMarker::State::Stopped)
        return QStringLiteral("A download of %1 to the board on %2 was stopped after %3; the "
                              "board left program mode and no ident was written.\r\n\r\n")
                   .arg(m.what, m.port, countText(m)) +
               partial;
    return QStringLiteral("A download of %1 to the board on %2 was interrupted after %3, and the "
                          "board may still be in program mode.\r\n\r\n")
               .arg(m.what, m.port, countText(m)) +
           partial +
           QStringLiteral(" Going online first takes it out of program mode and offers the "
                          "download.");
}

} // namespace

QString transferMarkerPath(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("TransferInProgress.txt"));
}

QByteArray formatTransferMarker(const TransferMarker& m) {
    const auto line = [](const char* key, const QString& value) {
        QString v = value;
        v.replace(u'\n', u' ').replace(u'\r', u' ');
        return QByteArray(key) + '=' + v.toUtf8() + '\n';
    };
    return kHeader + '\n' +
           line("kind", m.kind == TransferMarker::Kind::Data ? QStringLiteral("data")
                                                             : QStringLiteral("program")) +
           line("state", m.state == TransferMarker::State::Running ? QStringLiteral("running")
                                                                   : QStringLiteral("stopped")) +
           line("what", m.what) + line("port", m.port) + line("done", QString::number(m.done)) +
           line("total", QString::number(m.total));
}

std::optional<TransferMarker> parseTransferMarker(const QByteArray& text, QString* why) {
    QString reason;
    const auto fields = fieldsOf(text, &reason);
    const auto fail = [&](const QString& r) {
        if (why) *why = r;
        return std::nullopt;
    };
    if (!fields) return fail(reason);
    const auto& f = *fields;
    TransferMarker m;
    const QString kind = f[QStringLiteral("kind")], state = f[QStringLiteral("state")];
    if (kind != QLatin1String("data") && kind != QLatin1String("program"))
        return fail(QStringLiteral("kind=%1 is neither data nor program").arg(kind.left(20)));
    if (state != QLatin1String("running") && state != QLatin1String("stopped"))
        return fail(QStringLiteral("state=%1 is neither running nor stopped").arg(state.left(20)));
    m.kind =
        kind == QLatin1String("data") ? TransferMarker::Kind::Data : TransferMarker::Kind::Program;
    m.state = state == QLatin1String("running") ? TransferMarker::State::Running
                                                : TransferMarker::State::Stopped;
    m.what = f[QStringLiteral("what")];
    m.port = f[QStringLiteral("port")];
    const auto done = countOf(f[QStringLiteral("done")]);
    const auto total = countOf(f[QStringLiteral("total")]);
    if (m.what.isEmpty()) return fail(QStringLiteral("what= names nothing"));
    if (!done || !total || *done > *total)
        return fail(
            QStringLiteral("done=%1 of total=%2 is not a count")
                .arg(f[QStringLiteral("done")].left(12), f[QStringLiteral("total")].left(12)));
    m.done = *done;
    m.total = *total;
    return m;
}

MarkerFound readTransferMarker(const QString& path) {
    MarkerFound found;
    if (!QFileInfo::exists(path)) return found;
    found.status = MarkerFound::Status::Unreadable;
    const auto bytes = readLimitedFile(path, kMostBytes, &found.why);
    if (!bytes) return found;
    if (auto m = parseTransferMarker(*bytes, &found.why)) {
        found.status = MarkerFound::Status::Found;
        found.marker = *m;
    }
    return found;
}

QString writeTransferMarker(const QString& path, const TransferMarker& marker) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("Cannot create the folder \"%1\".")
            .arg(QDir::toNativeSeparators(folder));
    return saveFileAtomically(path, formatTransferMarker(marker));
}

QString removeTransferMarker(const QString& path) {
    QFile f(path);
    if (!f.exists() || f.remove()) return {};
    return QStringLiteral("Cannot remove \"%1\": %2")
        .arg(QDir::toNativeSeparators(path), f.errorString());
}

QString interruptedTransferText(const MarkerFound& found, const QString& path) {
    switch (found.status) {
    case MarkerFound::Status::None:
        return {};
    case MarkerFound::Status::Unreadable:
        return QStringLiteral("A download to the board may have been interrupted when the program "
                              "last ended, but its record \"%1\" cannot be read: %2.\r\n\r\n"
                              "Check what the board holds before running the machine.")
            .arg(QDir::toNativeSeparators(path), found.why);
    case MarkerFound::Status::Found:
        break;
    }
    return found.marker.kind == TransferMarker::Kind::Data ? dataText(found.marker)
                                                           : programText(found.marker);
}

TransferMarkerFile::TransferMarkerFile(QString path, TransferMarker marker, int every)
    : m_path(std::move(path)), m_marker(std::move(marker)), m_every(qMax(1, every)) {}

void TransferMarkerFile::write() {
    m_error = writeTransferMarker(m_path, m_marker);
    m_written = m_marker.done;
}

void TransferMarkerFile::start() {
    m_started = true;
    m_marker.state = TransferMarker::State::Running;
    write();
}

void TransferMarkerFile::progress(int done) {
    m_marker.done = qBound(0, done, m_marker.total);
    if (m_started && m_marker.done - m_written >= m_every) write();
}

void TransferMarkerFile::stopped(int done, TransferMarker::State state) {
    m_marker.done = qBound(0, done, m_marker.total);
    m_marker.state = state;
    if (m_started) write();
}

void TransferMarkerFile::finished() {
    if (m_started) m_error = removeTransferMarker(m_path);
    m_started = false;
}

} // namespace kalvex
