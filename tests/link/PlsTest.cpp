#include "Bytes.h"
#include "LinkFixture.h"
#include "link/PlsLink.h"

#include <functional>

using namespace kalvex;
using kalvex::test::bytes;
using kalvex::test::LinkFixture;

namespace {

// The PLS of the simulated board: scale factor 360, offset 10, shown position 100, READY at
// once after a write unless a test says otherwise.
class PlsTest : public LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        pls().busyUs = 0;
        setPls(360, 10, 100);
    }
    sim::PlsUnit& pls() { return board.pls(); }
    PlsLink plsLink{link};
    void setPls(int scale, int offset, int position) {
        pls().setScaleFactor(scale);
        pls().setOffset(offset);
        pls().setPosition(position);
    }
    static QByteArray wordRead(int command) { return bytes({0xFF, command, 0x55, 0x55}); }
    static QByteArray ready() { return bytes({0x38, 0x55, 0x55}); }
    static QByteArray record(int command, std::initializer_list<int> six) {
        return bytes({0xFF, command}) + bytes(six) + ready();
    }
    const test::Box& onlyBox() {
        EXPECT_EQ(prompt.boxes.size(), 1u);
        static const test::Box none{};
        return prompt.boxes.empty() ? none : prompt.boxes.back();
    }
};

// ---- read properties ----

TEST_F(PlsTest, ReadPropertiesSendTheirCommandAndTakeAWordLowByteFirst) {
    setPls(40000, 300, 700);
    board.machine().running = true; // 1200 cans a minute on 24 spindles: 50 rpm
    struct Case {
        QString (PlsLink::*read)();
        int command;
        const char* value;
    };
    const Case cases[] = {{&PlsLink::PLSScaleFactor, 24, "40000"},
                          {&PlsLink::PLSOffset, 40, "300"},
                          {&PlsLink::PLSPos, 72, "700"},
                          {&PlsLink::PLSRpm, 88, "50"}};
    for (const Case& c : cases) {
        board.clearTranscript();
        EXPECT_EQ((plsLink.*c.read)(), QString::fromLatin1(c.value)) << c.command;
        EXPECT_EQ(sent(), wordRead(c.command));
    }
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(PlsTest, EveryOperationRunsTheHandshakeAndMemoryAccessSetsItsModeAgain) {
    link.RSRead(QStringLiteral("W50"));
    plsLink.PLSPos();
    plsLink.PLSPos();
    link.RSRead(QStringLiteral("W50"));
    EXPECT_EQ(sent(), bytes({0xFF, 1, 0, 50, 0, 51}) + wordRead(72) + wordRead(72) +
                          bytes({0xFF, 1, 0, 50, 0, 51}));
}

TEST_F(PlsTest, PositionTurnsWithTheMachine) {
    board.machine().running = true; // 50 rpm, 360 divisions: 300 divisions a second
    plsLink.PLSPos();
    clock.advanceUs(100'000);
    EXPECT_EQ(plsLink.PLSPos(), QStringLiteral("130"));
    clock.advanceUs(1'000'000);
    EXPECT_EQ(plsLink.PLSPos(), QStringLiteral("70")); // 430 wraps at the scale factor
}

TEST_F(PlsTest, ASilentBoardGivesMinus9999AndThenNothingIsSent) {
    board.faults().silent = true;
    EXPECT_EQ(plsLink.PLSScaleFactor(), QStringLiteral("-9999"));
    EXPECT_TRUE(link.CommError());
    ASSERT_EQ(prompt.boxes.size(), 1u); // the link's Retry/Cancel box, cancelled
    board.faults().silent = false;
    board.clearTranscript();
    const qint64 before = clock.nowUs();

    PlsLink::PlsConfig config{};
    const std::function<bool()> operations[] = {
        [&] { return plsLink.PLSOffset() == QStringLiteral("-9999"); },
        [&] { return plsLink.PLSPos() == QStringLiteral("-9999"); },
        [&] { return plsLink.PLSRpm() == QStringLiteral("-9999"); },
        [&] { return !plsLink.SingleSetpoint(1, 10, 20, true); },
        [&] { return !plsLink.PulseTrain(1, 10, 20, 0); },
        [&] { return !plsLink.ClearPLSChan(1); },
        [&] { return !plsLink.RecallChannel(1); },
        [&] { return !plsLink.SetPLSOffset(0); },
        [&] { return !plsLink.PLSConfigDownload(config, 0); },
    };
    for (size_t i = 0; i < std::size(operations); ++i)
        EXPECT_TRUE(operations[i]()) << i;
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_EQ(clock.nowUs(), before);
    EXPECT_EQ(prompt.boxes.size(), 1u);
}

// ---- channels ----

TEST_F(PlsTest, SingleSetpointSendsTheRecordAfterTheScaleFactorRead) {
    EXPECT_TRUE(plsLink.SingleSetpoint(5, 300, 20));
    EXPECT_EQ(sent(), wordRead(24) + record(27, {5, 300 % 256, 1, 20, 0, 1}));
    const sim::PlsChannel& c = pls().channels()[5];
    EXPECT_EQ(c.kind, sim::PlsChannel::Kind::Setpoint);
    EXPECT_EQ(c.first, 300);
    EXPECT_EQ(c.second, 20);
    EXPECT_TRUE(prompt.boxes.empty());

    board.clearTranscript();
    EXPECT_TRUE(plsLink.SingleSetpoint(5, 359, 0, true));
    EXPECT_EQ(sent(), wordRead(24) + record(27, {5, 0, 0, 0, 0, 0}) +
                          record(27, {5, 359 % 256, 1, 0, 0, 1}));
}

TEST_F(PlsTest, SetpointsBeyondTheScaleFactorAreRefusedAfterTheRead) {
    const std::pair<int, int> cases[] = {{360, 20}, {20, 360}, {400, 500}};
    for (auto [on, off] : cases) {
        prompt.boxes.clear();
        board.clearTranscript();
        EXPECT_FALSE(plsLink.SingleSetpoint(3, on, off, true));
        const test::Box& box = onlyBox();
        EXPECT_EQ(box.title, QStringLiteral("PLS Single Setpoint"));
        EXPECT_EQ(box.text, QStringLiteral("Setpoint setting %1 is greater than scale factor."
                                           "\r\n\r\nChannel can not be programmed.")
                                .arg(on > 359 ? on : off));
        EXPECT_EQ(box.icon, MsgIcon::Exclamation);
        EXPECT_EQ(sent(), wordRead(24)) << on << " " << off;
    }
    EXPECT_EQ(pls().writes, 0);
}

TEST_F(PlsTest, PulseTrainChecksItsDivisionsAgainstTheScaleFactor) {
    struct Case {
        int scale, on, off, start;
        const char* reason; // nullptr: programmed
    };
    const Case cases[] = {
        {360, 10, 20, 0, nullptr},
        {360, 10, 25, 0, "ON Division Plus OFF Division\r\nMust be a Multiple of 360."},
        {256, 255, 1, 255, nullptr},
        {512, 256, 256, 0, "ON Division or OFF Division Must be Less Than 255."},
        {360, 0, 20, 0, "ON Division and OFF Division Must be Greater Than 0."},
        {360, 20, 0, 0, "ON Division and OFF Division Must be Greater Than 0."},
        {360, -10, 40, 0, "ON Division and OFF Division Must be Greater Than 0."},
        {360, 10, 20, 360, "Start Position Must Not Be Greater Than 359."},
    };
    for (const Case& c : cases) {
        pls().setScaleFactor(c.scale);
        prompt.boxes.clear();
        board.clearTranscript();
        const bool programmed = plsLink.PulseTrain(7, c.on, c.off, c.start);
        EXPECT_EQ(programmed, c.reason == nullptr) << c.scale << " " << c.on << " " << c.off;
        if (!c.reason) {
            EXPECT_EQ(sent(),
                      wordRead(24) + record(43, {7, c.start % 256, c.start / 256, c.on, c.off, 0}));
            EXPECT_TRUE(prompt.boxes.empty());
            continue;
        }
        EXPECT_EQ(sent(), wordRead(24));
        const test::Box& box = onlyBox();
        EXPECT_EQ(box.title, QStringLiteral("PLS Pulse Train"));
        EXPECT_EQ(box.text, QString::fromLatin1(c.reason) +
                                QStringLiteral("\r\n\r\nPLS Channel will not be Programmed."));
        EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    }
    const sim::PlsChannel& c = pls().channels()[7];
    EXPECT_EQ(c.kind, sim::PlsChannel::Kind::PulseTrain);
    EXPECT_EQ(c.onDivs, 255);
    EXPECT_EQ(c.offDivs, 1);
}

TEST_F(PlsTest, ClearSendsTheChannelFiveZerosAndWaitsForReady) {
    plsLink.SingleSetpoint(9, 10, 20);
    board.clearTranscript();
    EXPECT_TRUE(plsLink.ClearPLSChan(9));
    EXPECT_EQ(sent(), record(27, {9, 0, 0, 0, 0, 0}));
    EXPECT_EQ(pls().channels()[9].kind, sim::PlsChannel::Kind::Cleared);
}

TEST_F(PlsTest, RecallGivesStateAndPositionUpTo4351) {
    struct Case {
        int stored;
        bool recalled;
        int state, pos;
    };
    // Position 100 lies between each on setpoint and off setpoint 200: the output is on.
    const Case cases[] = {
        {50, true, 1, 50}, {16 * 256 + 255, true, 1, 4351}, {17 * 256 + 5, false, 2, 0}};
    for (const Case& c : cases) {
        pls().channels()[4] = {sim::PlsChannel::Kind::Setpoint, c.stored, 200, 0, 0};
        board.clearTranscript();
        EXPECT_EQ(plsLink.RecallChannel(4), c.recalled) << c.stored;
        EXPECT_EQ(plsLink.ChannelRecallState(), c.state) << c.stored;
        EXPECT_EQ(plsLink.ChannelRecallPos(), c.pos) << c.stored;
        EXPECT_EQ(sent(), bytes({0xFF, 9, 4, 0x55, 0x55, 0x55}));
    }
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(PlsTest, RecallThatLosesTheBoardClearsTheResults) {
    pls().channels()[4] = {sim::PlsChannel::Kind::Setpoint, 50, 200, 0, 0};
    ASSERT_TRUE(plsLink.RecallChannel(4));
    board.faults().silentAfter = board.receivedCount() + 4; // answers the channel byte only
    EXPECT_FALSE(plsLink.RecallChannel(4));
    EXPECT_EQ(plsLink.ChannelRecallState(), 0);
    EXPECT_EQ(plsLink.ChannelRecallPos(), 0);
}

// ---- READY ----

TEST_F(PlsTest, ABusyPlsIsPolledUntilReady) {
    pls().busyUs = 50'000;
    EXPECT_TRUE(plsLink.ClearPLSChan(2));
    const QByteArray wire = sent();
    // Answered busy (0x55) at least once, then ready (0) and closed with one more 0x55.
    EXPECT_TRUE(wire.startsWith(bytes({0xFF, 27, 2, 0, 0, 0, 0, 0, 0x38, 0x55, 0x38})));
    EXPECT_TRUE(wire.endsWith(ready()));
    EXPECT_TRUE(board.bytesToPc().endsWith(bytes({0x55, 0, 0x55})));
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(PlsTest, NoReadyAsksAfterThreeSecondsAndRetryWaitsTwoMore) {
    pls().neverReady = true;
    std::vector<qint64> asked;
    const qint64 start = clock.nowUs();
    prompt.answerWith([&](const test::Box&) {
        asked.push_back(clock.nowUs() - start);
        return MsgAnswer::Retry;
    });
    prompt.answerWith([&](const test::Box&) {
        asked.push_back(clock.nowUs() - start);
        return MsgAnswer::Cancel;
    });
    EXPECT_FALSE(plsLink.ClearPLSChan(2));
    ASSERT_EQ(prompt.boxes.size(), 2u);
    for (const test::Box& box : prompt.boxes) {
        EXPECT_EQ(box.title, QStringLiteral("WARNING - Communication Error!"));
        EXPECT_EQ(box.text, QStringLiteral("Cannot Determine PLS READY Mode Within Target Board."));
        EXPECT_EQ(box.buttons, MsgButtons::RetryCancel);
        EXPECT_EQ(box.icon, MsgIcon::Critical);
    }
    EXPECT_GE(asked[0], 3'000'000);
    EXPECT_LT(asked[0], 3'100'000);
    EXPECT_GE(asked[1] - asked[0], 2'000'000);
    EXPECT_LT(asked[1] - asked[0], 2'100'000);
    EXPECT_TRUE(link.CommError());
}

TEST_F(PlsTest, PulseTrainWithoutReadyReportsTheProgrammingError) {
    pls().neverReady = true;
    EXPECT_FALSE(plsLink.PulseTrain(1, 10, 20, 0));
    ASSERT_EQ(prompt.boxes.size(), 2u); // READY box cancelled, then the pulse train's own
    EXPECT_EQ(prompt.boxes[1].title, QStringLiteral("PLS Pulse Train"));
    EXPECT_EQ(prompt.boxes[1].text,
              QStringLiteral("Error Encountered while Programming Pulse Train.\r\n\r\n"
                             "PLS Channel will not be Programmed."));
    EXPECT_EQ(prompt.boxes[1].icon, MsgIcon::Information);
}

TEST_F(PlsTest, ABoardLostDuringTheReadyWaitIsReportedOnce) {
    board.faults().silentAfter = board.receivedCount() + 8; // the handshake and the record
    EXPECT_FALSE(plsLink.ClearPLSChan(2));
    EXPECT_TRUE(link.CommError());
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text.left(37),
              QStringLiteral("Cannot Communicate with Target Board."));
}

// ---- offset ----

TEST_F(PlsTest, SetOffsetMakesTheDesiredPositionCurrent) {
    const std::pair<int, int> cases[] = {{0, 110}, {360, 110}, {100, 10}, {50, 60}, {359, 111}};
    for (auto [desired, offset] : cases) {
        setPls(360, 10, 100);
        board.clearTranscript();
        EXPECT_TRUE(plsLink.SetPLSOffset(desired)) << desired;
        EXPECT_EQ(sent(), wordRead(40) + wordRead(72) + wordRead(24) +
                              bytes({0xFF, 42, offset % 256, offset / 256}) + ready());
        EXPECT_EQ(pls().offset(), offset) << desired;
        EXPECT_EQ(plsLink.PLSPos(), QString::number(desired % 360));
    }
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(PlsTest, SetOffsetRefusesPositionsBeyondTheScaleFactor) {
    struct Case {
        int scale, position;
        const char* reason;
    };
    const Case cases[] = {
        {360, 361, "Desired Position cannot be greater than Scale Factor of 360."},
        {0, 0, "Scale Factor is 0."}, // an offset modulo 0 cannot be computed
    };
    for (const Case& c : cases) {
        pls().setScaleFactor(c.scale);
        prompt.boxes.clear();
        board.clearTranscript();
        EXPECT_FALSE(plsLink.SetPLSOffset(c.position));
        EXPECT_EQ(sent(), wordRead(40) + wordRead(72) + wordRead(24));
        const test::Box& box = onlyBox();
        EXPECT_EQ(box.title, QStringLiteral("Set PLS Offset"));
        EXPECT_EQ(box.text, QString::fromLatin1(c.reason) +
                                QStringLiteral("\r\n\r\nPLS Offset will not be Programmed."));
        EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    }
    EXPECT_EQ(pls().offset(), 10);
}

// ---- configuration ----

TEST_F(PlsTest, ConfigurationGoesDownInFourBlocksAndAWord) {
    PlsLink::PlsConfig config{};
    for (int i = 0; i < PlsLink::kPlsConfigEntries; ++i)
        config[size_t(i)] = 10 + i;
    EXPECT_TRUE(plsLink.PLSConfigDownload(config, 0x1234));
    QByteArray expected;
    for (int b = 0; b < 4; ++b) {
        const int e = 10 + 6 * b;
        expected += record(59 + 16 * b, {e, e + 1, e + 2, e + 3, e + 4, e + 5});
    }
    expected += bytes({0xFF, 26, 0x34, 0x12}) + ready();
    EXPECT_EQ(sent(), expected);

    board.clearTranscript();
    const PlsLink::PlsConfigTable table = plsLink.PLSConfigUpload();
    QByteArray polls(PlsLink::kPlsConfigBytes, char(0x55));
    EXPECT_EQ(sent(), bytes({0xFF, 12}) + polls);
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(table[size_t(i)], 10 + i) << i;
    EXPECT_EQ(table[17], 0x34);
    EXPECT_EQ(table[18], 0x12);
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(PlsTest, AFailedUploadSaysSoAndKeepsTheEntriesNotRead) {
    for (int i = 0; i < 24; ++i)
        pls().setConfig(i, quint8(i + 1));
    const PlsLink::PlsConfigTable before = plsLink.PLSConfigUpload();
    for (int i = 0; i < 24; ++i)
        pls().setConfig(i, quint8(100 + i));
    board.faults().silentAfter = board.receivedCount() + 2 + 5; // handshake and five entries
    const PlsLink::PlsConfigTable after = plsLink.PLSConfigUpload();
    ASSERT_EQ(prompt.boxes.size(), 2u); // the link's Retry/Cancel box, then the upload's
    EXPECT_EQ(prompt.boxes[1].title, QStringLiteral("PLS Upload"));
    EXPECT_EQ(prompt.boxes[1].text, QStringLiteral("Not able to Upload Configuration from PLS."));
    EXPECT_EQ(prompt.boxes[1].icon, MsgIcon::Exclamation);
    for (int i = 0; i < PlsLink::kPlsConfigBytes; ++i)
        EXPECT_EQ(after[size_t(i)], i < 5 ? 100 + i : before[size_t(i)]) << i;
}

// ---- values a byte cannot carry ----

TEST_F(PlsTest, ValuesOutsideTheRecordAreRefusedWithoutTraffic) {
    PlsLink::PlsConfig wide{};
    wide[23] = 256;
    const std::function<bool()> refused[] = {
        [&] { return plsLink.SingleSetpoint(256, 10, 20); },
        [&] { return plsLink.SingleSetpoint(-1, 10, 20); },
        [&] { return plsLink.SingleSetpoint(1, -10, 20); },
        [&] { return plsLink.PulseTrain(300, 10, 20, 0); },
        [&] { return plsLink.PulseTrain(1, 10, 20, -1); },
        [&] { return plsLink.ClearPLSChan(256); },
        [&] { return plsLink.RecallChannel(-1); },
        [&] { return plsLink.PLSConfigDownload(wide, 0); },
        [&] { return plsLink.PLSConfigDownload({}, 65536); },
    };
    for (size_t i = 0; i < std::size(refused); ++i)
        EXPECT_FALSE(refused[i]()) << i;
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_TRUE(prompt.boxes.empty());
    EXPECT_FALSE(link.CommError());
}

} // namespace
