#pragma once
#include "data/program/HexImage.h"
#include "data/program/ProgramRun.h"
#include "link/LinkResult.h"
#include "link/Prompt.h"

#include <QString>

namespace kalvex {

class ProgramFileSet;
class ProgramTransfer;

// Reads and checks a program's whole .hex file; a file that is missing, empty, unreadable or
// not valid gets its box. Nothing is sent.
HexFile loadProgramHex(const QString& hexPath, Prompt& prompt);

// DumpProgram: loads the chosen program's .hex image into the board, with its configuration
// and ident. The whole .hex is read and checked before anything is sent; the board's ident is
// read and the operator confirms; then one record per step. Reports through boxes, the link's
// OnlineMode and the transfer's status, as the menus expect; `outcome` says how it ended.
class ProgramDownload final : public ProgramRun {
  public:
    enum class Outcome {
        Running,
        Complete,
        Offline,       // the link was offline
        Invalid,       // the program or its .hex content is not valid
        FileError,     // the .hex is missing, empty or unreadable
        Declined,      // the operator did not answer Yes
        CommFailure,   // the board stopped answering
        ChecksumError, // a record's checksum did not come back right
        NoExitAck,     // the board did not leave program mode
        Interrupted    // stopped on request; the box says what the board holds
    };

    ProgramDownload(ProgramTransfer& transfer, ProgramFileSet& files, Prompt& prompt);

    Outcome outcome() const { return m_outcome; }
    int recordsSent() const { return int(m_next); }
    int recordCount() const { return int(m_hex.records.size()); }
    // An interrupted download that could not take the board out of program mode.
    bool boardLeftInProgramMode() const { return m_leftInProgramMode; }

  protected:
    void runStep() override;

  private:
    enum class Phase { Begin, Prepare, Configure, Records, Exit, Ident };

    void begin();
    bool loadHex();
    bool readBoardIdent(QString& ident, QString& checksum, QString& revision);
    bool confirm(const QString& ident, const QString& checksum, const QString& revision);
    void prepare();
    void configure();
    void sendRecord();
    void exitProgramMode();
    bool sendIdent();
    void writeIdent();
    void interrupt();
    void box(const QString& title, const QString& text, MsgIcon icon);
    // Notes a board that stopped answering; true when the request succeeded.
    bool noteFailure(const LinkResult& r);
    void end(Outcome outcome);

    ProgramTransfer& m_transfer;
    ProgramFileSet& m_files;
    Prompt& m_prompt;
    HexFile m_hex;
    size_t m_next = 0;
    Phase m_phase = Phase::Begin;
    Outcome m_outcome = Outcome::Running;
    bool m_lost = false; // the board stopped answering: nothing more goes out but the exit
    bool m_leftInProgramMode = false;
};

} // namespace kalvex
