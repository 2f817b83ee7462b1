#pragma once
#include "link/Clock.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace kalvex {

class RSComm;

// The board side of a program download or upload: the status that the progress window shows,
// and the exchanges of the board's program mode, on the link's byte protocol.
class ProgramTransfer {
  public:
    // Ident block: eight ident characters, the checksum and the revision.
    static constexpr int kIdentAddress = 61424;
    static constexpr int kIdentBytes = 10;

    ProgramTransfer(RSComm& link, Clock& clock) : m_link(link), m_clock(clock) {}

    RSComm& link() { return m_link; }
    Clock& clock() { return m_clock; }

    // Status.
    bool InProgramMode() const { return m_inProgramMode; }
    bool InUploadMode() const { return m_inUploadMode; }
    bool WritingIdent() const { return m_writingIdent; }
    bool ReadingIdent() const { return m_readingIdent; }
    // The address being transferred as hexadecimal digits and "H"; a blank before the first.
    QString CurrentProgramAdd() const { return m_currentProgramAdd; }

    void setInProgramMode(bool on) { m_inProgramMode = on; }
    void setInUploadMode(bool on) { m_inUploadMode = on; }
    void setWritingIdent(bool on) { m_writingIdent = on; }
    void setReadingIdent(bool on) { m_readingIdent = on; }
    void setCurrentProgramAdd(const QString& add) { m_currentProgramAdd = add; }

    // A raw read of one board byte; a read spoilt by a wrong echo is tried once more.
    // Empty when the byte could not be read, whether or not CommError was set.
    std::optional<int> readByte(int address);

    // 0xFF and mode byte 3, neither reply tested: the board then takes records.
    void enterProgramMode();

    enum class RecordReply { Ok, NoChecksum, WrongChecksum, NotSent };
    // Streams one record (count, address high and low, data) without waiting, then waits up
    // to 1.0 s for the board's checksum byte.
    RecordReply sendRecord(int address, QByteArrayView data);

    // 0xFF at a record start; true when the board answers 0x55.
    bool exitProgramMode();

  private:
    RSComm& m_link;
    Clock& m_clock;
    bool m_inProgramMode = false;
    bool m_inUploadMode = false;
    bool m_writingIdent = false;
    bool m_readingIdent = false;
    QString m_currentProgramAdd = QStringLiteral(" ");
};

} // namespace kalvex
