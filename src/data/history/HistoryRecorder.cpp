#include "data/history/HistoryRecorder.h"

#include "data/AppState.h"
#include "data/BackgroundUpdate.h"
#include "data/ItemNames.h"
#include "data/pages/ShiftDataTable.h"
#include "link/RSComm.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

namespace kalvex {

namespace {

constexpr qint64 kGapSec = 30;     // longer without a counter value: no rate across it
constexpr qint64 kRateSpanSec = 5; // a rate over at least this many seconds
constexpr qint64 kPruneEveryMs = 3600 * 1000;
constexpr int kPollMs = 10000;

// The Main Display's counters by the series they feed.
const std::array<std::pair<QString, int>, 5> kCounters = {{
    {QStringLiteral("W112"), kSeriesCpm},
    {QStringLiteral("W526"), kSeriesRpm},
    {QStringLiteral("D1100"), kSeriesGoodCans},
    {QStringLiteral("D1104"), kSeriesBlowoffs},
    {QStringLiteral("D1304"), kSeriesLifetime},
}};

const QString kAlarmWord = QStringLiteral("W98");
const QString kFaultCode = QStringLiteral("B8176");
const QString kMainDisplay = QStringLiteral("frmMain");

QString oneLine(const QString& text) {
    return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral(" ")).simplified();
}

} // namespace

QStringList HistoryKind::all() {
    return {AlarmRaised, AlarmCleared, Fault,    FaultCleared, Online,
            Offline,     LinkLost,     Write,    Transfer,     ProgramDownload,
            EndOfShift,  FileOpened,   FileSaved};
}

QString historyPath(const QString& homeOption) {
    if (!homeOption.isEmpty()) return QDir(homeOption).filePath(QStringLiteral("history.sqlite"));
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("KALVEX/history.sqlite"));
}

HistoryRecorder::HistoryRecorder(RSComm& link, AppState& state, Options options, QObject* parent)
    : QObject(parent), m_link(link), m_state(state), m_options(std::move(options)),
      m_settings(HistorySettings::load(QFileInfo(m_options.path).absolutePath())) {
    if (!m_options.nowMs) m_options.nowMs = [] { return QDateTime::currentMSecsSinceEpoch(); };
    connect(&link, &RSComm::valueRead, this, &HistoryRecorder::onValueRead);
    connect(&link, &RSComm::valueWritten, this, &HistoryRecorder::onValueWritten);
    connect(&link, &RSComm::onlineModeChanged, this, &HistoryRecorder::onOnlineModeChanged);
    connect(&link, &RSComm::linkLost, this, [this] { note(historyEvent(HistoryKind::LinkLost)); });
    if (m_options.threaded) {
        m_thread = std::make_unique<QThread>();
        m_thread->setObjectName(QStringLiteral("history writer"));
        m_worker = new QObject;
        m_worker->moveToThread(m_thread.get());
        connect(m_thread.get(), &QThread::finished, m_worker, &QObject::deleteLater);
        m_thread->start(QThread::LowPriority);
    }
    m_flushTimer = new QTimer(this);
    m_flushTimer->setInterval(m_options.flushMs);
    connect(m_flushTimer, &QTimer::timeout, this, [this] { sendBatch(false); });
    m_pollTimer = new QTimer(this);
    m_pollTimer->setInterval(kPollMs);
    connect(m_pollTimer, &QTimer::timeout, this, &HistoryRecorder::sampleInBackground);
}

HistoryRecorder::~HistoryRecorder() {
    if (m_recording) sendBatch(true);
    runOnStore([](HistoryStore& s) { s.close(); }, true);
    if (m_thread) {
        m_thread->quit();
        m_thread->wait();
    }
}

qint64 HistoryRecorder::now() const {
    return m_options.nowMs();
}

void HistoryRecorder::runOnStore(std::function<void(HistoryStore&)> work, bool wait) {
    if (!m_thread) {
        work(m_store);
        return;
    }
    QMetaObject::invokeMethod(
        m_worker, [this, work = std::move(work)] { work(m_store); },
        wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

void HistoryRecorder::start() {
    if (!m_settings.enabled || m_recording) return;
    m_recording = true;
    m_failed = false;
    m_lastPruneMs = now();
    const QString path = m_options.path;
    const HistorySettings s = m_settings;
    const qint64 t = m_lastPruneMs;
    runOnStore(
        [this, path, s, t](HistoryStore& store) {
            QString text;
            const HistoryStore::Opened r = store.open(path, &text);
            if (r != HistoryStore::Opened::Failed) store.prune(t, s.keepDays, s.capMb << 20, &text);
            const auto report = [this, r, text] {
                if (r == HistoryStore::Opened::Failed)
                    failed(QStringLiteral("History recording is off: ") + text);
                else if (r == HistoryStore::Opened::SetAside)
                    Q_EMIT message(text);
            };
            if (m_thread)
                QMetaObject::invokeMethod(this, report, Qt::QueuedConnection);
            else
                report();
        },
        false);
    m_flushTimer->start();
    if (m_settings.backgroundSampling) m_pollTimer->start();
}

void HistoryRecorder::setRecording(bool on) {
    m_settings.enabled = on;
    m_settings.save(QFileInfo(m_options.path).absolutePath());
    if (on) {
        start();
        return;
    }
    if (!m_recording) return;
    sendBatch(true);
    m_recording = false;
    m_flushTimer->stop();
    m_pollTimer->stop();
    runOnStore([](HistoryStore& s) { s.close(); }, false);
}

void HistoryRecorder::setBackgroundSampling(bool on) {
    m_settings.backgroundSampling = on;
    m_settings.save(QFileInfo(m_options.path).absolutePath());
    if (on && m_recording)
        m_pollTimer->start();
    else
        m_pollTimer->stop();
}

void HistoryRecorder::failed(const QString& text) {
    if (m_failed) return;
    m_failed = true;
    m_recording = false;
    m_flushTimer->stop();
    m_pollTimer->stop();
    m_events.clear();
    m_samples.clear();
    m_pending = {};
    runOnStore([](HistoryStore& s) { s.close(); }, false);
    Q_EMIT message(text);
}

void HistoryRecorder::note(HistoryEvent e) {
    if (!m_recording) return;
    if (e.ms == 0) e.ms = now();
    m_events.push_back(std::move(e));
}

void HistoryRecorder::endTransfer(HistoryEvent e) {
    m_transferDepth = std::max(0, m_transferDepth - 1);
    if (m_transferWrites > 0)
        e.text += QStringLiteral("; %1 values written").arg(std::exchange(m_transferWrites, 0));
    e.kind = HistoryKind::Transfer;
    note(std::move(e));
}

void HistoryRecorder::flush() {
    sendBatch(true);
}

// A second's row goes once the second has passed; flush() sends the open one too.
void HistoryRecorder::sendBatch(bool wait) {
    if (!m_recording) return;
    if (!m_pending.empty() && (wait || m_pending.sec < now() / 1000)) {
        m_samples.push_back(m_pending);
        m_pending = {};
    }
    const bool prune = now() - m_lastPruneMs >= kPruneEveryMs;
    if (m_events.empty() && m_samples.empty() && !prune && !wait) return;
    if (prune) m_lastPruneMs = now();
    const qint64 t = now();
    const HistorySettings s = m_settings;
    runOnStore(
        [this, ev = std::exchange(m_events, {}), sm = std::exchange(m_samples, {}), prune, t,
         s](HistoryStore& store) {
            if (!store.isOpen()) return;
            QString why;
            bool ok = store.write(ev, sm, &why);
            if (ok && prune) ok = store.prune(t, s.keepDays, s.capMb << 20, &why);
            if (ok) return;
            const QString text = QStringLiteral("History recording is off: %1 cannot be written "
                                                "(%2).")
                                     .arg(m_options.path, why);
            if (m_thread)
                QMetaObject::invokeMethod(
                    this, [this, text] { failed(text); }, Qt::QueuedConnection);
            else
                failed(text);
        },
        wait);
}

void HistoryRecorder::onValueRead(const QString& address, qint64 value) {
    m_lastRead.insert(address, value);
    if (!m_recording) return;
    if (address == kAlarmWord) return alarms(value);
    if (address == kFaultCode) return fault(value);
    for (const auto& [counter, series] : kCounters)
        if (address == counter) return sample(series, value);
}

void HistoryRecorder::alarms(qint64 word) {
    const qint64 before = m_alarmWord.value_or(0);
    m_alarmWord = word;
    for (int bit = 0; bit < 16; ++bit) {
        const qint64 mask = qint64(1) << bit;
        if ((before ^ word) & mask) {
            QString text = oneLine(alarmText(bit));
            if (text.isEmpty()) text = QStringLiteral("Alarm bit %1").arg(bit);
            note(historyEvent((word & mask) ? HistoryKind::AlarmRaised : HistoryKind::AlarmCleared,
                              QStringLiteral("W98.%1").arg(bit), text));
        }
    }
}

void HistoryRecorder::fault(qint64 code) {
    const qint64 before = m_faultCode.value_or(0);
    m_faultCode = code;
    if (code == before) return;
    if (code > 0)
        note(historyEvent(HistoryKind::Fault, kFaultCode,
                          oneLine(m_link.FaultDescription(int(code)))));
    else if (before > 0)
        note(historyEvent(HistoryKind::FaultCleared, kFaultCode,
                          oneLine(m_link.FaultDescription(int(before)))));
}

void HistoryRecorder::sample(int series, qint64 value) {
    const qint64 sec = now() / 1000;
    if (m_pending.sec != sec) {
        if (!m_pending.empty()) m_samples.push_back(m_pending);
        m_pending = {sec, {}};
    }
    m_pending.values[size_t(series)] = double(value);
    if (series == kSeriesGoodCans) rate(series, kSeriesGoodPerMin, value, sec);
    if (series == kSeriesBlowoffs) rate(series, kSeriesBlowoffsPerMin, value, sec);
}

// Cans per minute from a counter's rise since the last reference; a counter that went down
// (reset) or a gap in the readings starts a new reference without a rate.
void HistoryRecorder::rate(int counter, int rateSeries, qint64 value, qint64 sec) {
    std::optional<Reference>& ref = m_reference[size_t(counter)];
    if (!ref || value < ref->value || sec - ref->sec > kGapSec) {
        ref = Reference{sec, value};
        return;
    }
    const qint64 span = sec - ref->sec;
    if (span < kRateSpanSec) return;
    m_pending.values[size_t(rateSeries)] = double(value - ref->value) * 60.0 / double(span);
    ref = Reference{sec, value};
}

void HistoryRecorder::onOnlineModeChanged(bool online) {
    note(historyEvent(online ? HistoryKind::Online : HistoryKind::Offline));
    if (online) return;
    // Whatever the board holds now is unknown until it is read again.
    m_alarmWord.reset();
    m_faultCode.reset();
    m_reference = {};
}

void HistoryRecorder::onValueWritten(const QString& address, const QString& value,
                                     LinkFailure failure) {
    if (m_transferDepth > 0) {
        ++m_transferWrites;
        return;
    }
    const auto last = m_lastRead.constFind(address);
    const QString window = m_windowName ? m_windowName() : m_state.gActiveWindow;
    note({0, HistoryKind::Write, address, itemNameOf(address),
          last == m_lastRead.cend() ? QString() : QString::number(*last), value, window,
          failureText(failure)});
    if (address == kEndOfShiftBit && value.trimmed() == QStringLiteral("1") &&
        failure == LinkFailure::None)
        note({0,
              HistoryKind::EndOfShift,
              address,
              QStringLiteral("Transfer Data"),
              {},
              {},
              window,
              failureText(failure)});
}

QString HistoryRecorder::itemNameOf(const QString& address) {
    if (m_itemIndex.isEmpty())
        for (size_t i = 0; i < m_state.gDefaultData.Address.size(); ++i)
            m_itemIndex.insert(m_state.gDefaultData.Address[i], int(i));
    const auto i = m_itemIndex.constFind(address);
    return i == m_itemIndex.cend() ? QString() : itemName(*i);
}

// Five reads every 10 s, only while the link is free and another page is shown: the one
// traffic the history adds, and only when asked for. A lost link fails the first read at once,
// without a byte sent.
void HistoryRecorder::sampleInBackground() {
    if (!m_recording || !m_settings.backgroundSampling || !m_link.OnlineMode() || m_link.isBusy() ||
        m_state.gActiveWindow == kMainDisplay)
        return;
    if (m_mayRead && !m_mayRead()) return;
    for (const auto& [counter, series] : kCounters)
        if (!m_link.readValue(counter)) return;
}

void noteHistory(AppState& state, const QString& kind, const QString& subject, const QString& text,
                 const QString& outcome) {
    if (state.gHistory) state.gHistory->note(historyEvent(kind, subject, text, outcome));
}

} // namespace kalvex
