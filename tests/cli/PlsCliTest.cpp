#include "CliChecks.h"
#include "support/CliBoard.h"
#include "support/QtPrinters.h"

using namespace kalvex;

namespace {

using test::CliRun;
using Kind = sim::PlsChannel::Kind;

// kalvex-cli pls on a board simulated in this process: scale factor 360, offset 10, position
// 100, the machine standing still.
class PlsCli : public test::CliBoard {
  protected:
    void SetUp() override {
        CliBoard::SetUp();
        onBoard([](sim::Board& b) {
            b.pls().setScaleFactor(360);
            b.pls().setOffset(10);
            b.pls().setPosition(100);
        });
    }
    CliRun pls(const QStringList& args) { return cli(QStringList{QStringLiteral("pls")} + args); }
    void onBoard(const std::function<void(sim::Board&)>& f) { server.withBoard(f); }
};

auto fields(const sim::PlsChannel& c) {
    return std::tuple(c.kind, c.first, c.second, c.onDivs, c.offDivs);
}

TEST_F(PlsCli, ProgrammingCommandsReachThePls) {
    for (const QStringList& args : {QStringList{"setpoint", "3", "100", "200", "clear"},
                                    {"pulse", "4", "10", "20", "5"},
                                    {"offset", "0"},
                                    {"setpoint", "6", "1", "2"},
                                    {"clear", "6"}})
        ASSERT_EQ(pls(args).code, 0) << qPrintable(args.join(' '));
    onBoard([](sim::Board& b) {
        const auto& ch = b.pls().channels();
        EXPECT_EQ(fields(ch[3]), std::tuple(Kind::Setpoint, 100, 200, 0, 0));
        EXPECT_EQ(fields(ch[4]), std::tuple(Kind::PulseTrain, 5, 0, 10, 20));
        EXPECT_EQ(fields(ch[6]), std::tuple(Kind::Cleared, 0, 0, 0, 0));
        EXPECT_EQ(b.pls().offset(), 110);
        EXPECT_EQ(b.pls().position(), 0);
        EXPECT_EQ(b.pls().writes, 6); // "clear" cleared channel 3 before its setpoint
    });
}

TEST_F(PlsCli, StatusRecallAndConfigurationPrintWhatTheBoardHolds) {
    const CliRun status = pls({});
    EXPECT_EQ(status.code, 0) << qPrintable(status.err);
    EXPECT_EQ(status.out, "Scale factor: 360\nOffset: 10\nPosition: 100\nSpeed: 0 rpm\n");
    onBoard([](sim::Board& b) { b.pls().channels()[2] = {Kind::Setpoint, 300, 20, 0, 0}; });
    const CliRun recall = pls({"recall", "2"});
    EXPECT_EQ(recall.code, 0) << qPrintable(recall.err);
    EXPECT_EQ(recall.out, QStringLiteral("State: 0\nPosition: 300\n"));

    QStringList download{"download-config", "4660"};
    for (int i = 0; i < 24; ++i)
        download << QString::number(i * 10);
    const CliRun down = pls(download);
    EXPECT_EQ(down.code, 0) << qPrintable(down.err);
    const CliRun up = pls({"upload-config"});
    EXPECT_EQ(up.code, 0) << qPrintable(up.err);
    EXPECT_EQ(up.out, QStringLiteral("0 10 20 30 40 50 60 70 80 90 100 110 120 130 140 150 160 "
                                     "52 18\n"));
}

// The PLS's own range checks answer some; the rest never reach the board. Nothing is programmed.
TEST_F(PlsCli, RefusedInputExitsOne) {
    const struct {
        QStringList args;
        const char* says;
        bool reachesBoard;
    } cases[] = {
        {{"setpoint", "3", "360", "20"},
         "Setpoint setting 360 is greater than scale factor.",
         true},
        {{"setpoint", "256", "1", "2"}, "CHAN must be a whole number from 0 to 255", false},
        {{"pulse", "1", "ten", "20", "0"}, "ON must be a whole number", false},
        {{"recall"}, "CHAN is required", false},
        {{"setpoint", "3", "100", "200", "wipe"}, "wipe", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.args.join(' ')));
        const qint64 before = received();
        test::expectFailure(pls(c.args), 1, c.says);
        EXPECT_EQ(received() > before, c.reachesBoard);
        onBoard([](sim::Board& b) { EXPECT_EQ(b.pls().writes, 0); });
    }
}

TEST_F(PlsCli, APlsThatNeverGetsReadyIsACommunicationFailure) {
    onBoard([](sim::Board& b) { b.pls().neverReady = true; });
    test::expectFailure(pls({"clear", "1"}), 2,
                        "Cannot Determine PLS READY Mode Within Target Board.");
}

} // namespace
