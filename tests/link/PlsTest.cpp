#include "Boxes.h"
#include "link/PlsLink.h"
#include "support/Bytes.h"
#include "support/LinkFixture.h"

#include <functional>

using namespace kalvex;
using namespace kalvex::test;

namespace {

class PlsTest : public LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        pls().busyUs = 0;
        setPls(360, 10, 100);
    }
    sim::PlsUnit& pls() { return board.pls(); }
    void setPls(int scale, int offset, int position) {
        pls().setScaleFactor(scale);
        pls().setOffset(offset);
        pls().setPosition(position);
    }
    void clear() {
        prompt.boxes.clear();
        board.clearTranscript();
    }
    static QByteArray wordRead(int command) { return bytes({0xFF, command, 0x55, 0x55}); }
    static QByteArray ready() { return bytes({0x38, 0x55, 0x55}); }
    static QByteArray record(int command, std::initializer_list<int> six) {
        return bytes({0xFF, command}) + bytes(six) + ready();
    }
    static Box refusal(const char* title, const QString& text, const char* consequence) {
        return {title, text + "\r\n\r\n" + consequence, MsgButtons::Ok, MsgIcon::Exclamation};
    }

    PlsLink plsLink{link};
};

// 1200 cans a minute on 24 spindles: 50 rpm, 300 of the 360 divisions a second.
TEST_F(PlsTest, PositionTurnsWithTheMachine) {
    setPls(360, 300, 300);
    board.machine().running = true;
    const std::tuple<QString (PlsLink::*)(), int, const char*> cases[] = {
        {&PlsLink::PLSScaleFactor, 24, "360"},
        {&PlsLink::PLSOffset, 40, "300"},
        {&PlsLink::PLSRpm, 88, "50"},
        {&PlsLink::PLSPos, 72, "300"}};
    for (auto [read, command, value] : cases) {
        board.clearTranscript();
        EXPECT_EQ((plsLink.*read)(), value) << command;
        EXPECT_EQ(sent(), wordRead(command));
    }
    EXPECT_TRUE(prompt.boxes.empty());
    clock.advanceUs(100'000);
    EXPECT_EQ(plsLink.PLSPos(), "330");
    clock.advanceUs(1'000'000);
    EXPECT_EQ(plsLink.PLSPos(), "270"); // 630 wraps at the scale factor
}

TEST_F(PlsTest, SingleSetpointIsCheckedAgainstTheScaleFactorReadFirst) {
    // on, off, clear first, the records after the scale factor read, the setpoint refused
    // clang-format off
    const std::tuple<int, int, bool, QByteArray, int> cases[] = {
        {300, 20, false, record(27, {5, 300 % 256, 1, 20, 0, 1}), 0},
        {359, 0, true, record(27, {5, 0, 0, 0, 0, 0}) + record(27, {5, 359 % 256, 1, 0, 0, 1}), 0},
        {360, 20, true, {}, 360}, {20, 360, true, {}, 360}, {400, 500, true, {}, 400}};
    // clang-format on
    for (const auto& [on, off, clearFirst, records, refused] : cases) {
        SCOPED_TRACE(on);
        clear();
        EXPECT_EQ(plsLink.SingleSetpoint(5, on, off, clearFirst), refused == 0);
        EXPECT_EQ(sent(), wordRead(24) + records);
        const QString text =
            QStringLiteral("Setpoint setting %1 is greater than scale factor.").arg(refused);
        EXPECT_EQ(prompt.boxes, refused ? Boxes{refusal("PLS Single Setpoint", text,
                                                        "Channel can not be programmed.")}
                                        : Boxes{});
    }
}

TEST_F(PlsTest, PulseTrainChecksItsDivisionsAgainstTheScaleFactor) {
    const char* zero = "ON Division and OFF Division Must be Greater Than 0.";
    // scale, on, off, start, the refusal (nullptr: programmed)
    // clang-format off
    const std::tuple<int, int, int, int, const char*> cases[] = {
        {360, 10, 20, 0, nullptr}, {360, 10, 25, 0, "ON Division Plus OFF Division\r\nMust be a Multiple of 360."},
        {256, 255, 1, 255, nullptr}, {512, 256, 256, 0, "ON Division or OFF Division Must be Less Than 255."},
        {360, 0, 20, 0, zero}, {360, 20, 0, 0, zero}, {360, -10, 40, 0, zero},
        {360, 10, 20, 360, "Start Position Must Not Be Greater Than 359."}};
    // clang-format on
    for (const auto& [scale, on, off, start, reason] : cases) {
        SCOPED_TRACE(testing::Message() << on << " " << off << " " << start);
        pls().setScaleFactor(scale);
        clear();
        EXPECT_EQ(plsLink.PulseTrain(7, on, off, start), !reason);
        const QByteArray programmed = record(43, {7, start % 256, start / 256, on, off, 0});
        EXPECT_EQ(sent(), wordRead(24) + (reason ? QByteArray() : programmed));
        EXPECT_EQ(prompt.boxes, reason ? Boxes{refusal("PLS Pulse Train", reason,
                                                       "PLS Channel will not be Programmed.")}
                                       : Boxes{});
    }
}

TEST_F(PlsTest, RecallGivesStateAndPositionUpTo4351AndNothingOnceTheBoardIsLost) {
    // stored on setpoint, recalled, state, position; 100 lies between on and off (200): on
    const std::tuple<int, bool, int, int> cases[] = {
        {16 * 256 + 255, true, 1, 4351}, {17 * 256 + 5, false, 2, 0}, {50, true, 1, 50}};
    for (const auto& [stored, recalled, state, pos] : cases) {
        SCOPED_TRACE(stored);
        pls().channels()[4] = {sim::PlsChannel::Kind::Setpoint, stored, 200, 0, 0};
        board.clearTranscript();
        EXPECT_EQ(plsLink.RecallChannel(4), recalled);
        EXPECT_EQ(plsLink.ChannelRecallState(), state);
        EXPECT_EQ(plsLink.ChannelRecallPos(), pos);
        EXPECT_EQ(sent(), bytes({0xFF, 9, 4, 0x55, 0x55, 0x55}));
    }
    EXPECT_TRUE(prompt.boxes.empty());
    board.faults().silentAfter = board.receivedCount() + 4; // answers the channel byte only
    EXPECT_FALSE(plsLink.RecallChannel(4));
    EXPECT_EQ(plsLink.ChannelRecallState(), 0); // nothing left of the last recall
    EXPECT_EQ(plsLink.ChannelRecallPos(), 0);
}

TEST_F(PlsTest, ABusyPlsIsPolledUntilReady) {
    pls().busyUs = 50'000;
    EXPECT_TRUE(plsLink.ClearPLSChan(2));
    // The channel and five zeros; READY busy (0x55) at least once, then ready (0), then 0x55.
    EXPECT_TRUE(sent().startsWith(bytes({0xFF, 27, 2, 0, 0, 0, 0, 0, 0x38, 0x55, 0x38})));
    EXPECT_TRUE(sent().endsWith(ready()));
    EXPECT_TRUE(board.bytesToPc().endsWith(bytes({0x55, 0, 0x55})));
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(PlsTest, NoReadyAsksAfterThreeSecondsAndRetryWaitsTwoMore) {
    pls().neverReady = true;
    std::vector<qint64> asked;
    const qint64 start = clock.nowUs();
    for (const MsgAnswer a : {MsgAnswer::Retry, MsgAnswer::Cancel})
        prompt.answerWith([&, a](const Box&) {
            asked.push_back(clock.nowUs() - start);
            return a;
        });
    EXPECT_FALSE(plsLink.PulseTrain(1, 10, 20, 0));
    const Box readyBox = commWarning("Cannot Determine PLS READY Mode Within Target Board.");
    const Box programBox{"PLS Pulse Train",
                         "Error Encountered while Programming Pulse Train.\r\n\r\n"
                         "PLS Channel will not be Programmed.",
                         MsgButtons::Ok, MsgIcon::Information};
    EXPECT_EQ(prompt.boxes, Boxes({readyBox, readyBox, programBox}));
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_GE(asked[0], 3'000'000);
    EXPECT_LT(asked[0], 3'100'000);
    EXPECT_GE(asked[1] - asked[0], 2'000'000);
    EXPECT_LT(asked[1] - asked[0], 2'100'000);
    EXPECT_TRUE(link.CommError());
}

TEST_F(PlsTest, ABoardLostDuringTheReadyWaitIsReportedOnce) {
    board.faults().silentAfter = board.receivedCount() + 8; // the handshake and the record
    EXPECT_FALSE(plsLink.ClearPLSChan(2));
    EXPECT_TRUE(link.CommError());
    EXPECT_EQ(prompt.boxes, Boxes{commWarning(kNoAnswer)});
}

TEST_F(PlsTest, SetOffsetMakesTheDesiredPositionCurrentWithinTheScaleFactor) {
    // scale, desired position, offset then, the refusal; an offset modulo 0 cannot be computed
    // clang-format off
    const std::tuple<int, int, int, const char*> cases[] = {
        {360, 0, 110, nullptr}, {360, 360, 110, nullptr}, {360, 100, 10, nullptr},
        {360, 50, 60, nullptr}, {360, 359, 111, nullptr},
        {360, 361, 10, "Desired Position cannot be greater than Scale Factor of 360."},
        {0, 0, 10, "Scale Factor is 0."}};
    // clang-format on
    for (auto [scale, desired, offset, reason] : cases) {
        SCOPED_TRACE(desired);
        setPls(scale, 10, 100);
        clear();
        EXPECT_EQ(plsLink.SetPLSOffset(desired), !reason);
        const QByteArray reads = wordRead(40) + wordRead(72) + wordRead(24);
        EXPECT_EQ(sent(),
                  reason ? reads : reads + bytes({0xFF, 42, offset % 256, offset / 256}) + ready());
        EXPECT_EQ(pls().offset(), offset);
        EXPECT_EQ(prompt.boxes, reason ? Boxes{refusal("Set PLS Offset", reason,
                                                       "PLS Offset will not be Programmed.")}
                                       : Boxes{});
        if (!reason) {
            EXPECT_EQ(plsLink.PLSPos(), QString::number(desired % 360));
        }
    }
}

TEST_F(PlsTest, ConfigurationGoesDownInFourBlocksAndAWordAndComesBack) {
    PlsLink::PlsConfig config{};
    for (int i = 0; i < PlsLink::kPlsConfigEntries; ++i)
        config[size_t(i)] = 10 + i;
    EXPECT_TRUE(plsLink.PLSConfigDownload(config, 0x1234));
    QByteArray expected;
    for (int b = 0, e = 10; b < 4; ++b, e += 6)
        expected += record(59 + 16 * b, {e, e + 1, e + 2, e + 3, e + 4, e + 5});
    EXPECT_EQ(sent(), expected + bytes({0xFF, 26, 0x34, 0x12}) + ready());

    board.clearTranscript();
    const PlsLink::PlsConfigTable table = plsLink.PLSConfigUpload();
    EXPECT_EQ(sent(), bytes({0xFF, 12}) + QByteArray(PlsLink::kPlsConfigBytes, char(0x55)));
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(table[size_t(i)], 10 + i) << i;
    EXPECT_EQ(std::pair(table[17], table[18]), std::pair(0x34, 0x12));
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
    EXPECT_EQ(prompt.boxes[1], (Box{"PLS Upload", "Not able to Upload Configuration from PLS.",
                                    MsgButtons::Ok, MsgIcon::Exclamation}));
    for (int i = 0; i < PlsLink::kPlsConfigBytes; ++i)
        EXPECT_EQ(after[size_t(i)], i < 5 ? 100 + i : before[size_t(i)]) << i;
}

TEST_F(PlsTest, NothingIsSentForValuesARecordCannotCarryNorAfterTheBoardWasLost) {
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
    const std::function<bool()> afterLoss[] = {
        [&] { return plsLink.PLSOffset() != "-9999"; },
        [&] { return plsLink.PLSPos() != "-9999"; },
        [&] { return plsLink.PLSRpm() != "-9999"; },
        [&] { return plsLink.SingleSetpoint(1, 10, 20, true); },
        [&] { return plsLink.PulseTrain(1, 10, 20, 0); },
        [&] { return plsLink.ClearPLSChan(1); },
        [&] { return plsLink.RecallChannel(1); },
        [&] { return plsLink.SetPLSOffset(0); },
        [&] { return plsLink.PLSConfigDownload({}, 0); },
    };
    const auto nothingSent = [&](const auto& calls, size_t boxes) {
        const qint64 before = clock.nowUs();
        for (size_t i = 0; i < std::size(calls); ++i)
            EXPECT_FALSE(calls[i]()) << i;
        EXPECT_TRUE(sent().isEmpty());
        EXPECT_EQ(clock.nowUs(), before);
        EXPECT_EQ(prompt.boxes.size(), boxes);
    };
    nothingSent(refused, 0);
    EXPECT_FALSE(link.CommError());
    board.faults().silent = true;
    EXPECT_EQ(plsLink.PLSScaleFactor(), "-9999");
    EXPECT_TRUE(link.CommError());
    board.faults().silent = false;
    board.clearTranscript();
    nothingSent(afterLoss, 1); // the link's Retry/Cancel box, cancelled
}

} // namespace
