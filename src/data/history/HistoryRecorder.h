#pragma once
#include "data/history/HistorySettings.h"
#include "data/history/HistoryStore.h"
#include "data/history/HistoryTypes.h"
#include "link/LinkResult.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QThread;
class QTimer;

namespace kalvex {

class AppState;
class RSComm;

// Event kinds, as stored and as the History window filters them.
namespace HistoryKind {
inline const QString AlarmRaised = QStringLiteral("alarm raised");
inline const QString AlarmCleared = QStringLiteral("alarm cleared");
inline const QString Fault = QStringLiteral("fault");
inline const QString FaultCleared = QStringLiteral("fault cleared");
inline const QString Online = QStringLiteral("online");
inline const QString Offline = QStringLiteral("offline");
inline const QString LinkLost = QStringLiteral("link lost");
inline const QString Write = QStringLiteral("write");
inline const QString Transfer = QStringLiteral("transfer");
inline const QString ProgramDownload = QStringLiteral("program download");
inline const QString EndOfShift = QStringLiteral("end of shift");
inline const QString FileOpened = QStringLiteral("file opened");
inline const QString FileSaved = QStringLiteral("file saved");
QStringList all();
} // namespace HistoryKind

// The per-user history file: under --home DIR when given, else in the user's data folder.
QString historyPath(const QString& homeOption);

// Keeps what the program reads anyway: the Main Display counters once a second, the alarm
// word's bits and the fault code as they change, the link's state, every value written with
// the value last read there, transfers, downloads and set-up files. It reads nothing of its
// own unless background sampling is on. Rows collect in memory and go to the database once a
// second in one transaction, on a thread of their own; a disk that fails turns recording off
// with one message.
class HistoryRecorder final : public QObject {
    Q_OBJECT
  public:
    struct Options {
        QString path;
        bool threaded = true;               // false: the database is written in the caller
        std::function<qint64()> nowMs = {}; // empty: the PC clock
        int flushMs = 1000;
    };

    HistoryRecorder(RSComm& link, AppState& state, Options options, QObject* parent = nullptr);
    ~HistoryRecorder() override;

    // Opens the database and starts recording (when the settings have it on).
    void start();
    bool recording() const { return m_recording; }
    void setRecording(bool on);
    void setBackgroundSampling(bool on);
    const HistorySettings& settings() const { return m_settings; }
    QString path() const { return m_options.path; }
    // Where a write came from: by default the page the shell shows.
    void setWindowName(std::function<QString()> name) { m_windowName = std::move(name); }
    // Whether background sampling may read now (no modal window in the way).
    void setMayRead(std::function<bool()> may) { m_mayRead = std::move(may); }

    // Hooks of the shell and the transfers.
    void note(HistoryEvent e);
    // Writes between these are a transfer's items, counted in its event instead of listed.
    void beginTransfer() { ++m_transferDepth; }
    void endTransfer(HistoryEvent e);

    // Sends what is pending to the database and waits until it is written.
    void flush();
    // The 10 s read of the counters while another page is shown (when the option is on).
    void sampleInBackground();

  Q_SIGNALS:
    // One status-bar message: recording stopped, or a damaged file set aside.
    void message(const QString& text);

  private:
    void onValueRead(const QString& address, qint64 value);
    void onValueWritten(const QString& address, const QString& value, LinkFailure failure);
    void onOnlineModeChanged(bool online);
    void alarms(qint64 word);
    void fault(qint64 code);
    void sample(int series, qint64 value);
    void rate(int counter, int rateSeries, qint64 value, qint64 sec);
    void sendBatch(bool wait);
    void runOnStore(std::function<void(HistoryStore&)> work, bool wait);
    void failed(const QString& text);
    QString itemNameOf(const QString& address);
    qint64 now() const;

    RSComm& m_link;
    AppState& m_state;
    Options m_options;
    HistorySettings m_settings;
    HistoryStore m_store; // used on the writer thread only
    std::unique_ptr<QThread> m_thread;
    QObject* m_worker = nullptr; // lives on m_thread
    QTimer* m_flushTimer = nullptr;
    QTimer* m_pollTimer = nullptr;
    std::function<QString()> m_windowName;
    std::function<bool()> m_mayRead;
    bool m_recording = false;
    bool m_failed = false;
    qint64 m_lastPruneMs = 0;
    int m_transferDepth = 0;
    int m_transferWrites = 0;

    QHash<QString, qint64> m_lastRead;
    QHash<QString, int> m_itemIndex;
    std::optional<qint64> m_alarmWord;
    std::optional<qint64> m_faultCode;
    struct Reference {
        qint64 sec = 0;
        qint64 value = 0;
    };
    std::array<std::optional<Reference>, kSeriesCount> m_reference{};
    HistorySample m_pending;
    std::vector<HistorySample> m_samples;
    std::vector<HistoryEvent> m_events;
};

// Hooks for code that holds only the program state: nothing happens when no recorder runs.
void noteHistory(AppState& state, const QString& kind, const QString& subject,
                 const QString& text = {}, const QString& outcome = {});

} // namespace kalvex
