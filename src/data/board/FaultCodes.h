#pragma once
#include "data/StrayReadBack.h"
#include "data/pages/BlowoffCommands.h"
#include "link/CsvLine.h"
#include "link/LinkResult.h"

#include <QString>

#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace kalvex {

// The board's fault and network error registers, in the order the Target Board Interface reads
// them: current fault, last fault, CO-CPU slot, last fault again (the source of the corrective
// action), current comm error, last comm error.
struct FaultRegister {
    const char* address;
    const char* caption; // caption before the code; empty: a row without a caption of its own
};
constexpr int kFaultRegisterCount = 6;
constexpr int kCoCpuOrder = 2;
constexpr int kAdviceOrder = 3;
const std::array<FaultRegister, kFaultRegisterCount>& faultRegisters();
// The registers whose codes have texts: the faults, then the comm errors.
constexpr std::array<int, 4> kCodeOrders{{0, 1, 4, 5}};

// "Current Fault: not read: wrong echo"; empty for the orders without a code caption.
QString notReadCaption(int order, LinkFailure failure);
// The corrective action when the last fault could not be read: the cable advice.
QString notReadAdvice();

// Reset Faults: the four registers cleared, comm errors first: last comm error, current comm
// error, last fault, current fault.
constexpr std::array<int, 4> kResetOrders{{5, 4, 1, 0}};
std::vector<BoardWrite> faultResetBoardWrites();
// What is said when a reset write failed: which, why, and how many went out.
QString resetFailedText(const CheckedWrites& writes);

// A register value as two upper-case hexadecimal digits ("0A"); longer when it needs more.
QString faultCodeText(qint64 value);
// "Current Fault: Code = 0AH" and the like; empty for the orders without a code caption.
QString faultCaption(int order, const QString& code);
// The "Corrective Action:" text for the code of the last fault.
QString correctiveAction(int code);

// Which text file describes a register's codes.
enum class CodeFile { Faults, CommErrors };
inline CodeFile codeFileOf(int order) {
    return order < 2 ? CodeFile::Faults : CodeFile::CommErrors;
}
QString codeFileName(CodeFile file);
// What the window shows for a code the installed file has no text for, and for a missing file.
QString noTextPlaceholder(CodeFile file, const QString& code);
QString noFilePlaceholder(CodeFile file, const QString& code);

// One code text file, read whole. The window takes the last record of a code, as its lookup
// always did (the link's fault text takes the first).
class CodeTexts {
  public:
    enum class Status { Loaded, Missing, Unreadable };

    // The file `name` in the support folder under the program folder.
    static CodeTexts load(const QString& programFolder, CodeFile file);
    static CodeTexts fromBytes(CodeFile file, QByteArray bytes);

    Status status() const { return m_status; }
    QString error() const { return m_error; }
    // The description of a code as shown: the file's text, or a placeholder that says why
    // there is none. Code "00" without a record shows nothing.
    QString describe(const QString& code) const;

  private:
    CodeFile m_file = CodeFile::Faults;
    Status m_status = Status::Missing;
    QByteArray m_bytes;
    QString m_error;
};

} // namespace kalvex
