#pragma once
#include <QByteArray>
#include <QString>

#include <optional>

namespace kalvex {

// A download that changes the board keeps a small file saying how far it got, so that a start
// after the program was ended (a signal, a logout, a kill, a power cut) can say what the board
// holds before anything is sent to it.
struct TransferMarker {
    enum class Kind { Data, Program };
    enum class State {
        Running, // written along the way: the program ended without stopping the download
        Stopped  // stopped at a safe point: between two items, out of program mode
    };
    Kind kind = Kind::Data;
    State state = State::Running;
    QString what; // "All Data", "program KVX91D07 (LINE1.ovp)"
    QString port;
    int done = 0; // items or records done (a running marker: at least this many)
    int total = 0;

    // A program download ended inside program mode: any byte sent is stored as program data.
    bool boardMayBeInProgramMode() const {
        return kind == Kind::Program && state == State::Running;
    }
    bool operator==(const TransferMarker&) const = default;
};

// The marker file in the per-user folder (or the --home folder).
QString transferMarkerPath(const QString& folder);

QByteArray formatTransferMarker(const TransferMarker& marker);
// Nothing, with why, when the text is not a whole marker.
std::optional<TransferMarker> parseTransferMarker(const QByteArray& text, QString* why);

struct MarkerFound {
    enum class Status { None, Found, Unreadable };
    Status status = Status::None;
    TransferMarker marker;
    QString why; // Unreadable: the reason
};
MarkerFound readTransferMarker(const QString& path);
// Atomically, creating the folder; empty on success, else why (naming the path).
QString writeTransferMarker(const QString& path, const TransferMarker& marker);
// Empty when removed or already absent, else why.
QString removeTransferMarker(const QString& path);

// What the board may hold, for the box shown at start before anything is sent.
QString interruptedTransferText(const MarkerFound& found, const QString& path);

// Keeps one download's marker up to date, writing only at coarse steps (every `every` items
// or records) so the wire never waits for the disk.
class TransferMarkerFile {
  public:
    TransferMarkerFile(QString path, TransferMarker marker, int every);
    // Writes the marker before the first item or record goes out.
    void start();
    void progress(int done);
    // Ended by the program's quit after `done`: written so the next start says so. Stopped: at
    // a safe point; Running: the item or record in flight may be torn.
    void stopped(int done, TransferMarker::State state = TransferMarker::State::Stopped);
    // Ended with the board in a known state: removed.
    void finished();
    bool started() const { return m_started; }
    // Why the last write or removal failed; empty when it worked.
    const QString& error() const { return m_error; }

  private:
    void write();

    QString m_path;
    TransferMarker m_marker;
    int m_every;
    int m_written = 0;
    bool m_started = false;
    QString m_error;
};

} // namespace kalvex
