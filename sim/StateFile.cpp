#include "StateFile.h"

#include "link/Address.h"

#include <QFile>
#include <QRegularExpression>

#include <functional>
#include <map>

namespace kalvex::sim {

namespace {

using Setter = std::function<void(Board&, qint64)>;

const std::map<QString, Setter>& namedSettings() {
    static const std::map<QString, Setter> settings{
        {QStringLiteral("speed"), [](Board& b, qint64 v) { b.machine().speed = int(v); }},
        {QStringLiteral("overvarnish"),
         [](Board& b, qint64 v) { b.machine().overvarnishSpeed = int(v); }},
        {QStringLiteral("running"), [](Board& b, qint64 v) { b.machine().running = v != 0; }},
        {QStringLiteral("spindles"),
         [](Board& b, qint64 v) {
             b.machine().spindles = int(v);
             b.setValue(QStringLiteral("B52"), v);
         }},
        {QStringLiteral("silent"), [](Board& b, qint64 v) { b.faults().silent = v != 0; }},
        {QStringLiteral("silent_after"), [](Board& b, qint64 v) { b.faults().silentAfter = v; }},
        {QStringLiteral("wrong_echo_at"),
         [](Board& b, qint64 v) { b.faults().wrongEchoAt.insert(v); }},
        {QStringLiteral("delay_ms"),
         [](Board& b, qint64 v) { b.faults().replyDelayUs = v * 1000; }},
        {QStringLiteral("baud"), [](Board& b, qint64 v) { b.faults().baud = int(v); }},
        {QStringLiteral("refuse_modes"),
         [](Board& b, qint64 v) { b.faults().refuseModes = v != 0; }},
        {QStringLiteral("program_bad_checksum_at"),
         [](Board& b, qint64 v) { b.faults().programBadChecksumAt = int(v); }},
        {QStringLiteral("program_no_checksum_at"),
         [](Board& b, qint64 v) { b.faults().programNoChecksumAt = int(v); }},
        {QStringLiteral("program_no_exit_ack"),
         [](Board& b, qint64 v) { b.faults().programNoExitAck = v != 0; }},
        {QStringLiteral("pls_scale"), [](Board& b, qint64 v) { b.pls().setScaleFactor(int(v)); }},
        {QStringLiteral("pls_offset"), [](Board& b, qint64 v) { b.pls().setOffset(int(v)); }},
        {QStringLiteral("pls_position"), [](Board& b, qint64 v) { b.pls().setPosition(int(v)); }},
        {QStringLiteral("pls_busy_ms"),
         [](Board& b, qint64 v) { b.pls().busyUs = qMax<qint64>(0, v) * 1000; }},
        {QStringLiteral("pls_never_ready"),
         [](Board& b, qint64 v) { b.pls().neverReady = v != 0; }},
    };
    return settings;
}

} // namespace

bool applyState(Board& board, const QString& text, QString* error) {
    static const QRegularExpression lineRe(QStringLiteral(R"(^\s*([^=\s]+)\s*=\s*(-?\d+)\s*$)"));
    std::vector<std::pair<Setter, qint64>> changes;
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].section(u'#', 0, 0).trimmed();
        if (line.isEmpty()) continue;
        const auto m = lineRe.match(line);
        bool numberOk = false;
        const qint64 v = m.hasMatch() ? m.captured(2).toLongLong(&numberOk) : 0;
        const QString name = m.captured(1);
        const auto named = namedSettings().find(name.toLower());
        static const QRegularExpression addressRe(
            QStringLiteral(R"(^([BWDF]\d+|[A-Z]\d+\.[0-7]|[0-9A-F]+H)$)"),
            QRegularExpression::CaseInsensitiveOption);
        const bool isAddress = addressRe.match(name).hasMatch() && parseAddress(name).valid;
        if (!numberOk || (named == namedSettings().end() && (!isAddress || v < 0))) {
            if (error)
                *error = QStringLiteral("line %1: cannot use \"%2\" (expected NAME = NUMBER, "
                                        "NAME a board address or a simulator setting)")
                             .arg(i + 1)
                             .arg(lines[i].trimmed());
            return false;
        }
        if (named != namedSettings().end())
            changes.emplace_back(named->second, v);
        else
            changes.emplace_back([name](Board& b, qint64 x) { b.setValue(name, x); }, v);
    }
    for (auto& [set, v] : changes)
        set(board, v);
    return true;
}

bool loadState(Board& board, const QString& path, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("cannot read %1: %2").arg(path, f.errorString());
        return false;
    }
    QString err;
    if (!applyState(board, QString::fromUtf8(f.readAll()), &err)) {
        if (error) *error = QStringLiteral("%1: %2").arg(path, err);
        return false;
    }
    return true;
}

} // namespace kalvex::sim
