#include "sim/StateFile.h"

#include "link/Address.h"
#include "link/SafeFile.h"

#include <QRegularExpression>

#include <functional>
#include <map>

namespace kalvex::sim {

namespace {

using Setter = std::function<void(Board&, qint64)>;

// A setting and the numbers it accepts; anything outside is refused, so no conversion or
// multiplication below can overflow.
struct Setting {
    qint64 min;
    qint64 max;
    Setter set;
};

constexpr qint64 kBig = 1'000'000'000; // counts of bytes, at most about a gigabyte
constexpr qint64 kMaxDelayMs = 3'600'000;

const std::map<QString, Setting>& namedSettings() {
    static const std::map<QString, Setting> settings{
        {QStringLiteral("speed"),
         {0, 65535, [](Board& b, qint64 v) { b.machine().speed = int(v); }}},
        {QStringLiteral("overvarnish"),
         {0, 65535, [](Board& b, qint64 v) { b.machine().overvarnishSpeed = int(v); }}},
        {QStringLiteral("running"),
         {0, 1, [](Board& b, qint64 v) { b.machine().running = v != 0; }}},
        {QStringLiteral("spindles"),
         {0, 255,
          [](Board& b, qint64 v) {
              b.machine().spindles = int(v);
              b.setValue(QStringLiteral("B52"), v);
          }}},
        {QStringLiteral("silent"), {0, 1, [](Board& b, qint64 v) { b.faults().silent = v != 0; }}},
        {QStringLiteral("silent_after"),
         {-1, kBig, [](Board& b, qint64 v) { b.faults().silentAfter = v; }}},
        {QStringLiteral("lose_write_at"),
         {0, 65535, [](Board& b, qint64 v) { b.faults().loseWriteAt = int(v); }}},
        {QStringLiteral("wrong_echo_at"),
         {1, kBig, [](Board& b, qint64 v) { b.faults().wrongEchoAt.insert(v); }}},
        {QStringLiteral("delay_ms"),
         {0, kMaxDelayMs, [](Board& b, qint64 v) { b.faults().replyDelayUs = v * 1000; }}},
        {QStringLiteral("baud"), {0, 19200, [](Board& b, qint64 v) { b.faults().baud = int(v); }}},
        {QStringLiteral("refuse_modes"),
         {0, 1, [](Board& b, qint64 v) { b.faults().refuseModes = v != 0; }}},
        {QStringLiteral("program_bad_checksum_at"),
         {0, 1'000'000, [](Board& b, qint64 v) { b.faults().programBadChecksumAt = int(v); }}},
        {QStringLiteral("program_no_checksum_at"),
         {0, 1'000'000, [](Board& b, qint64 v) { b.faults().programNoChecksumAt = int(v); }}},
        {QStringLiteral("program_no_exit_ack"),
         {0, 1, [](Board& b, qint64 v) { b.faults().programNoExitAck = v != 0; }}},
        {QStringLiteral("pls_scale"),
         {0, 65535, [](Board& b, qint64 v) { b.pls().setScaleFactor(int(v)); }}},
        {QStringLiteral("pls_offset"),
         {0, 65535, [](Board& b, qint64 v) { b.pls().setOffset(int(v)); }}},
        {QStringLiteral("pls_position"),
         {0, 65535, [](Board& b, qint64 v) { b.pls().setPosition(int(v)); }}},
        {QStringLiteral("pls_busy_ms"),
         {0, kMaxDelayMs, [](Board& b, qint64 v) { b.pls().busyUs = v * 1000; }}},
        {QStringLiteral("sticky_fault"),
         {0, 255,
          [](Board& b, qint64 v) {
              b.faults().stickyFault = int(v);
              b.poke(8176, quint8(v));
          }}},
        {QStringLiteral("clock_running"),
         {0, 1, [](Board& b, qint64 v) { b.boardClock().running = v != 0; }}},
        {QStringLiteral("line_speed"),
         {0, 19200, [](Board& b, qint64 v) { b.faults().lineSpeed = int(v); }}},
        {QStringLiteral("gateway"),
         {0, 1, [](Board& b, qint64 v) { b.gateway().running = v != 0; }}},
        {QStringLiteral("gateway_sts"),
         {0, 255,
          [](Board& b, qint64 v) {
              GatewayModel::setError(b, int(v), int(b.value(QStringLiteral("B1419"))));
          }}},
        {QStringLiteral("gateway_ext_sts"),
         {0, 255,
          [](Board& b, qint64 v) {
              GatewayModel::setError(b, int(b.value(QStringLiteral("B1418"))), int(v));
          }}},
        {QStringLiteral("gateway_config"),
         {0, 255, [](Board& b, qint64 v) { b.setValue(QStringLiteral("B1423"), v); }}},
        {QStringLiteral("pls_never_ready"),
         {0, 1, [](Board& b, qint64 v) { b.pls().neverReady = v != 0; }}},
    };
    return settings;
}

// The values a board address holds in its layout.
qint64 addressMaximum(const QString& name) {
    const ParsedAddress p = parseAddress(name);
    if (p.bitMode) return 1;
    return p.type == u'B' ? 255 : p.type == u'W' ? 65535 : 655359999;
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
        const bool isNamed = named != namedSettings().end();
        const bool isAddress =
            !isNamed && addressRe.match(name).hasMatch() && parseAddress(name).valid;
        const qint64 min = isNamed ? named->second.min : 0;
        const qint64 max = isNamed ? named->second.max : isAddress ? addressMaximum(name) : -1;
        if (!numberOk || v < min || v > max) {
            if (error)
                *error = max < min ? QStringLiteral("line %1: cannot use \"%2\" (expected NAME = "
                                                    "NUMBER, NAME a board address or a simulator "
                                                    "setting)")
                                         .arg(i + 1)
                                         .arg(lines[i].trimmed())
                                   : QStringLiteral("line %1: cannot use \"%2\" (%3 takes a "
                                                    "number from %4 to %5)")
                                         .arg(i + 1)
                                         .arg(lines[i].trimmed(), name)
                                         .arg(min)
                                         .arg(max);
            return false;
        }
        if (isNamed)
            changes.emplace_back(named->second.set, v);
        else
            changes.emplace_back([name](Board& b, qint64 x) { b.setValue(name, x); }, v);
    }
    for (auto& [set, v] : changes)
        set(board, v);
    return true;
}

bool loadState(Board& board, const QString& path, QString* error) {
    constexpr qint64 kLimit = 1024 * 1024;
    QString err;
    const std::optional<QByteArray> bytes = readLimitedFile(path, kLimit, &err);
    if (!bytes) {
        if (error) *error = QStringLiteral("cannot read %1: %2").arg(path, err);
        return false;
    }
    if (!applyState(board, QString::fromUtf8(*bytes), &err)) {
        if (error) *error = QStringLiteral("%1: %2").arg(path, err);
        return false;
    }
    return true;
}

} // namespace kalvex::sim
