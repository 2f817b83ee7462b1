#include "cli/BoardCommands.h"

#include "data/board/BoardSettings.h"
#include "data/board/FaultCodes.h"
#include "data/board/ProgramIdent.h"

#include <CLI/CLI.hpp>
#include <QFileInfo>
#include <cstdio>

namespace kalvex::cli {

namespace {

void print(const QString& line) {
    std::fprintf(stdout, "%s\n", qPrintable(line));
    std::fflush(stdout);
}

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
    const CodeTexts faults = CodeTexts::load(home, CodeFile::Faults);
    const CodeTexts comm = CodeTexts::load(home, CodeFile::CommErrors);
    for (int order : {0, 1, 4, 5}) {
        print(faultCaption(order, codes[size_t(order)]));
        const QString text = (order < 2 ? faults : comm).describe(codes[size_t(order)]);
        if (!text.isEmpty()) print(QStringLiteral("    ") + text);
        if (order == 1) {
            print(QStringLiteral("CO-CPU Slot: %1").arg(slot));
            print(QStringLiteral("Corrective Action: ") +
                  correctiveAction(codes[kAdviceOrder].toInt(nullptr, 16)));
        }
    }
}

bool printBoardIdent(Reader& reader) {
    std::vector<int> name;
    qint64 v = 0, checksum = 0, revision = 0;
    for (int i = 0; i < kIdentNameLength; ++i) {
        if (!reader.read(QStringLiteral("B%1").arg(kIdentFirst + i), v)) return false;
        name.push_back(int(v));
    }
    if (!reader.read(QStringLiteral("B%1").arg(kIdentFirst + 8), checksum) ||
        !reader.read(QStringLiteral("B%1").arg(kIdentFirst + 9), revision) ||
        !reader.read(QStringLiteral("B8180"), v))
        return false;
    print(QStringLiteral("In Target Board: Name %1, Revision %2, Checksum %3")
              .arg(identName(name))
              .arg(revision)
              .arg(checksum));
    print(QStringLiteral("Network Address 1: %1").arg(v));
    return true;
}

void printDiskIdent(const QString& ovp) {
    const DiskIdent d = readDiskIdent(ovp);
    print(QStringLiteral("On Disk: Name %1, Revision %2, Checksum %3, Target Board %4, Rev Date %5")
              .arg(d.name)
              .arg(d.revision)
              .arg(d.checksum)
              .arg(d.boardName, d.revDate));
}

int runStatus(const CliOptions& options, const QString& ovp) {
    if (!ovp.isEmpty() && !QFileInfo(ovp).isFile()) {
        say(QStringLiteral("cannot open %1: no such file").arg(ovp));
        return kExitFile;
    }
    CliSession session(options);
    if (const int rc = session.open()) return rc;
    Reader reader(session.link());
    std::array<QString, kFaultRegisterCount> codes;
    qint64 slot = 0;
    if (!readCodes(reader, codes, slot)) return reader.code();
    printCodes(codes, slot, session.link().programFolder());
    if (!printBoardIdent(reader)) return reader.code();
    if (!ovp.isEmpty()) printDiskIdent(ovp);
    return kExitOk;
}

// Writes in order and stops at the first that fails, saying how far it got.
int writeAll(RSComm& link, const std::vector<BoardWrite>& writes) {
    for (size_t i = 0; i < writes.size(); ++i) {
        const LinkResult r = link.writeValue(writes[i].address, writes[i].value);
        if (!r) {
            say(QStringLiteral("write %1 failed: %2 (%3 of %4 values written)")
                    .arg(writes[i].address, failureText(r.failure))
                    .arg(i)
                    .arg(writes.size()));
            return exitCodeFor(r.failure);
        }
    }
    return kExitOk;
}

int runResetFaults(const CliOptions& options) {
    CliSession session(options);
    const MsgAnswer a = session.prompt().message(
        QStringLiteral("WARNING - Fault Code Reset!"),
        QStringLiteral("Target Board will be reinitialized.\r\n\r\nDo you wish to continue?"),
        MsgButtons::YesNoCancel, MsgIcon::Critical);
    if (a != MsgAnswer::Yes) return kExitRefused;
    if (const int rc = session.open()) return rc;
    const QString zero = QStringLiteral("0");
    if (const int rc = writeAll(session.link(), {{QStringLiteral("B8178"), zero},
                                                 {QStringLiteral("B8179"), zero},
                                                 {QStringLiteral("B8177"), zero},
                                                 {QStringLiteral("B8176"), zero}}))
        return rc;
    // What the board holds now: a fault that persists comes straight back.
    Reader reader(session.link());
    std::array<QString, kFaultRegisterCount> codes;
    qint64 slot = 0;
    if (!readCodes(reader, codes, slot)) return reader.code();
    print(QStringLiteral("Faults reset; the board now shows:"));
    printCodes(codes, slot, session.link().programFolder());
    return kExitOk;
}

int runSetClock(const CliOptions& options, const std::string& when) {
    QDateTime now = QDateTime::currentDateTime(); // one instant for every value written
    if (!when.empty()) {
        const std::optional<QDateTime> given = parseInstant(qs(when));
        if (!given) {
            say(QStringLiteral("--now must be an ISO 8601 date and time such as "
                               "2005-01-05T10:20:30, not \"%1\".")
                    .arg(qs(when)));
            return kExitRefused;
        }
        now = *given;
    }
    CliSession session(options);
    if (const int rc = session.open()) return rc;
    std::vector<BoardWrite> writes = clockTimeWrites(now);
    for (BoardWrite& w : clockDateWrites(now))
        writes.push_back(std::move(w));
    if (const int rc = writeAll(session.link(), writes)) return rc;
    print(QStringLiteral("Board clock set to %1, %2").arg(pcTimeText(now), pcDateText(now)));
    return kExitOk;
}

int runSetAddress(const CliOptions& options, const std::string& value, int row) {
    const BoardSetting& s = boardSettings()[size_t(row - 1)];
    bool ok = false;
    const int n = qs(value).toInt(&ok);
    if (!ok || n < s.min || n > s.max) {
        say(rangeMessage(s.min, s.max));
        return kExitRefused;
    }
    CliSession session(options);
    if (const int rc = session.open()) return rc;
    if (const int rc = writeAll(session.link(), {{QLatin1String(s.address), QString::number(n)}}))
        return rc;
    print(QStringLiteral("Network Address %1: %2").arg(row).arg(n));
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
    CLI::App* clock = addCommand(*board, "set-clock",
                                 "Set the board clock (K2170, Q7610) to the PC clock, read once, "
                                 "or to --now.",
                                 "kalvex-cli --device /dev/ttyUSB0 board set-clock");
    clock->add_option("--now", *when, "The instant to set, ISO 8601 (2005-01-05T10:20:30)")
        ->type_name("WHEN");
    onCommand(*clock, o, [&o, when] { return runSetClock(o, *when); });

    auto address = std::make_shared<std::string>();
    auto row = std::make_shared<int>(1);
    CLI::App* set = addCommand(*board, "set-address", "Set network address 1 (or 2) to N, 1-32.",
                               "kalvex-cli --device /dev/ttyUSB0 board set-address 5");
    set->add_option("N", *address, "The network address, 1 to 32")->required();
    set->add_option("--row", *row, "Network address 1 or 2 (Q7610)")->check(CLI::IsMember({1, 2}));
    onCommand(*set, o, [&o, address, row] { return runSetAddress(o, *address, *row); });
}

} // namespace kalvex::cli
