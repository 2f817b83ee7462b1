#include "data/history/HistoryStore.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <set>

namespace kalvex {

namespace {

QAtomicInt connectionCount;

constexpr qint64 kDaySec = 86400;

// SQLite's primary result codes that mean the file is no database, or a damaged one.
bool isCorrupt(const QSqlError& e) {
    const int code = e.nativeErrorCode().toInt() & 0xFF;
    return code == 11 /* SQLITE_CORRUPT */ || code == 26 /* SQLITE_NOTADB */;
}

QString reason(const QSqlError& e) {
    return e.databaseText().isEmpty() ? e.text() : e.databaseText();
}

QVariant number(const std::optional<double>& v, bool whole) {
    if (!v) return QVariant(whole ? QMetaType::fromType<qint64>() : QMetaType::fromType<double>());
    return whole ? QVariant(qint64(*v)) : QVariant(*v);
}

bool isWhole(int series) {
    return series < kSeriesGoodPerMin;
}

QString sampleColumns() {
    QStringList c;
    for (const char* n : kSeriesNames)
        c << QString::fromLatin1(n);
    return c.join(u',');
}

} // namespace

HistoryStore::HistoryStore()
    : m_name(QStringLiteral("kalvex-history-%1").arg(connectionCount.fetchAndAddOrdered(1))) {}

HistoryStore::~HistoryStore() {
    close();
}

void HistoryStore::close() {
    if (!m_db.isValid()) return;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

bool HistoryStore::exec(const QString& sql, QString* message) {
    QSqlQuery q(m_db);
    if (q.exec(sql)) return true;
    m_lastError = q.lastError();
    if (message) *message = reason(m_lastError);
    return false;
}

bool HistoryStore::openFile(const QString& path, bool readOnly, QString* message) {
    close();
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    m_db.setDatabaseName(path);
    if (readOnly) m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (m_db.open()) return true;
    m_lastError = m_db.lastError();
    *message = reason(m_lastError);
    close();
    return false;
}

QString HistoryStore::setAside(const QString& path) {
    const QString aside =
        path + QDateTime::currentDateTime().toString(QStringLiteral("'.corrupt-'yyyyMMdd-hhmmss"));
    QFile::rename(path, aside);
    for (const QString& side : {QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(path + side);
    return aside;
}

HistoryStore::Opened HistoryStore::open(const QString& path, QString* message) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        *message = QStringLiteral("The folder %1 cannot be created.").arg(folder);
        return Opened::Failed;
    }
    QString why;
    m_lastError = QSqlError();
    if (openFile(path, false, &why) && prepare(&why)) return Opened::Ok;
    // prepare() leaves the connection open when the file itself was at fault.
    const bool corrupt = isCorrupt(m_lastError);
    const bool flagged = why.startsWith(QStringLiteral("check: "));
    close();
    if (!corrupt && !flagged) {
        *message = QStringLiteral("The history file %1 cannot be written: %2.").arg(path, why);
        return Opened::Failed;
    }
    const QString aside = setAside(path);
    QString again;
    if (!openFile(path, false, &again) || !prepare(&again)) {
        close();
        *message = QStringLiteral("The history file %1 cannot be written: %2.").arg(path, again);
        return Opened::Failed;
    }
    *message = QStringLiteral("The history file %1 could not be read (%2); it was kept as %3 "
                              "and a new one started.")
                   .arg(path, why, aside);
    return Opened::SetAside;
}

bool HistoryStore::openReadOnly(const QString& path, QString* message) {
    if (!QFileInfo(path).isFile()) {
        *message = QStringLiteral("No history file %1.").arg(path);
        return false;
    }
    if (!openFile(path, true, message)) return false;
    if (exec(QStringLiteral("SELECT count(*) FROM events"), message)) return true;
    *message = QStringLiteral("The history file %1 cannot be read: %2.").arg(path, *message);
    close();
    return false;
}

// A damaged file fails here with SQLITE_CORRUPT or SQLITE_NOTADB, or quick_check says so
// ("check: ..."); a file that cannot be written fails with its own reason.
bool HistoryStore::prepare(QString* message) {
    QSqlQuery check(m_db);
    if (!check.exec(QStringLiteral("PRAGMA quick_check(1)"))) {
        m_lastError = check.lastError();
        *message = reason(m_lastError);
        return false;
    }
    if (check.next() && check.value(0).toString() != QStringLiteral("ok")) {
        *message = QStringLiteral("check: ") + check.value(0).toString();
        return false;
    }
    check.finish();
    QStringList minuteColumns;
    for (const char* n : kSeriesNames)
        minuteColumns << QStringLiteral("%1_min,%1_max").arg(QLatin1String(n));
    const QStringList schema = {
        QStringLiteral("PRAGMA journal_mode=WAL"),
        QStringLiteral("PRAGMA synchronous=NORMAL"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS events(id INTEGER PRIMARY KEY, ts INTEGER NOT "
                       "NULL, kind TEXT NOT NULL, subject TEXT, text TEXT, before TEXT, value "
                       "TEXT, window TEXT, outcome TEXT)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS events_ts ON events(ts)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS samples(ts INTEGER PRIMARY KEY, cpm INTEGER, "
                       "rpm INTEGER, good INTEGER, blowoffs INTEGER, lifetime INTEGER, "
                       "good_per_min REAL, blowoffs_per_min REAL)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS minutes(minute INTEGER PRIMARY KEY, %1)")
            .arg(minuteColumns.join(u',')),
    };
    for (const QString& sql : schema)
        if (!exec(sql, message)) return false;
    return true;
}

bool HistoryStore::write(const std::vector<HistoryEvent>& events,
                         const std::vector<HistorySample>& samples, QString* message) {
    if (!m_db.transaction()) {
        *message = reason(m_db.lastError());
        return false;
    }
    QSqlQuery e(m_db);
    e.prepare(QStringLiteral("INSERT INTO events(ts,kind,subject,text,before,value,window,outcome)"
                             " VALUES(?,?,?,?,?,?,?,?)"));
    bool ok = true;
    QSqlError error;
    for (const HistoryEvent& ev : events) {
        for (const QVariant& v :
             {QVariant(ev.ms), QVariant(ev.kind), QVariant(ev.subject), QVariant(ev.text),
              QVariant(ev.before), QVariant(ev.value), QVariant(ev.window), QVariant(ev.outcome)})
            e.addBindValue(v);
        if (!(ok = e.exec())) error = e.lastError();
        if (!ok) break;
    }
    QSqlQuery s(m_db);
    s.prepare(QStringLiteral("INSERT OR REPLACE INTO samples(ts,%1) VALUES(?,?,?,?,?,?,?,?)")
                  .arg(sampleColumns()));
    for (size_t i = 0; ok && i < samples.size(); ++i) {
        s.addBindValue(samples[i].sec);
        for (int k = 0; k < kSeriesCount; ++k)
            s.addBindValue(number(samples[i].values[size_t(k)], isWhole(k)));
        if (!(ok = s.exec())) error = s.lastError();
    }
    if (!ok) *message = reason(error);
    if (ok && !updateMinutes(samples, message)) ok = false;
    if (ok && !m_db.commit()) {
        *message = reason(m_db.lastError());
        ok = false;
    }
    if (!ok) m_db.rollback();
    return ok;
}

// The minutes a batch touched are worked out again from their samples.
bool HistoryStore::updateMinutes(const std::vector<HistorySample>& samples, QString* message) {
    std::set<qint64> minutes;
    for (const HistorySample& s : samples)
        minutes.insert(s.sec / 60);
    if (minutes.empty()) return true;
    QStringList aggregates;
    for (const char* n : kSeriesNames)
        aggregates << QStringLiteral("min(%1),max(%1)").arg(QLatin1String(n));
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO minutes SELECT ts/60,%1 FROM samples WHERE "
                             "ts>=? AND ts<? GROUP BY ts/60")
                  .arg(aggregates.join(u',')));
    for (const qint64 m : minutes) {
        q.addBindValue(m * 60);
        q.addBindValue(m * 60 + 60);
        if (!q.exec()) {
            *message = reason(q.lastError());
            return false;
        }
    }
    return true;
}

qint64 HistoryStore::usedBytes() const {
    QSqlQuery q(m_db);
    qint64 pages = 0, free = 0, size = 0;
    if (q.exec(QStringLiteral("PRAGMA page_count")) && q.next()) pages = q.value(0).toLongLong();
    if (q.exec(QStringLiteral("PRAGMA freelist_count")) && q.next()) free = q.value(0).toLongLong();
    if (q.exec(QStringLiteral("PRAGMA page_size")) && q.next()) size = q.value(0).toLongLong();
    return (pages - free) * size;
}

bool HistoryStore::prune(qint64 nowMs, int keepDays, qint64 capBytes, QString* message) {
    qint64 cutoffSec = nowMs / 1000 - qint64(keepDays) * kDaySec;
    // Past the cap, a day more at a time from the oldest sample (or event).
    for (int round = 0; round < 400; ++round) {
        const QString sql = QStringLiteral("DELETE FROM samples WHERE ts<%1;"
                                           "DELETE FROM minutes WHERE minute<%2;"
                                           "DELETE FROM events WHERE ts<%3")
                                .arg(cutoffSec)
                                .arg(cutoffSec / 60)
                                .arg(cutoffSec * 1000);
        for (const QString& part : sql.split(u';'))
            if (!exec(part, message)) return false;
        if (usedBytes() <= capBytes) return true;
        QSqlQuery q(m_db);
        q.exec(QStringLiteral("SELECT min(ts) FROM samples"));
        qint64 oldest = q.next() && !q.value(0).isNull() ? q.value(0).toLongLong() : -1;
        if (oldest < 0) {
            q.exec(QStringLiteral("SELECT min(ts) FROM events"));
            if (!q.next() || q.value(0).isNull()) return true;
            oldest = q.value(0).toLongLong() / 1000;
        }
        cutoffSec = std::max(cutoffSec, oldest) + kDaySec;
    }
    return true;
}

std::vector<HistoryEvent> HistoryStore::events(qint64 fromMs, qint64 toMs) const {
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT ts,kind,subject,text,before,value,window,outcome FROM events "
                             "WHERE ts>=? AND ts<? ORDER BY ts,id"));
    q.addBindValue(fromMs);
    q.addBindValue(toMs);
    std::vector<HistoryEvent> out;
    if (!q.exec()) return out;
    while (q.next())
        out.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(),
                       q.value(3).toString(), q.value(4).toString(), q.value(5).toString(),
                       q.value(6).toString(), q.value(7).toString()});
    return out;
}

std::vector<HistorySample> HistoryStore::samples(qint64 fromSec, qint64 toSec) const {
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT ts,%1 FROM samples WHERE ts>=? AND ts<? ORDER BY ts")
                  .arg(sampleColumns()));
    q.addBindValue(fromSec);
    q.addBindValue(toSec);
    std::vector<HistorySample> out;
    if (!q.exec()) return out;
    while (q.next()) {
        HistorySample s{q.value(0).toLongLong(), {}};
        for (int k = 0; k < kSeriesCount; ++k)
            if (!q.value(k + 1).isNull()) s.values[size_t(k)] = q.value(k + 1).toDouble();
        out.push_back(s);
    }
    return out;
}

qint64 HistoryStore::bucketFor(qint64 spanSec) {
    const qint64 b = std::max<qint64>(1, (spanSec + 999) / 1000);
    return b < 60 ? b : (b + 59) / 60 * 60;
}

std::vector<HistoryBucket> HistoryStore::buckets(HistorySeries series, qint64 fromSec, qint64 toSec,
                                                 qint64 bucketSec) const {
    const QString c = QString::fromLatin1(kSeriesNames[size_t(series)]);
    const bool minutes = bucketSec % 60 == 0;
    const QString sql =
        minutes ? QStringLiteral("SELECT minute*60/? AS k,min(%1_min),max(%1_max) FROM minutes "
                                 "WHERE minute>=?/60 AND minute<?/60 AND %1_min IS NOT NULL "
                                 "GROUP BY k ORDER BY k")
                : QStringLiteral("SELECT ts/? AS k,min(%1),max(%1) FROM samples WHERE ts>=? AND "
                                 "ts<? AND %1 IS NOT NULL GROUP BY k ORDER BY k");
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(sql.arg(c));
    q.addBindValue(bucketSec);
    q.addBindValue(fromSec);
    q.addBindValue(toSec);
    std::vector<HistoryBucket> out;
    if (!q.exec()) return out;
    while (q.next())
        out.push_back(
            {q.value(0).toLongLong() * bucketSec, q.value(1).toDouble(), q.value(2).toDouble()});
    return out;
}

} // namespace kalvex
