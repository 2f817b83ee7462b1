#pragma once
#include "data/program/ProgramRun.h"
#include "link/LinkResult.h"
#include "link/Prompt.h"

#include <QByteArray>
#include <QString>

namespace kalvex {

class ProgramFileSet;
class ProgramTransfer;

// UploadProgram: reads the board's ident, configuration (configuration boards) and program
// image, one 16-byte block per step, into the rev, lcf and hex files named by UploadFile.
// The files are written only once everything was read, each atomically; a failed read never
// becomes a byte of a file. Runs only when the caller has set InUploadMode.
class ProgramUpload final : public ProgramRun {
  public:
    enum class Outcome {
        Running,
        Complete,
        NotRequested,
        Offline,
        CommFailure,
        FileError,
        Interrupted // stopped on request: no file written
    };

    ProgramUpload(ProgramTransfer& transfer, ProgramFileSet& files, Prompt& prompt);

    Outcome outcome() const { return m_outcome; }
    // Why the files could not be written, for FileError.
    QString fileError() const { return m_fileError; }

  protected:
    void runStep() override;

  private:
    void begin();
    LinkFailure readIdent();
    bool readConfig();
    void readBlock();
    void writeFiles();
    void fail();
    void end(Outcome outcome);

    ProgramTransfer& m_transfer;
    ProgramFileSet& m_files;
    Prompt& m_prompt;
    QString m_rev;
    QString m_lcf;
    QByteArray m_image;
    int m_first = 0;
    int m_length = 0;
    bool m_begun = false;
    QString m_fileError;
    Outcome m_outcome = Outcome::Running;
};

} // namespace kalvex
