#include "sim/Timeline.h"
#include "sim/Board.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace kalvex;
using namespace kalvex::sim;

namespace {

struct GoodLine {
    const char* line;
    qint64 atMs;
    SimCommand command;
};

TEST(TimelineTest, ReadsEveryCommandWithItsTime) {
    const GoodLine cases[] = {
        {"at 5s alarm 3 on", 5000, {SimVerb::Alarm, 3, 1}},
        {"at 7s alarm 15 off", 7000, {SimVerb::Alarm, 15, 0}},
        {"AT 1.5S Speed 1500", 1500, {SimVerb::Speed, 1500, 0}},
        {"at 250ms run", 250, {SimVerb::Run, 0, 0}},
        {"at 2m stop", 120000, {SimVerb::Stop, 0, 0}},
        {"at 1s bad_rate 20", 1000, {SimVerb::BadRate, 20, 0}},
        {"at 12s fault 3Ch", 12000, {SimVerb::Fault, 0x3C, 0}},
        {"at 12s last_fault ff", 12000, {SimVerb::LastFault, 255, 0}},
        {"at 12s comm_error 5", 12000, {SimVerb::CommError, 5, 0}},
        {"at 12s last_comm_error 0", 12000, {SimVerb::LastCommError, 0, 0}},
        {"at 1s trip 36 qc", 1000, {SimVerb::Trip, 36, 2}},
        {"at 1s trip 1 restart", 1000, {SimVerb::Trip, 1, 3}},
        {"at 1s ductors manual", 1000, {SimVerb::Ductors, kDuctorsManual, 0}},
        {"at 1s ductors off", 1000, {SimVerb::Ductors, kDuctorsOff, 0}},
        {"  at 3s   silent_after   100  # the next read", 3000, {SimVerb::SilentAfter, 100, 0}},
        {"at 12s silent", 12000, {SimVerb::Silent, 0, 0}},
        {"at 4s delay 1500", 4000, {SimVerb::Delay, 1500, 0}},
        {"at 4s wrong_echo", 4000, {SimVerb::WrongEcho, 0, 0}},
        {"at 20s cable", 20000, {SimVerb::Cable, 0, 0}},
    };
    for (const GoodLine& c : cases) {
        QString error;
        const auto steps = parseTimeline(QString::fromLatin1(c.line), &error);
        ASSERT_TRUE(steps) << c.line << ": " << error.toStdString();
        ASSERT_EQ(steps->size(), 1u) << c.line;
        EXPECT_EQ(steps->front().atMs, c.atMs) << c.line;
        EXPECT_EQ(steps->front().command, c.command) << c.line;
        EXPECT_EQ(steps->front().line, 1) << c.line;
    }
}

TEST(TimelineTest, RunsStepsInTimeOrderKeepingTheFileOrderOfEqualTimes) {
    const auto steps = parseTimeline(
        QStringLiteral("# demo\nat 20s cable\n\nat 5s alarm 3 on\nat 5s silent\nat 0s stop\n"),
        nullptr);
    ASSERT_TRUE(steps);
    std::vector<int> lines;
    for (const TimelineStep& s : *steps)
        lines.push_back(s.line);
    EXPECT_EQ(lines, (std::vector<int>{6, 4, 5, 2}));
    EXPECT_EQ(steps->at(1).text, QStringLiteral("alarm 3 on"));
}

struct BadLine {
    const char* line;
    const char* reason; // part of the message
};

// The bad line is the third of the file: the message names it, and no step is returned.
TEST(TimelineTest, RefusesABadLineByItsNumber) {
    const BadLine cases[] = {
        {"at 5 alarm 3 on", "expected \"at TIME COMMAND\""},
        {"alarm 3 on", "expected \"at TIME COMMAND\""},
        {"at -1s run", "expected \"at TIME COMMAND\""},
        {"at 5s", "expected \"at TIME COMMAND\""},
        {"at 5h run", "expected \"at TIME COMMAND\""},
        {"at 999999999m run", "expected \"at TIME COMMAND\""},
        {"at 5s alarm 16 on", "expected alarm BIT on|off"},
        {"at 5s alarm 3", "expected alarm BIT on|off"},
        {"at 5s alarm 3 maybe", "expected alarm BIT on|off"},
        {"at 5s speed 65536", "expected speed CPM"},
        {"at 5s speed fast", "expected speed CPM"},
        {"at 5s bad_rate 1001", "expected bad_rate N"},
        {"at 5s fault 100", "expected fault CODE"},
        {"at 5s fault 3G", "expected fault CODE"},
        {"at 5s trip 0 bad", "expected trip SPINDLE"},
        {"at 5s trip 37 bad", "expected trip SPINDLE"},
        {"at 5s trip 3 broken", "expected trip SPINDLE"},
        {"at 5s ductors sideways", "expected ductors auto|manual|off"},
        {"at 5s silent now", "expected silent"},
        {"at 5s delay 3600001", "expected delay MS"},
        {"at 5s jump", "unknown command \"jump\""},
    };
    for (const BadLine& c : cases) {
        QString error;
        const QString text =
            QStringLiteral("at 1s run\n# then\n%1\nat 9s stop\n").arg(QString::fromLatin1(c.line));
        EXPECT_FALSE(parseTimeline(text, &error)) << c.line;
        EXPECT_TRUE(error.startsWith(QStringLiteral("line 3: "))) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.reason))) << error.toStdString();
    }
}

// The commands change the board model, and the link faults end only with "cable".
class SimCommandTest : public ::testing::Test {
  protected:
    void apply(const char* line) {
        QString error;
        const auto c = parseSimCommand(QString::fromLatin1(line), &error);
        ASSERT_TRUE(c) << line << ": " << error.toStdString();
        applySimCommand(board, *c);
    }
    FakeClock clock;
    Board board{clock};
};

TEST_F(SimCommandTest, SetsAlarmBitsCodesAndTheDuctorMode) {
    const std::tuple<const char*, const char*, qint64> cases[] = {
        {"alarm 3 on", "W98", 0x0008},   {"alarm 15 on", "W98", 0x8008},
        {"alarm 0 off", "W98", 0x8008},  {"alarm 3 off", "W98", 0x8000},
        {"fault 3C", "B8176", 0x3C},     {"last_fault 5d", "B8177", 0x5D},
        {"comm_error 2", "B8179", 0x02}, {"last_comm_error 10", "B8178", 0x10},
        {"ductors manual", "B130", 2}};
    for (const auto& [line, cell, value] : cases) {
        apply(line);
        EXPECT_EQ(board.value(QLatin1String(cell)), value) << line;
    }
    apply("stop");
    apply("speed 900");
    apply("bad_rate 40");
    EXPECT_FALSE(board.machine().running);
    EXPECT_EQ(board.machine().speed, 900);
    EXPECT_DOUBLE_EQ(board.machine().blowOffPerCan, 0.04);
}

TEST_F(SimCommandTest, TripBooksOneBlowOffOnTheSpindleForItsCause) {
    const qint64 blowOffs = board.value(QStringLiteral("D1104"));
    const qint64 qc = board.value(QStringLiteral("D1120"));
    const qint64 trips = board.value(QStringLiteral("W1066")); // spindle 24
    apply("trip 24 qc");
    EXPECT_EQ(board.value(QStringLiteral("B599")), 24);
    EXPECT_EQ(board.value(QStringLiteral("D1104")), blowOffs + 1);
    EXPECT_EQ(board.value(QStringLiteral("D1120")), qc + 1);
    EXPECT_EQ(board.value(QStringLiteral("W1066")), trips + 1);
}

TEST_F(SimCommandTest, LinkFaultsStartAtTheNextByteAndEndWithTheCable) {
    board.receive(0xFF);
    apply("silent_after 2");
    EXPECT_EQ(board.faults().silentAfter, 3); // counted from the bytes already received
    apply("delay 1500");
    apply("wrong_echo");
    EXPECT_EQ(board.receive(0xFF).bytes, QByteArray(1, char(0x55 ^ 0x5A)));
    EXPECT_EQ(board.receive(0xFF).bytes, QByteArray(1, char(0x55))); // once only
    EXPECT_TRUE(board.receive(0xFF).bytes.isEmpty());
    apply("cable");
    EXPECT_EQ(board.receive(0xFF).bytes, QByteArray(1, char(0x55)));
    apply("silent");
    EXPECT_TRUE(board.receive(0xFF).bytes.isEmpty());
    apply("cable");
    const Reply r = board.receive(0xFF);
    EXPECT_EQ(r.bytes, QByteArray(1, char(0x55)));
    EXPECT_EQ(board.faults().replyDelayUs, 0);
}

} // namespace
