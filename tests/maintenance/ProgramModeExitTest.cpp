// A board that a download left in program mode is taken out of it with 0xFF alone.
#include "link/ProgramModeExit.h"
#include "maintenance/ProgramFixture.h"

namespace kalvex::test {
namespace {

struct ExitCase {
    const char* name;
    bool programMode;
    QByteArray partialRecord; // sent after entering program mode
    bool silent;
    bool left;
    int bytes;
};

class ProgramModeExitTest : public ProgramFixture,
                            public ::testing::WithParamInterface<ExitCase> {};

TEST_P(ProgramModeExitTest, LeavesProgramModeWithoutTheLinksRetries) {
    const ExitCase& c = GetParam();
    if (c.programMode) transfer.enterProgramMode();
    for (const char b : c.partialRecord)
        port.send(quint8(b));
    board.faults().silent = c.silent;
    const ProgramModeExit r = leaveProgramMode(port, 262, 5);
    EXPECT_EQ(r.left, c.left);
    EXPECT_EQ(r.bytesSent, c.bytes);
    if (!c.silent) {
        EXPECT_FALSE(board.inProgramMode());
        EXPECT_TRUE(prompt.boxes.empty()); // no retry box
    }
}

// A record of 16 bytes to 0x4000 with 5 data bytes sent: 11 more fill it, its checksum comes
// back, then two 0xFF are answered 0x55.
const QByteArray kPartial = QByteArray::fromHex("104000") + QByteArray(5, '\x11');

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgramModeExitTest,
    ::testing::Values(ExitCase{"OutOfProgramMode", false, {}, false, true, 2},
                      ExitCase{"AtARecordStart", true, {}, false, true, 2},
                      ExitCase{"InsideARecord", true, kPartial, false, true, 13},
                      ExitCase{"AfterTheCountByte", true, QByteArray("\x02", 1), false, true, 6},
                      ExitCase{"SilentBoard", true, {}, true, false, 262}),
    [](const auto& p) { return std::string(p.param.name); });

} // namespace
} // namespace kalvex::test
