#pragma once
#include "data/history/HistoryTypes.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace kalvex {

// Events and samples as CSV (a header line, then one line per row, LF) or as a JSON array of
// objects; times are local ISO 8601 with milliseconds and the UTC offset. The History window's
// export and `kalvex-cli history` write the same bytes.
QByteArray eventsCsv(const std::vector<HistoryEvent>& events);
QByteArray samplesCsv(const std::vector<HistorySample>& samples);
QByteArray eventsJson(const std::vector<HistoryEvent>& events);
QByteArray samplesJson(const std::vector<HistorySample>& samples);

QString historyTime(qint64 ms);

// A time given as local ISO 8601 ("2024-05-01", "2024-05-01T06:00"), "now", or a time before
// now ("-8h", "-30m", "-7d", "-90s"); nothing when the text is none of these.
std::optional<qint64> parseHistoryTime(const QString& text, qint64 nowMs);

} // namespace kalvex
