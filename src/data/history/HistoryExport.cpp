#include "data/history/HistoryExport.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>

#include <array>

namespace kalvex {

namespace {

QString csvField(const QString& s) {
    if (!s.contains(u',') && !s.contains(u'"') && !s.contains(u'\n') && !s.contains(u'\r'))
        return s;
    return u'"' + QString(s).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

QByteArray csvLine(const QStringList& fields) {
    QStringList quoted;
    for (const QString& f : fields)
        quoted << csvField(f);
    return quoted.join(u',').toUtf8() + '\n';
}

QString valueText(const std::optional<double>& v, int series) {
    if (!v) return {};
    return QString::number(*v, 'f', series < kSeriesGoodPerMin ? 0 : 1);
}

const QStringList kEventFields = {QStringLiteral("time"),    QStringLiteral("kind"),
                                  QStringLiteral("subject"), QStringLiteral("text"),
                                  QStringLiteral("before"),  QStringLiteral("value"),
                                  QStringLiteral("window"),  QStringLiteral("outcome")};

QStringList eventFields(const HistoryEvent& e) {
    return {historyTime(e.ms), e.kind, e.subject, e.text, e.before, e.value, e.window, e.outcome};
}

} // namespace

QString historyTime(qint64 ms) {
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms);
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QByteArray eventsCsv(const std::vector<HistoryEvent>& events) {
    QByteArray out = csvLine(kEventFields);
    for (const HistoryEvent& e : events)
        out += csvLine(eventFields(e));
    return out;
}

QByteArray samplesCsv(const std::vector<HistorySample>& samples) {
    QStringList header{QStringLiteral("time")};
    for (const char* n : kSeriesNames)
        header << QString::fromLatin1(n);
    QByteArray out = csvLine(header);
    for (const HistorySample& s : samples) {
        QStringList line{historyTime(s.sec * 1000)};
        for (int k = 0; k < kSeriesCount; ++k)
            line << valueText(s.values[size_t(k)], k);
        out += csvLine(line);
    }
    return out;
}

QByteArray eventsJson(const std::vector<HistoryEvent>& events) {
    QJsonArray rows;
    for (const HistoryEvent& e : events) {
        QJsonObject o;
        const QStringList values = eventFields(e);
        for (qsizetype i = 0; i < kEventFields.size(); ++i)
            o.insert(kEventFields[i], values[i]);
        rows.append(o);
    }
    return QJsonDocument(rows).toJson(QJsonDocument::Indented);
}

QByteArray samplesJson(const std::vector<HistorySample>& samples) {
    QJsonArray rows;
    for (const HistorySample& s : samples) {
        QJsonObject o{{QStringLiteral("time"), historyTime(s.sec * 1000)}};
        for (int k = 0; k < kSeriesCount; ++k) {
            const auto& v = s.values[size_t(k)];
            o.insert(QString::fromLatin1(kSeriesNames[size_t(k)]),
                     v ? QJsonValue(*v) : QJsonValue(QJsonValue::Null));
        }
        rows.append(o);
    }
    return QJsonDocument(rows).toJson(QJsonDocument::Indented);
}

std::optional<qint64> parseHistoryTime(const QString& text, qint64 nowMs) {
    const QString t = text.trimmed();
    if (t == QStringLiteral("now")) return nowMs;
    static const QRegularExpression relative(QStringLiteral("^-(\\d{1,6})([smhd])$"));
    if (const auto m = relative.match(t); m.hasMatch()) {
        constexpr std::array<qint64, 4> kUnits = {1, 60, 3600, 86400};
        const qint64 unit = kUnits[size_t(QStringLiteral("smhd").indexOf(m.captured(2)))];
        return nowMs - m.captured(1).toLongLong() * unit * 1000;
    }
    QDateTime d = QDateTime::fromString(t, Qt::ISODateWithMs);
    if (!d.isValid()) d = QDateTime(QDate::fromString(t, Qt::ISODate), QTime(0, 0));
    if (!d.isValid()) return std::nullopt;
    return d.toMSecsSinceEpoch();
}

} // namespace kalvex
