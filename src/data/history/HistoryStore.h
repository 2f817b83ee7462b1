#pragma once
#include "data/history/HistoryTypes.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include <vector>

namespace kalvex {

// The history database: an SQLite file through Qt SQL in WAL mode. Samples are one row a
// second keyed by time; a per-minute table of lowest and highest values per series is kept
// beside them so the chart of a long range reads a few thousand rows. One instance, one
// connection, used from one thread.
class HistoryStore {
  public:
    enum class Opened { Ok, SetAside, Failed };

    HistoryStore();
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Opens (and creates) the file for recording. A file that is not a readable database is
    // renamed aside and a new one started (SetAside); `message` says what happened and why.
    Opened open(const QString& path, QString* message);
    // Opens an existing file for queries only.
    bool openReadOnly(const QString& path, QString* message);
    bool isOpen() const { return m_db.isOpen(); }
    void close();

    // One transaction; false with the database's reason when anything failed.
    bool write(const std::vector<HistoryEvent>& events, const std::vector<HistorySample>& samples,
               QString* message);
    // Drops what is older than `keepDays`, then the oldest days while the data exceed
    // `capBytes`.
    bool prune(qint64 nowMs, int keepDays, qint64 capBytes, QString* message);

    // Queries over [from, to).
    std::vector<HistoryEvent> events(qint64 fromMs, qint64 toMs) const;
    std::vector<HistorySample> samples(qint64 fromSec, qint64 toSec) const;
    std::vector<HistoryBucket> buckets(HistorySeries series, qint64 fromSec, qint64 toSec,
                                       qint64 bucketSec) const;
    // A bucket width giving the chart about a thousand points over the span; whole minutes
    // from one minute up, so long spans read the per-minute table.
    static qint64 bucketFor(qint64 spanSec);
    qint64 usedBytes() const;

  private:
    bool openFile(const QString& path, bool readOnly, QString* message);
    bool prepare(QString* message);
    bool exec(const QString& sql, QString* message = nullptr);
    bool updateMinutes(const std::vector<HistorySample>& samples, QString* message);
    static QString setAside(const QString& path);

    QString m_name;
    QSqlDatabase m_db;
    QSqlError m_lastError; // of the last statement that failed while opening
};

} // namespace kalvex
