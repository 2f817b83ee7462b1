#pragma once
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

namespace kalvex {

// The values kept once a second: the Main Display counters as read, and the two rates the
// recorder works out from the counters' deltas.
enum HistorySeries {
    kSeriesCpm,
    kSeriesRpm,
    kSeriesGoodCans,
    kSeriesBlowoffs,
    kSeriesLifetime,
    kSeriesGoodPerMin,
    kSeriesBlowoffsPerMin,
    kSeriesCount
};

// Column names, also the CSV and JSON field names.
inline constexpr std::array<const char*, kSeriesCount> kSeriesNames = {
    "cpm", "rpm", "good", "blowoffs", "lifetime", "good_per_min", "blowoffs_per_min"};

// One thing that happened, at its time in ms since the epoch (UTC).
struct HistoryEvent {
    qint64 ms = 0;
    QString kind;    // "alarm raised", "write", "transfer", ... (see HistoryRecorder)
    QString subject; // the address, bit, file or transfer it concerns
    QString text;    // what it means: the alarm text, the item's name
    QString before;  // writes: the value last read from that address
    QString value;   // writes: the value sent
    QString window;  // writes: the window it came from
    QString outcome; // "done", or why not

    friend bool operator==(const HistoryEvent&, const HistoryEvent&) = default;
};

// An event of `kind`, stamped when the recorder takes it.
inline HistoryEvent historyEvent(const QString& kind, const QString& subject = {},
                                 const QString& text = {}, const QString& outcome = {}) {
    HistoryEvent e;
    e.kind = kind;
    e.subject = subject;
    e.text = text;
    e.outcome = outcome;
    return e;
}

// The values seen during one second (seconds since the epoch); a value not read then is empty.
struct HistorySample {
    qint64 sec = 0;
    std::array<std::optional<double>, kSeriesCount> values{};

    bool empty() const {
        for (const auto& v : values)
            if (v) return false;
        return true;
    }
};

// The lowest and highest value of one series within a time bucket starting at `sec`.
struct HistoryBucket {
    qint64 sec = 0;
    double min = 0;
    double max = 0;
};

} // namespace kalvex
