#include "sim/Timeline.h"

#include "link/SafeFile.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace kalvex::sim {

namespace {

constexpr qint64 kMaxMs = 1'000'000'000; // about eleven days

std::optional<qint64> milliseconds(const QString& number, const QString& unit) {
    const double scale = unit == QLatin1String("ms") ? 1 : unit == QLatin1String("s") ? 1e3 : 6e4;
    const double ms = std::round(number.toDouble() * scale);
    if (ms > double(kMaxMs)) return std::nullopt;
    return qint64(ms);
}

} // namespace

std::optional<std::vector<TimelineStep>> parseTimeline(const QString& text, QString* error) {
    static const QRegularExpression lineRe(
        QStringLiteral(R"(^at\s+(\d{1,9}(?:\.\d{1,3})?)(ms|s|m)\s+(.+)$)"),
        QRegularExpression::CaseInsensitiveOption);
    std::vector<TimelineStep> steps;
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].section(u'#', 0, 0).trimmed();
        if (line.isEmpty()) continue;
        const auto m = lineRe.match(line);
        const auto at =
            m.hasMatch() ? milliseconds(m.captured(1), m.captured(2).toLower()) : std::nullopt;
        QString why;
        const auto command = at ? parseSimCommand(m.captured(3), &why) : std::nullopt;
        if (!command) {
            if (error)
                *error = QStringLiteral("line %1: %2")
                             .arg(i + 1)
                             .arg(at ? why
                                     : QStringLiteral("cannot use \"%1\" (expected \"at TIME "
                                                      "COMMAND\", TIME like 500ms, 5s or 2m)")
                                           .arg(line));
            return std::nullopt;
        }
        steps.push_back({*at, *command, m.captured(3).simplified(), i + 1});
    }
    std::stable_sort(steps.begin(), steps.end(),
                     [](const TimelineStep& a, const TimelineStep& b) { return a.atMs < b.atMs; });
    return steps;
}

std::optional<std::vector<TimelineStep>> loadTimeline(const QString& path, QString* error) {
    constexpr qint64 kLimit = 1024 * 1024;
    QString why;
    const std::optional<QByteArray> bytes = readLimitedFile(path, kLimit, &why);
    if (!bytes) {
        if (error) *error = QStringLiteral("cannot read %1: %2").arg(path, why);
        return std::nullopt;
    }
    auto steps = parseTimeline(QString::fromUtf8(*bytes), &why);
    if (!steps && error) *error = QStringLiteral("%1: %2").arg(path, why);
    return steps;
}

} // namespace kalvex::sim
