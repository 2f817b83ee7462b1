#include "sim/Timeline.h"
#include "sim/Board.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace kalvex;
using namespace kalvex::sim;

namespace {

TEST(TimelineTest, ReadsEveryCommandWithItsTime) {
    using V = SimVerb;
    const std::tuple<const char*, qint64, SimCommand> cases[] = {
        // clang-format off
        {"at 5s alarm 3 on", 5000, {V::Alarm, 3, 1}}, {"at 7s alarm 15 off", 7000, {V::Alarm, 15, 0}},
        {"AT 1.5S Speed 1500", 1500, {V::Speed, 1500, 0}}, {"at 250ms run", 250, {V::Run, 0, 0}},
        {"at 2m stop", 120000, {V::Stop, 0, 0}}, {"at 1s bad_rate 20", 1000, {V::BadRate, 20, 0}},
        {"at 12s fault 3Ch", 12000, {V::Fault, 0x3C, 0}}, {"at 12s last_fault ff", 12000, {V::LastFault, 255, 0}},
        {"at 12s comm_error 5", 12000, {V::CommError, 5, 0}}, {"at 12s last_comm_error 0", 12000, {V::LastCommError, 0, 0}},
        {"at 1s trip 36 qc", 1000, {V::Trip, 36, 2}}, {"at 1s trip 1 restart", 1000, {V::Trip, 1, 3}},
        {"at 1s ductors manual", 1000, {V::Ductors, kDuctorsManual, 0}}, {"at 1s ductors off", 1000, {V::Ductors, kDuctorsOff, 0}},
        {"  at 3s   silent_after   100  # the next read", 3000, {V::SilentAfter, 100, 0}},
        {"at 12s silent", 12000, {V::Silent, 0, 0}}, {"at 4s delay 1500", 4000, {V::Delay, 1500, 0}},
        {"at 4s wrong_echo", 4000, {V::WrongEcho, 0, 0}}, {"at 20s cable", 20000, {V::Cable, 0, 0}},
        // clang-format on
    };
    for (const auto& [line, atMs, command] : cases) {
        QString error;
        const auto steps = parseTimeline(QString::fromLatin1(line), &error);
        ASSERT_TRUE(steps) << line << ": " << error.toStdString();
        ASSERT_EQ(steps->size(), 1u) << line;
        EXPECT_EQ(std::tuple(steps->front().atMs, steps->front().command, steps->front().line),
                  std::tuple(atMs, command, 1))
            << line;
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

// The bad line is the file's third: the message names it and the reason.
TEST(TimelineTest, RefusesABadLineByItsNumber) {
    const std::pair<const char*, std::vector<const char*>> cases[] = {
        // clang-format off
        {"expected \"at TIME COMMAND\"", {"at 5 alarm 3 on", "alarm 3 on", "at -1s run", "at 5s", "at 5h run", "at 999999999m run"}},
        {"expected alarm BIT on|off", {"at 5s alarm 16 on", "at 5s alarm 3", "at 5s alarm 3 maybe"}},
        {"expected speed CPM", {"at 5s speed 65536", "at 5s speed fast"}},
        {"expected bad_rate N", {"at 5s bad_rate 1001"}},
        {"expected fault CODE", {"at 5s fault 100", "at 5s fault 3G"}},
        {"expected trip SPINDLE", {"at 5s trip 0 bad", "at 5s trip 37 bad", "at 5s trip 3 broken"}},
        {"expected ductors auto|manual|off", {"at 5s ductors sideways"}},
        {"expected silent", {"at 5s silent now"}}, {"expected delay MS", {"at 5s delay 3600001"}},
        {"unknown command \"jump\"", {"at 5s jump"}},
        // clang-format on
    };
    for (const auto& [reason, lines] : cases)
        for (const char* line : lines) {
            QString error;
            const QString text =
                QStringLiteral("at 1s run\n# then\n%1\nat 9s stop\n").arg(QLatin1String(line));
            EXPECT_FALSE(parseTimeline(text, &error)) << line;
            EXPECT_TRUE(error.startsWith(QStringLiteral("line 3: "))) << error.toStdString();
            EXPECT_TRUE(error.contains(QLatin1String(reason))) << error.toStdString();
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

TEST_F(SimCommandTest, SetsAlarmBitsCodesTheDuctorModeAndTrips) {
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
    // A trip books one blow-off on the spindle (24: W1066) and its cause.
    const auto trip = [&] {
        return std::tuple(board.value("B599"), board.value("D1104"), board.value("D1120"),
                          board.value("W1066"));
    };
    const auto [spindle, blowOffs, qc, trips] = trip();
    apply("trip 24 qc");
    EXPECT_EQ(trip(), std::tuple(24, blowOffs + 1, qc + 1, trips + 1));
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
