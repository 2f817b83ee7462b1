#include "sim/Board.h"
#include "sim/Pacer.h"
#include "sim/StateFile.h"
#include "sim/Timeline.h"
#include "support/Bytes.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kalvex;
using namespace kalvex::sim;
using kalvex::test::bytes;

namespace {

class BoardTest : public ::testing::Test {
  protected:
    QByteArray feed(std::initializer_list<int> bytes) {
        QByteArray replies;
        for (int b : bytes)
            replies += board.receive(quint8(b)).bytes;
        return replies;
    }
    void runFor(qint64 us) {
        clock.advanceUs(us);
        board.advanceMachine();
    }
    void apply(const char* line) {
        QString error;
        const auto c = parseSimCommand(QString::fromLatin1(line), &error);
        ASSERT_TRUE(c) << line << ": " << error.toStdString();
        applySimCommand(board, *c);
    }

    FakeClock clock;
    Board board{clock};
};

TEST_F(BoardTest, IgnoresBytesUntilAttentionAndFallsSilentAfterItsCount) {
    EXPECT_EQ(feed({0x01, 0x00, 0x12}), QByteArray());
    EXPECT_EQ(feed({0xFF, 0xFF, 0x01}), bytes({0x55, 0x55, 0x55}));
    board.clearTranscript();
    board.poke(50, 0x77);
    board.faults().silentAfter = board.receivedCount() + 2;
    EXPECT_EQ(feed({0, 50, 0, 51}), bytes({0, 0x77}));
    EXPECT_EQ(std::pair(board.bytesFromPc(), board.bytesToPc()),
              std::pair(bytes({0, 50, 0, 51}), bytes({0, 0x77})));
}

TEST_F(BoardTest, LogsKeepTheirNewestEntriesPastTheLimit) {
    board.setLogLimit(12);
    feed({0xFF, 2});
    for (int i = 0; i < 20; ++i)
        feed({0, 200 + i, i + 1});
    ASSERT_LE(board.transcript().size(), 12u);
    EXPECT_EQ(board.bytesFromPc().right(3), bytes({0, 219, 20}));
    ASSERT_LE(board.writes().size(), 12u);
    EXPECT_GT(board.writes().front().address, 200);
    EXPECT_EQ(std::tuple(board.writes().back().address, board.peek(200)), std::tuple(219, 1));
}

TEST_F(BoardTest, PacingHoldsEachReplyForTwoByteTimes) {
    board.faults().baud = 9600;
    const qint64 bt = 1041; // 10 bits at 9600 baud
    const qint64 t0 = clock.nowUs();
    EXPECT_EQ(board.receive(0xFF).readyAtUs - t0, 2 * bt);
    // A byte sent right behind the first waits for the line: it arrives a byte time later.
    EXPECT_EQ(board.receive(0x01).readyAtUs - t0, 3 * bt);
    clock.advanceUs(100'000);
    EXPECT_EQ(board.receive(0x00).readyAtUs - clock.nowUs(), 2 * bt);
}

TEST_F(BoardTest, MachineCountsAndTurnsWhileRunningAndStandsStillWhenStopped) {
    board.machine().speed = 1200;
    const qint64 cans = board.value("D1304"), good = board.value("D1100");
    runFor(60'000'000); // one minute
    EXPECT_EQ(std::tuple(board.value("D1304") - cans, board.value("W112"),
                         board.value("D1100") - good + board.value("D1104") - 2345),
              std::tuple(1200, 1200, 1200));
    std::set<qint64> positions;
    for (int i = 0; i < 50; ++i) {
        runFor(7'000);
        const qint64 pos = board.value("W180");
        EXPECT_TRUE(pos >= 0 && pos < 360) << pos;
        positions.insert(pos);
    }
    EXPECT_GT(positions.size(), 10u);
    board.setValue("F119", 1); // the running I/O words follow: set-up enable with F119
    runFor(10'000);
    EXPECT_EQ(std::pair(board.value("W100") & 0x8002, board.value("F17")),
              std::pair(qint64(0x8002), qint64(1)));
    board.setValue("F119", 0);
    runFor(10'000);
    EXPECT_EQ(board.value("W100") & 0x8000, 0);

    board.setValue("D1100", 0); // a reset from the PC sticks
    board.machine().running = false;
    runFor(60'000'000);
    EXPECT_EQ(std::tuple(board.value("D1100"), board.value("W112")), std::tuple(0, 0));
}

TEST_F(BoardTest, StateTextSetsCellsAndFaultsOrChangesNothing) {
    EXPECT_EQ(board.value("B8180") + board.value("B8191"), 2); // network addresses start at one
    QString error;
    ASSERT_TRUE(applyState(board,
                           "# a faulted, stopped machine\n"
                           "W98 = 5\nB8176=92  # program invalid\n"
                           "F119 = 0\nD1100 = 123456\nrunning = 0\n"
                           "silent_after = 10\nbaud = 19200\nclock_running = 1\n",
                           &error))
        << qPrintable(error);
    EXPECT_EQ(std::tuple(board.value("W98"), board.value("B8176"), board.value("F119"),
                         board.value("D1100")),
              std::tuple(5, 92, 0, 123456));
    EXPECT_EQ(std::tuple(board.machine().running, board.faults().silentAfter, board.faults().baud,
                         board.boardClock().running),
              std::tuple(false, 10, 19200, true));

    for (const char* text : {"W98 = 6\nW99 = x\n", "W98 = 6\nnonsense\n", "W98 = 6\nB70000 = 1\n",
                             "W98 = 6\nfoo = 1\n", "W98 = 6\nW100 = -1\n"}) {
        EXPECT_FALSE(applyState(board, text, &error)) << text;
        EXPECT_TRUE(error.contains("line 2")) << qPrintable(error);
        EXPECT_EQ(board.value("W98"), 5) << text;
    }
    ASSERT_TRUE(applyState(board, "sticky_fault = 10\n", &error));
    board.setValue("B8176", 0);
    board.advanceMachine();
    EXPECT_EQ(board.value("B8176"), 10); // a sticky fault comes back after a reset
}

qint64 sumOf(const Board& board, int firstWord, int words) {
    qint64 sum = 0;
    for (int k = 0; k < words; ++k)
        sum += board.value(QStringLiteral("W%1").arg(firstWord + 2 * k));
    return sum;
}

TEST_F(BoardTest, ShiftCountersTripsResetAndEndOfShift) {
    board.machine().blowOffPerCan = 0.05;
    board.machine().speed = 2000;
    const qint64 blowOffsBefore = board.value("D1104");
    runFor(60'000'000);
    const qint64 blowOffs = board.value("D1104") - blowOffsBefore;
    ASSERT_GT(blowOffs, 50);
    EXPECT_EQ(board.value("D1108") + board.value("D1116") + board.value("D1120") +
                  board.value("D1112"),
              board.value("D1104")); // every blow-off has a cause
    EXPECT_EQ(sumOf(board, 1124, 36), blowOffs);
    EXPECT_EQ(sumOf(board, 1020, 36), blowOffs);
    EXPECT_TRUE(board.value("B599") >= 1 && board.value("B599") <= 24) << board.value("B599");

    board.setValue("B1016.0", 1);
    runFor(60'000'000);
    EXPECT_EQ(sumOf(board, 1020, 36), 0);
    EXPECT_GT(sumOf(board, 1124, 36), blowOffs); // the shift's own trips go on

    const qint64 goodCans = board.value("D1100"), trips = sumOf(board, 1124, 36);
    board.machine().running = false;
    board.setValue("F137", 1);
    runFor(1000);
    runFor(1000); // still held: the shift ended once
    EXPECT_EQ(std::tuple(board.value("D1200"), board.value("D1100"), sumOf(board, 1224, 36),
                         sumOf(board, 1124, 36)),
              std::tuple(goodCans, 0, trips, 0));
}

// Hour, minute, second, day, month, two-digit year as the board holds them.
using ClockFields = std::array<int, 6>;
constexpr int kClockCells[6] = {43012, 43010, 43008, 43015, 43016, 43017};

TEST(SimBoardClock, TicksWithCarriesOnlyWhenRunning) {
    const std::pair<ClockFields, ClockFields> cases[] = {
        {{10, 20, 30, 5, 1, 5}, {10, 20, 31, 5, 1, 5}},
        {{10, 59, 59, 5, 1, 5}, {11, 0, 0, 5, 1, 5}},
        {{23, 59, 59, 28, 2, 1}, {0, 0, 0, 1, 3, 1}},
        {{23, 59, 59, 28, 2, 4}, {0, 0, 0, 29, 2, 4}},
        {{23, 59, 59, 31, 12, 99}, {0, 0, 0, 1, 1, 0}},
    };
    FakeClock clock;
    for (const auto& [before, after] : cases) {
        Board board(clock);
        for (int i = 0; i < 6; ++i)
            board.poke(kClockCells[i], quint8(before[size_t(i)]));
        board.advanceMachine();
        clock.advanceUs(1'500'000);
        board.advanceMachine();
        EXPECT_EQ(board.peek(43008), before[2]) << "a stopped clock moved";
        board.boardClock().running = true;
        board.advanceMachine();
        clock.advanceUs(1'000'000);
        board.advanceMachine();
        ClockFields shown{};
        for (int i = 0; i < 6; ++i)
            shown[size_t(i)] = board.peek(kClockCells[i]);
        EXPECT_EQ(shown, after);
    }
}

TEST_F(BoardTest, GatewayTransactionsMoveAndItsErrorsComeFromTheStateFile) {
    EXPECT_EQ(board.value("B1423"), 2);
    runFor(0); // the model's clock starts
    const qint64 transaction = board.value("W1416"), received = board.value("W1704");
    std::vector<std::array<qint64, 4>> seen; // B1421, B1422, B1414, B1702.6
    for (int i = 0; i < 4; ++i) {
        runFor(500'000);
        seen.push_back({board.value("B1421"), board.value("B1422"), board.value("B1414"),
                        board.value("B1702.6")});
    }
    const std::vector<std::array<qint64, 4>> expected = {
        {1, 2, 1, 0}, {2, 1, 1, 1}, {1, 2, 0, 1}, {2, 1, 0, 0}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(std::tuple(board.value("W1416") - transaction, board.value("W1704") - received,
                         board.value("B1703")),
              std::tuple(2, 2, 0));

    QString error;
    ASSERT_TRUE(applyState(board, "gateway_ext_sts = 27\ngateway_sts = 240\ngateway = 0\n", &error))
        << qPrintable(error);
    runFor(2'000'000);
    // The model stopped (B1421 stays 2) with the link error in place.
    EXPECT_EQ(std::tuple(board.value("B1421"), board.value("B1703"), board.value("B1418"),
                         board.value("B1419")),
              std::tuple(2, 1, 240, 27));
    ASSERT_TRUE(applyState(board, "gateway_sts = 0\n", &error));
    EXPECT_EQ(board.value("B1703"), 0);
}

// A clock whose sleeps wake late by the next of a repeating list of lateness values.
class LateClock final : public Clock {
  public:
    explicit LateClock(std::vector<qint64> lateUs) : m_late(std::move(lateUs)) {}
    qint64 nowUs() const override { return m_now; }
    void sleepUntilUs(qint64 t) override {
        ++sleeps;
        if (t > m_now) m_now = t + m_late[m_next++ % m_late.size()];
    }
    int sleeps = 0;
    qint64 m_now = 0;
    std::vector<qint64> m_late;
    size_t m_next = 0;
};

// At 9600 baud: at most two sleeps a reply; a learned lateness is at most the second of a pair.
TEST(PacerTest, RepliesLeaveOnTimeOrLateNeverEarlyAndWithoutSpinning) {
    const std::pair<std::vector<qint64>, qint64> cases[] = {
        {{0}, 0}, {{20}, 0}, {{80}, 0}, {{15, 40, 12, 25}, 40}};
    for (const auto& [lateUs, settledLatenessUs] : cases) {
        LateClock clock(lateUs);
        Pacer pacer(clock);
        qint64 worst = 0;
        for (int i = 0; i < 400; ++i) {
            const qint64 due = clock.nowUs() + 1042;
            const int sleepsBefore = clock.sleeps;
            pacer.sleepUntilUs(due);
            ASSERT_GE(clock.nowUs(), due) << "reply " << i;
            EXPECT_LE(clock.sleeps - sleepsBefore, 2) << "reply " << i;
            if (i >= 200) worst = std::max(worst, clock.nowUs() - due);
            clock.m_now += 50; // the board's own work between replies
        }
        EXPECT_LE(worst, settledLatenessUs) << "lateness " << lateUs.front();
    }
}

TEST(TimelineTest, ReadsEveryCommandRunsThemInTimeOrderAndRefusesABadLineByItsNumber) {
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
    QString text = QStringLiteral("# demo\n\n");
    std::vector<std::tuple<qint64, SimCommand, int>> want, got;
    for (const auto& [line, atMs, command] : cases) {
        text += QLatin1String(line) + u'\n';
        want.emplace_back(atMs, command, int(want.size()) + 3);
    }
    std::stable_sort(want.begin(), want.end(),
                     [](const auto& a, const auto& b) { return std::get<0>(a) < std::get<0>(b); });
    QString error;
    const auto steps = parseTimeline(text, &error);
    ASSERT_TRUE(steps) << error.toStdString();
    for (const TimelineStep& step : *steps)
        got.emplace_back(step.atMs, step.command, step.line);
    EXPECT_EQ(got, want);
    EXPECT_EQ(steps->at(10).text, QStringLiteral("alarm 3 on")); // at 5s, after ten earlier steps

    // The bad line is the file's third: the message names it and the reason.
    const std::pair<const char*, std::vector<const char*>> refused[] = {
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
    for (const auto& [reason, lines] : refused)
        for (const char* line : lines) {
            QString why;
            const QString bad =
                QStringLiteral("at 1s run\n# then\n%1\nat 9s stop\n").arg(QLatin1String(line));
            EXPECT_FALSE(parseTimeline(bad, &why)) << line;
            EXPECT_TRUE(why.startsWith(QStringLiteral("line 3: "))) << why.toStdString();
            EXPECT_TRUE(why.contains(QLatin1String(reason))) << why.toStdString();
        }
}

TEST_F(BoardTest, SetBitsCodesModeAndTripsAndLinkFaultsEndWithTheCable) {
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
