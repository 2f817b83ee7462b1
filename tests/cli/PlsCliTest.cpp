#include "CliBoard.h"
#include "QtPrinters.h"

using namespace kalvex;

namespace {

using test::CliRun;

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

TEST_F(PlsCli, StatusPrintsTheReadProperties) {
    const CliRun r = pls({});
    EXPECT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, QStringLiteral("Scale factor: 360\nOffset: 10\nPosition: 100\n"
                                    "Speed: 0 rpm\n"));
}

TEST_F(PlsCli, ProgrammingCommandsReachThePls) {
    ASSERT_EQ(pls({"setpoint", "3", "100", "200", "clear"}).code, 0);
    ASSERT_EQ(pls({"pulse", "4", "10", "20", "5"}).code, 0);
    ASSERT_EQ(pls({"offset", "0"}).code, 0);
    ASSERT_EQ(pls({"setpoint", "6", "1", "2"}).code, 0);
    ASSERT_EQ(pls({"clear", "6"}).code, 0);
    onBoard([](sim::Board& b) {
        const auto& ch = b.pls().channels();
        EXPECT_EQ(ch[3].kind, sim::PlsChannel::Kind::Setpoint);
        EXPECT_EQ(ch[3].first, 100);
        EXPECT_EQ(ch[3].second, 200);
        EXPECT_EQ(ch[4].kind, sim::PlsChannel::Kind::PulseTrain);
        EXPECT_EQ(ch[4].first, 5);
        EXPECT_EQ(ch[4].onDivs, 10);
        EXPECT_EQ(ch[4].offDivs, 20);
        EXPECT_EQ(ch[6].kind, sim::PlsChannel::Kind::Cleared);
        EXPECT_EQ(b.pls().offset(), 110);
        EXPECT_EQ(b.pls().position(), 0);
        EXPECT_EQ(b.pls().writes, 6); // "clear" cleared channel 3 before its setpoint
    });
}

TEST_F(PlsCli, RecallAndConfigurationPrintWhatTheBoardHolds) {
    onBoard([](sim::Board& b) {
        b.pls().channels()[2] = {sim::PlsChannel::Kind::Setpoint, 300, 20, 0, 0};
    });
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

TEST_F(PlsCli, RefusedInputExitsOne) {
    struct Case {
        QStringList args;
        const char* says;
        bool reachesBoard;
    };
    const Case cases[] = {
        {{"setpoint", "3", "360", "20"},
         "Setpoint setting 360 is greater than scale factor.",
         true},
        {{"pulse", "1", "10", "25", "0"}, "Must be a Multiple of 360.", true},
        {{"offset", "361"}, "Scale Factor of 360.", true},
        {{"setpoint", "256", "1", "2"}, "CHAN must be a whole number from 0 to 255", false},
        {{"pulse", "1", "ten", "20", "0"}, "ON must be a whole number", false},
        {{"offset", "-5"}, "POSITION must be a whole number", false},
        {{"download-config", "1", "2"}, "V1 is required", false},
        {{"recall"}, "CHAN is required", false},
        {{"setpoint", "3", "100", "200", "wipe"}, "wipe", false},
    };
    for (const Case& c : cases) {
        qint64 before = 0;
        onBoard([&](sim::Board& b) { before = b.receivedCount(); });
        const CliRun r = pls(c.args);
        EXPECT_EQ(r.code, 1) << qPrintable(c.args.join(' ')) << qPrintable(r.err);
        EXPECT_TRUE(r.err.contains(QLatin1String(c.says))) << qPrintable(r.err);
        onBoard([&](sim::Board& b) {
            EXPECT_EQ(b.receivedCount() > before, c.reachesBoard) << qPrintable(c.args.join(' '));
            EXPECT_EQ(b.pls().writes, 0);
        });
    }
}

TEST_F(PlsCli, APlsThatNeverGetsReadyIsACommunicationFailure) {
    onBoard([](sim::Board& b) { b.pls().neverReady = true; });
    const CliRun r = pls({"clear", "1"});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(
        r.err.contains(QStringLiteral("Cannot Determine PLS READY Mode Within Target Board.")))
        << qPrintable(r.err);
}

} // namespace
