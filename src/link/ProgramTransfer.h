#pragma once
#include "link/Clock.h"
#include "link/LinkResult.h"

#include <QByteArrayView>
#include <QObject>
#include <QString>

#include <optional>

namespace kalvex {

class RSComm;

// Where a program transfer stands. A download sends records, then writes the ident; an upload
// is requested by its caller, reads the ident, then the program.
enum class ProgramState {
    Idle,
    Downloading,     // in program mode, sending records
    WritingIdent,    // the download writes the ident block
    UploadRequested, // an upload is asked for or reading the program
    ReadingIdent,    // the upload reads the ident block
};

// The board side of a program download or upload: the status that the progress window shows,
// and the exchanges of the board's program mode, on the link's byte protocol.
class ProgramTransfer final : public QObject {
    Q_OBJECT
  public:
    // Ident block: eight ident characters, the checksum and the revision.
    static constexpr int kIdentAddress = 61424;
    static constexpr int kIdentBytes = 10;

    ProgramTransfer(RSComm& link, Clock& clock) : m_link(link), m_clock(clock) {}

    RSComm& link() { return m_link; }
    Clock& clock() { return m_clock; }

    ProgramState state() const { return m_state; }
    void setState(ProgramState state);
    // The status as the system's documents name it.
    bool InProgramMode() const {
        return m_state == ProgramState::Downloading || m_state == ProgramState::WritingIdent;
    }
    bool InUploadMode() const {
        return m_state == ProgramState::UploadRequested || m_state == ProgramState::ReadingIdent;
    }
    bool WritingIdent() const { return m_state == ProgramState::WritingIdent; }
    bool ReadingIdent() const { return m_state == ProgramState::ReadingIdent; }
    // The address being transferred as hexadecimal digits and "H"; a blank before the first.
    QString CurrentProgramAdd() const { return m_currentProgramAdd; }
    void setCurrentProgramAdd(const QString& add) { m_currentProgramAdd = add; }

    // A raw read of one board byte; a read spoilt by a wrong echo is tried once more.
    // Empty when the byte could not be read, whether or not CommError was set.
    LinkResult readByte(int address);

    // 0xFF and mode byte 3, neither reply tested: the board then takes records.
    // False when the board stopped answering on the way in.
    bool enterProgramMode();

    enum class RecordReply { Ok, NoChecksum, WrongChecksum, NotSent };
    // Streams one record (count, address high and low, data) without waiting, then waits up
    // to 1.0 s for the board's checksum byte.
    RecordReply sendRecord(int address, QByteArrayView data);

    // 0xFF at a record start; true when the board answers 0x55.
    bool exitProgramMode();

  Q_SIGNALS:
    void stateChanged(kalvex::ProgramState state);

  private:
    RSComm& m_link;
    Clock& m_clock;
    ProgramState m_state = ProgramState::Idle;
    QString m_currentProgramAdd = QStringLiteral(" ");
};

} // namespace kalvex
