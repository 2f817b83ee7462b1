#include "CliChecks.h"
#include "support/CliBoard.h"
#include "support/Traffic.h"

#include <sys/stat.h>

using namespace kalvex;

namespace {

using test::CliRun;
using test::expectFailure;

// kalvex-cli board on a board simulated in this process.
class BoardCli : public test::CliBoard {
  protected:
    CliRun board(const QStringList& args) {
        return cli(QStringList{QStringLiteral("board")} + args);
    }
    std::vector<std::pair<int, int>> writes() {
        std::vector<std::pair<int, int>> out;
        server.withBoard([&](sim::Board& b) { out = test::memoryWrites(b); });
        return out;
    }
};

TEST_F(BoardCli, StatusPrintsCodesTextsAdviceAndBothIdents) {
    setBoard("B8176", 10);
    setBoard("B8177", 0x5C);
    setBoard("B8179", 3);
    QDir(home.path()).mkpath("support");
    write(path("support/FaultErrCodes.txt"), "5c,Program is invalid.\r\n");
    write(path("LINE1.ovp"), "A\r\n");
    write(path("LINE1.rev"), "AB\r\n");
    const CliRun r = board({"status", "--ovp", path("LINE1.ovp")});
    EXPECT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out,
              "Current Fault: Code = 0AH\n"
              "    Fault Code (0AH): no text installed for this code\n"
              "Last Fault: Code = 5CH\n"
              "    Program is invalid.\n"
              "CO-CPU Slot: 0\n"
              "Corrective Action: Program is invalid.  Re-dump program to target board.  "
              "If fault persists, verify cable connections between computer and target "
              "board.  If fault persists, replace target board.\n"
              "Current Comm Error: Code = 03H\n"
              "    Comm Error Code (03H): no text installed (support/CommErrCodes.txt not found)\n"
              "Last Comm Error: Code = 00H\n"
              "In Target Board: Name KVX91D07, Revision 7, Checksum 167\n"
              "Network Address 1: 1\n"
              "On Disk: Name -, Revision 0, Checksum 0, Target Board Q7610, Rev Date -\n");
}

TEST_F(BoardCli, FailuresAndRefusalsWriteNothing) {
    struct Case {
        QStringList args;
        int code;
        const char* says;
    };
    const Case cases[] = {
        // clang-format off
        {{"reset-faults"}, 1, "Target Board will be reinitialized."},
        {{"set-address", "33"}, 1, "Only a Number Between 1 and 32 can be Entered"},
        {{"set-address", "x", "--row", "2"}, 1, "Only a Number Between 1 and 32 can be Entered"},
        {{"set-clock", "--now", "5 Jan 2005"}, 1, "--now must be an ISO 8601 date and time"},
        {{"status", "--ovp", "missing.ovp"}, 3, "missing.ovp: no such file"},
        {{"set-clock"}, 1, "--ovp FILE is required: the program file says whether the board has clock"},
        {{"set-address", "5", "--row", "2"}, 1, "--ovp FILE is required"},
        {{"set-clock", "--ovp", path("P9100.ovp")}, 1, "has no clock"},
        {{"set-address", "5", "--row", "2", "--ovp", path("P9100.ovp")}, 1, "has no network"},
        {{"status", "--ovp", path("FIFO.ovp")}, 3, "FIFO.rev\" is not a regular file"},
        // clang-format on
    };
    write(path("P9100.ovp"), "D\r\n");
    write(path("FIFO.ovp"), "A\r\n");
    ASSERT_EQ(mkfifo(QFile::encodeName(path("FIFO.rev")).constData(), 0600), 0);
    for (const Case& c : cases)
        expectFailure(board(c.args), c.code, c.says);
    server.withBoard([](sim::Board& b) { b.faults().silent = true; });
    expectFailure(board({"status"}), 2, "Cannot Communicate with Target Board.");
    EXPECT_TRUE(writes().empty());
}

// A sticky fault comes back and is shown; a wrong echo on the first address byte makes the
// link's resynchronisation store 0xFF at B8191, and the command says so (exit 2).
TEST_F(BoardCli, ResetShowsAFaultThatCameBackOrNamesAStrayByte) {
    server.withBoard([](sim::Board& b) { b.faults().stickyFault = 10; });
    CliRun r = board({"reset-faults", "--yes"});
    EXPECT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(writes().size(), 4u);
    EXPECT_TRUE(r.out.startsWith("Faults reset; the board now shows:\n"
                                 "Current Fault: Code = 0AH\n"))
        << qPrintable(r.out);
    server.withBoard([](sim::Board& b) {
        b.poke(8191, 1);
        b.faults().wrongEchoAt = {b.receivedCount() + 4}; // attention twice, mode, then 0x1F
    });
    r = board({"reset-faults", "--yes"});
    EXPECT_EQ(r.code, 2) << qPrintable(r.out);
    EXPECT_TRUE(r.err.contains("now read 255") && r.err.contains("B8191")) << qPrintable(r.err);
}

TEST_F(BoardCli, ClockAndAddressWrites) {
    write(path("Q7610.ovp"), "A\r\n");
    const QString ovp = path("Q7610.ovp");
    EXPECT_EQ(board({"set-clock", "--now", "2005-01-05T10:20:30", "--ovp", ovp}).code, 0);
    EXPECT_EQ(board({"set-address", "5", "--row", "2", "--ovp", ovp}).code, 0);
    EXPECT_EQ(
        writes(),
        (std::vector<std::pair<int, int>>{
            {43012, 10}, {43010, 20}, {43008, 30}, {43016, 1}, {43015, 5}, {43017, 5}, {8191, 5}}));
}

} // namespace
