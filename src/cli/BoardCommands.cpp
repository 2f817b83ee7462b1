#include "cli/BoardCommands.h"

#include "cli/JsonOut.h"
#include "data/StrayReadBack.h"
#include "data/board/BoardSettings.h"
#include "data/board/FaultCodes.h"
#include "data/board/ProgramIdent.h"
#include "link/RSComm.h"

#include <CLI/CLI.hpp>
#include <QFileInfo>
#include <cstdio>

namespace kalvex::cli {

namespace {

// Reads in order; the first failure names its address and gives the exit code.
class Reader {
  public:
    explicit Reader(RSComm& link) : m_link(link) {}
    bool read(const QString& address, qint64& value) {
        const LinkResult r = m_link.readValue(address);
        if (!r) {
            say(QStringLiteral("read %1 failed: %2").arg(address, failureText(r.failure)));
            m_code = exitCodeFor(r.failure);
            return false;
        }
        value = r.value;
        return true;
    }
    int code() const { return m_code; }

  private:
    RSComm& m_link;
    int m_code = kExitOk;
};

// Every register is read before anything is printed: a failed read never shows as a code.
bool readCodes(Reader& reader, std::array<QString, kFaultRegisterCount>& codes, qint64& slot) {
    for (int order = 0; order < kFaultRegisterCount; ++order) {
        qint64 v = 0;
        if (!reader.read(QLatin1String(faultRegisters()[size_t(order)].address), v)) return false;
        codes[size_t(order)] = faultCodeText(v);
        if (order == kCoCpuOrder) slot = v;
    }
    return true;
}

void printCodes(const std::array<QString, kFaultRegisterCount>& codes, qint64 slot,
                const QString& home) {
    const CodeTexts texts[] = {CodeTexts::load(home, CodeFile::Faults),
                               CodeTexts::load(home, CodeFile::CommErrors)};
    for (int order : kCodeOrders) {
        printLine(faultCaption(order, codes[size_t(order)]));
        const QString text = texts[int(codeFileOf(order))].describe(codes[size_t(order)]);
        if (!text.isEmpty()) printLine(QStringLiteral("    ") + text);
        if (order == 1) {
            printLine(QStringLiteral("CO-CPU Slot: %1").arg(slot));
            printLine(QStringLiteral("Corrective Action: ") +
                      correctiveAction(codes[kAdviceOrder].toInt(nullptr, 16)));
        }
    }
}

struct BoardIdent {
    QString name;
    qint64 revision = 0, checksum = 0, address1 = 0;
};

bool readBoardIdent(Reader& reader, BoardIdent& ident) {
    std::vector<int> name;
    qint64 v = 0;
    for (int i = 0; i < kIdentNameLength; ++i) {
        if (!reader.read(identAddress(i), v)) return false;
        name.push_back(int(v));
    }
    if (!reader.read(identAddress(kIdentNameLength), ident.checksum) ||
        !reader.read(identAddress(kIdentNameLength + 1), ident.revision) ||
        !reader.read(QLatin1String(boardSettings()[0].address), ident.address1))
        return false;
    ident.name = identName(name);
    return true;
}

void printBoardIdent(const BoardIdent& ident) {
    printLine(QStringLiteral("In Target Board: Name %1, Revision %2, Checksum %3")
                  .arg(ident.name)
                  .arg(ident.revision)
                  .arg(ident.checksum));
    printLine(QStringLiteral("Network Address 1: %1").arg(ident.address1));
}

// The same facts as the lines, for scripts: codes as the board's hexadecimal text.
void printStatusJson(const std::array<QString, kFaultRegisterCount>& codes, qint64 slot,
                     const BoardIdent& ident, const QString& ovp) {
    QJsonObject faults;
    for (int order : kCodeOrders)
        faults[faultCaption(order, QString()).section(u':', 0, 0)] = codes[size_t(order)];
    QJsonObject doc{{QStringLiteral("faults"), faults},
                    {QStringLiteral("coCpuSlot"), slot},
                    {QStringLiteral("board"),
                     QJsonObject{{QStringLiteral("name"), ident.name},
                                 {QStringLiteral("revision"), ident.revision},
                                 {QStringLiteral("checksum"), ident.checksum},
                                 {QStringLiteral("networkAddress1"), ident.address1}}}};
    if (!ovp.isEmpty()) {
        const DiskIdent d = readDiskIdent(ovp);
        doc[QStringLiteral("disk")] = QJsonObject{{QStringLiteral("name"), d.name},
                                                  {QStringLiteral("revision"), d.revision},
                                                  {QStringLiteral("checksum"), d.checksum},
                                                  {QStringLiteral("targetBoard"), d.boardName},
                                                  {QStringLiteral("revDate"), d.revDate}};
    }
    printJson(doc);
}

void printDiskIdent(const QString& ovp) {
    const DiskIdent d = readDiskIdent(ovp);
    printLine(
        QStringLiteral("On Disk: Name %1, Revision %2, Checksum %3, Target Board %4, Rev Date %5")
            .arg(d.name)
            .arg(d.revision)
            .arg(d.checksum)
            .arg(d.boardName, d.revDate));
}

// The program file must be readable whole: an ident made of defaults is never shown.
bool ovpReadable(const QString& ovp) {
    const QString why = diskIdentProblem(ovp);
    if (!why.isEmpty()) say(QStringLiteral("cannot read the program file: ") + why);
    return why.isEmpty();
}

int runStatus(const CliOptions& options, const QString& ovp) {
    if (!ovp.isEmpty() && !ovpReadable(ovp)) return kExitFile;
    CliSession session(options);
    if (const int rc = session.open()) return rc;
    Reader reader(session.link());
    std::array<QString, kFaultRegisterCount> codes;
    qint64 slot = 0;
    BoardIdent ident;
    if (!readCodes(reader, codes, slot) || !readBoardIdent(reader, ident)) return reader.code();
    if (wantsJson(options)) {
        printStatusJson(codes, slot, ident, ovp);
        return kExitOk;
    }
    printCodes(codes, slot, session.link().programFolder());
    printBoardIdent(ident);
    if (!ovp.isEmpty()) printDiskIdent(ovp);
    return kExitOk;
}

// Writes in order and stops at the first that fails, saying how far it got; then reads back
// every byte a resynchronisation may have changed and says what it found.
int writeAll(RSComm& link, const std::vector<BoardWrite>& writes) {
    const CheckedWrites w = writeChecked(link, writes);
    if (!w.result)
        say(QStringLiteral("write %1 failed: %2 (%3 of %4 values written)")
                .arg(writes[w.written].address, failureText(w.result.failure))
                .arg(w.written)
                .arg(writes.size()));
    if (w.strays.doubtful()) say(w.strays.text().replace(QStringLiteral("\r\n"), "\n"));
    if (!w.result) return exitCodeFor(w.result.failure);
    return w.strays.doubtful() ? kExitComm : kExitOk;
}

int runResetFaults(const CliOptions& options) {
    CliSession session(options);
    const MsgAnswer a = session.prompt().message(
        QStringLiteral("WARNING - Fault Code Reset!"),
        QStringLiteral("Target Board will be reinitialized.\r\n\r\nDo you wish to continue?"),
        MsgButtons::YesNoCancel, MsgIcon::Critical);
    if (a != MsgAnswer::Yes) return kExitRefused;
    if (const int rc = session.open()) return rc;
    if (const int rc = writeAll(session.link(), faultResetBoardWrites())) return rc;
    // What the board holds now: a fault that persists comes straight back.
    Reader reader(session.link());
    std::array<QString, kFaultRegisterCount> codes;
    qint64 slot = 0;
    if (!readCodes(reader, codes, slot)) return reader.code();
    printLine(QStringLiteral("Faults reset; the board now shows:"));
    printCodes(codes, slot, session.link().programFolder());
    return kExitOk;
}

// Only for a board type that has the setting, as the window offers it: the program file says
// which board it is for.
int checkVariant(const QString& ovp, bool BoardVariant::*has, const char* what) {
    if (ovp.isEmpty()) {
        say(QStringLiteral("--ovp FILE is required: the program file says whether the board "
                           "has %1.")
                .arg(QLatin1String(what)));
        return kExitRefused;
    }
    if (!ovpReadable(ovp)) return kExitFile;
    const int type = ReadBoardTypeCode(ovp);
    if (!(boardVariant(type).*has)) {
        say(QStringLiteral("refused: the %1 board of %2 has no %3.")
                .arg(RSComm::TargetboardName(type), ovp, QLatin1String(what)));
        return kExitRefused;
    }
    return kExitOk;
}

int runSetClock(const CliOptions& options, const std::string& when, const QString& ovp) {
    std::optional<QDateTime> given;
    if (!when.empty() && !(given = parseInstant(qs(when)))) {
        say(QStringLiteral("--now must be an ISO 8601 date and time such as "
                           "2005-01-05T10:20:30, not \"%1\".")
                .arg(qs(when)));
        return kExitRefused;
    }
    if (const int rc = checkVariant(ovp, &BoardVariant::clock, "clock")) return rc;
    CliSession session(options);
    if (const int rc = session.open()) return rc;
    // One instant for every value written, taken as they go out.
    const QDateTime now = given.value_or(QDateTime::currentDateTime());
    std::vector<BoardWrite> writes = clockTimeWrites(now);
    for (BoardWrite& w : clockDateWrites(now))
        writes.push_back(std::move(w));
    if (const int rc = writeAll(session.link(), writes)) return rc;
    printLine(QStringLiteral("Board clock set to %1, %2").arg(pcTimeText(now), pcDateText(now)));
    return kExitOk;
}

int runSetAddress(const CliOptions& options, const std::string& value, int row,
                  const QString& ovp) {
    const BoardSetting& s = boardSettings()[size_t(row - 1)];
    bool ok = false;
    const int n = qs(value).toInt(&ok);
    if (!ok || n < s.min || n > s.max) {
        say(rangeMessage(s.min, s.max));
        return kExitRefused;
    }
    if (row == 2)
        if (const int rc = checkVariant(ovp, &BoardVariant::secondAddress, "network address 2"))
            return rc;
    CliSession session(options);
    if (const int rc = session.open()) return rc;
    if (const int rc = writeAll(session.link(), {{QLatin1String(s.address), QString::number(n)}}))
        return rc;
    printLine(QStringLiteral("Network Address %1: %2").arg(row).arg(n));
    return kExitOk;
}

} // namespace

void addBoardCommands(CLI::App& app, CliOptions& o) {
    CLI::App* board = addCommand(app, "board",
                                 "Service the target board: fault codes, program ident, network "
                                 "address and clock.",
                                 "kalvex-cli --device /dev/ttyUSB0 board status --ovp LINE1.ovp");
    board->require_subcommand(1);

    auto ovp = std::make_shared<std::string>();
    CLI::App* status = addCommand(*board, "status",
                                  "Print the fault and comm error codes with their texts and the "
                                  "corrective action, and the program in the board (with --ovp, "
                                  "also the program file on disk).",
                                  "kalvex-cli --device /dev/ttyUSB0 board status --ovp LINE1.ovp");
    status->add_option("--ovp", *ovp, "The program file (.ovp) to compare with")->type_name("FILE");
    onCommand(*status, o, [&o, ovp] { return runStatus(o, qs(*ovp)); });

    CLI::App* reset = addCommand(*board, "reset-faults",
                                 "Clear the four fault and comm error registers (asks: --yes) and "
                                 "print the codes the board then shows.",
                                 "kalvex-cli --device /dev/ttyUSB0 board reset-faults --yes");
    onCommand(*reset, o, [&o] { return runResetFaults(o); });

    auto when = std::make_shared<std::string>();
    CLI::App* clock =
        addCommand(*board, "set-clock",
                   "Set the board clock (K2170, Q7610) to the PC clock, read once, "
                   "or to --now.",
                   "kalvex-cli --device /dev/ttyUSB0 board set-clock --ovp LINE1.ovp");
    clock->add_option("--now", *when, "The instant to set, ISO 8601 (2005-01-05T10:20:30)")
        ->type_name("WHEN");
    auto clockOvp = std::make_shared<std::string>();
    clock
        ->add_option("--ovp", *clockOvp,
                     "The board's program file (.ovp), required: only a "
                     "K2170 or Q7610 board has a clock")
        ->type_name("FILE");
    onCommand(*clock, o, [&o, when, clockOvp] { return runSetClock(o, *when, qs(*clockOvp)); });

    auto address = std::make_shared<std::string>();
    auto row = std::make_shared<int>(1);
    CLI::App* set = addCommand(*board, "set-address", "Set network address 1 (or 2) to N, 1-32.",
                               "kalvex-cli --device /dev/ttyUSB0 board set-address 5");
    set->add_option("N", *address, "The network address, 1 to 32")->required();
    set->add_option("--row", *row, "Network address 1 or 2 (Q7610)")->check(CLI::IsMember({1, 2}));
    auto setOvp = std::make_shared<std::string>();
    set->add_option("--ovp", *setOvp,
                    "The board's program file (.ovp), required with --row 2: "
                    "only a Q7610 board has a second address")
        ->type_name("FILE");
    onCommand(*set, o,
              [&o, address, row, setOvp] { return runSetAddress(o, *address, *row, qs(*setOvp)); });
}

} // namespace kalvex::cli
