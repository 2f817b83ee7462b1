#include "link/Address.h"
#include "link/CommSettings.h"
#include "link/PlsLink.h"
#include "link/QtSerialPort.h"
#include "support/LinkFixture.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kalvex::test {

inline bool operator==(const Box& a, const Box& b) {
    return std::tie(a.title, a.text, a.buttons, a.icon) ==
           std::tie(b.title, b.text, b.buttons, b.icon);
}
inline void PrintTo(const Box& b, std::ostream* os) {
    *os << '[' << b.title.toStdString() << "] " << b.text.toStdString() << " (buttons "
        << int(b.buttons) << ", icon " << int(b.icon) << ')';
}
using Boxes = std::vector<Box>;

inline Box commWarning(const QString& text) {
    return {"WARNING - Communication Error!", text, MsgButtons::RetryCancel, MsgIcon::Critical};
}
inline const QString kNoAnswer = "Cannot Communicate with Target Board.\rVerify RS-232 Cable is "
                                 "Connected Between\rCOMM Port and PROG Port.";

// Another port as the link sees it, keeping each wait's time-out.
class PortLog final : public SerialPort {
  public:
    explicit PortLog(SerialPort& port) : m_port(port) {}
    bool open(const PortSettings& s, PortOpenError* e) override { return m_port.open(s, e); }
    void close() override { m_port.close(); }
    bool isOpen() const override { return m_port.isOpen(); }
    int bytesWaiting() override { return m_port.bytesWaiting(); }
    void discardInput() override { m_port.discardInput(); }
    void send(quint8 byte) override { m_port.send(byte); }
    int take() override { return m_port.take(); }
    bool waitForInput(int timeoutMs) override {
        waits.push_back(timeoutMs);
        return m_port.waitForInput(timeoutMs);
    }
    QString deviceName() const override { return m_port.deviceName(); }
    bool usesPortNumber() const override { return m_port.usesPortNumber(); }
    bool lowLatency() const override { return m_port.lowLatency(); }

    std::vector<int> waits;

  private:
    SerialPort& m_port;
};

} // namespace kalvex::test

using namespace kalvex;
using namespace kalvex::test;

namespace {

// Answers the boxes in turn, noting when each came up (microseconds after the call).
class LinkTest : public LinkFixture {
  protected:
    void answerNoting(std::initializer_list<MsgAnswer> answers) {
        const qint64 start = clock.nowUs();
        for (const MsgAnswer a : answers)
            prompt.answerWith([this, a, start](const Box&) {
                asked.push_back(clock.nowUs() - start);
                return a;
            });
    }
    std::vector<qint64> asked;
};

using ReadTest = LinkFixture;

TEST_F(ReadTest, ValuesFollowTheBoardLayouts) {
    board.poke(212, 0x34);
    board.poke(213, 0x12);
    board.setValue("W50", 65535);
    board.setValue("D1100", 123456);
    board.poke(1016, 0b1010'0101);
    board.poke(32 + 825 / 8, 0b0000'0010);
    const std::pair<const char*, const char*> cases[] = {
        {"W212", "4660"}, {"w50", "65535"}, {"D1100", "123456"}, {"B1016", "165"},
        {"B1016.0", "1"}, {"B1016.1", "0"}, {"B1016.7", "1"},    {"F825", "1"},
        {"F824", "0"},    {"3F8H", "165"},  {"W1100", "3456"},   {"W1102", "12"}};
    for (auto [add, expected] : cases)
        EXPECT_EQ(link.RSRead(add), expected) << add;
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(ReadTest, HandshakeOnceForARunOfReadsAndAgainAfterAWrite) {
    link.RSRead("B100");
    link.RSRead("b100");
    link.RSRead("B101");
    link.RSWrite("B100", "7");
    link.RSWrite("B101", "8");
    link.RSRead("B100");
    EXPECT_EQ(sent(), bytes({0xFF, 1, 0, 100, 0, 100, 0,   101, // reads
                             0xFF, 2, 0, 100, 7, 0,   101, 8,   // writes
                             0xFF, 1, 0, 100}));                // read again
    EXPECT_EQ(board.peek(100), 7);
    EXPECT_EQ(board.peek(101), 8);
}

TEST_F(ReadTest, AWrongAddressEchoFailsTheReadAndDropsTheMode) {
    link.RSRead("W300");
    board.faults().wrongEchoAt = {board.receivedCount() + 1}; // the high address byte
    EXPECT_EQ(link.readValue("W300").failure, LinkFailure::WrongEcho);
    EXPECT_EQ(link.boardMode(), 0);
    EXPECT_EQ(link.RSRead("W300"), QString::number(board.value("W300")));
}

TEST_F(ReadTest, AddressesOutsideTheBoardAreRefusedWithoutTraffic) {
    for (const char* add : {"B70000", "W65535", "D65534", "F600000", "B10.9"}) {
        EXPECT_EQ(link.RSRead(add), "0") << add;
        EXPECT_EQ(link.lastFailure(), LinkFailure::RefusedInput) << add;
    }
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_FALSE(link.CommError());
}

using WriteTest = LinkFixture;

TEST_F(WriteTest, ValuesAreLaidOutLowByteFirstAndTheirTextCleaned) {
    link.RSWrite("W50", "4660");
    EXPECT_EQ(sent(), bytes({0xFF, 2, 0, 50, 0x34, 0, 51, 0x12}));
    link.RSWrite("D1100", "123456");
    EXPECT_EQ(board.value("W1100"), 3456); // ten thousands in the second word
    EXPECT_EQ(board.value("W1102"), 12);
    link.RSWrite("D1200", "655359999");
    EXPECT_EQ(board.value("D1200"), 655359999);
    const std::pair<const char*, qint64> cases[] = {{"1,000", 1000},  {"12.5", 125}, {" 7 %", 7},
                                                    {"45\u00B0", 45}, {"", 0},       {"0,5", 5}};
    for (auto [text, expected] : cases) {
        link.RSWrite("W60", QString::fromUtf8(text));
        EXPECT_EQ(board.value("W60"), expected) << text;
    }
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(WriteTest, RefusedEntriesShowTheAlertAndSendNothing) {
    const char *num = "Only Numerical Data Allowed.", *bit = "Enter 0 or 1 Only.",
               *word = "Entry out of Range (0-65,535).", *add = "Address out of Range (0-65,535).";
    // clang-format off
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"W50", "-5", num}, {"W50", "12a", num}, {"W50", "1e3", num}, {"B1016.0", "2", bit},
        {"F825", "10", bit}, {"B50", "256", "Entry out of Range (0-255)."}, {"W50", "70000", word},
        {"W50", "99999999999999999999", word}, {"D50", "655360000", "Entry out of Range (0-655,359,999)."},
        {"W65535", "1", add}, {"B70000", "1", add}};
    // clang-format on
    for (auto [address, value, message] : cases) {
        SCOPED_TRACE(testing::Message() << address << " " << value);
        prompt.boxes.clear();
        EXPECT_EQ(link.writeValue(address, value).failure, LinkFailure::RefusedInput);
        EXPECT_EQ(prompt.boxes, Boxes({{"ENTRY ALERT", QStringLiteral("Error:\r") + message,
                                        MsgButtons::Ok, MsgIcon::Critical}}));
    }
    EXPECT_TRUE(sent().isEmpty());
}

TEST_F(WriteTest, BitWriteChangesOnlyItsBit) {
    board.poke(1016, 0b1010'0100);
    link.RSWrite("B1016.0", "1");
    EXPECT_EQ(board.peek(1016), 0b1010'0101);
    link.RSWrite("B1016.7", "0");
    EXPECT_EQ(board.peek(1016), 0b0010'0101);
    link.RSWrite("F825", "1");
    EXPECT_EQ(board.peek(135), 0b10);
    // Read mode for the old byte, write mode for the new one.
    EXPECT_EQ(sent().left(9), bytes({0xFF, 1, 3, 0xF8, 0xFF, 2, 3, 0xF8, 0b1010'0101}));
}

TEST_F(WriteTest, WrongEchoRepeatsTheWholeWriteOnceThenFails) {
    // Wrong echoes (bytes after the start), outcome, bytes sent; failing first drops the mode.
    const std::tuple<std::vector<qint64>, LinkFailure, QByteArray> cases[] = {
        {{5, 10}, LinkFailure::WrongEcho, bytes({0xFF, 2, 0, 50, 7, 0xFF, 2, 0, 50, 7})},
        // The board takes the next 0xFF as its data byte after the low address byte's echo.
        {{4}, LinkFailure::None, bytes({0xFF, 2, 0, 50, 0xFF, 0xFF, 2, 0, 50, 7})}};
    for (const auto& [wrong, failure, wire] : cases) {
        board.clearTranscript();
        for (const qint64 at : wrong)
            board.faults().wrongEchoAt.insert(board.receivedCount() + at);
        EXPECT_EQ(link.writeValue("B50", "7").failure, failure);
        EXPECT_EQ(sent(), wire);
        EXPECT_EQ(link.boardMode(), failure == LinkFailure::None ? 2 : 0);
    }
    EXPECT_EQ(board.peek(50), 7);
    EXPECT_TRUE(prompt.boxes.empty());
}

using TimeoutTest = LinkTest;

TEST_F(TimeoutTest, SilentBoardRaisesTheBoxAfterFiveSecondsAndCancelStopsTheLink) {
    board.faults().silent = true;
    answerNoting({MsgAnswer::Cancel});
    EXPECT_EQ(link.RSRead("W50"), "0");
    EXPECT_EQ(link.lastFailure(), LinkFailure::NoAnswer);
    EXPECT_EQ(asked, std::vector<qint64>{5'000'000});
    EXPECT_EQ(prompt.boxes, Boxes{commWarning(kNoAnswer)});
    EXPECT_TRUE(link.CommError());
    // The attention byte and two resynchronising 0xFF, nothing else.
    EXPECT_EQ(sent(), bytes({0xFF, 0xFF, 0xFF}));

    board.faults().silent = false;
    board.clearTranscript();
    const qint64 before = clock.nowUs();
    EXPECT_EQ(link.RSRead("W50"), "0");
    link.RSWrite("W50", "5");
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_EQ(clock.nowUs(), before);
    EXPECT_EQ(prompt.boxes.size(), 1u);
}

TEST_F(TimeoutTest, RetryResumesWhenTheBoardAnswersAgain) {
    board.setValue("W50", 321);
    link.RSRead("W52"); // read mode is set
    board.faults().silent = true;
    prompt.answerWith([&](const Box&) {
        board.faults().silent = false; // cable plugged back in
        return MsgAnswer::Retry;
    });
    // The retry's 0xFF is answered 0x55, no echo: this read fails; the next sets the mode again.
    link.RSRead("W50");
    EXPECT_FALSE(link.CommError());
    EXPECT_EQ(link.RSRead("W50"), "321");
    EXPECT_EQ(prompt.boxes.size(), 1u);
}

TEST_F(TimeoutTest, EachReplyIsAwaitedByOneWaitForTheRestOfItsTimeOut) {
    // The waits (ms) of a one-byte read: silent, 1 s then 2 s per resynchronising 0xFF.
    const std::tuple<const char*, bool, qint64, std::vector<int>> cases[] = {
        {"prompt replies", false, 0, {1000, 1000}},
        {"slow replies", false, 900'000, {1000, 1000}},
        {"silent board", true, 0, {1000, 2000, 2000}}};
    board.setValue("B61", 42);
    PortLog log(port);
    link.setOnlineMode(false);
    link.attachPort(log);
    link.setOnlineMode(true);
    prompt.answerWith([](const Box&) { return MsgAnswer::Cancel; });
    for (const auto& [name, silent, delayUs, waits] : cases) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(link.readValue("B60")); // read mode is set
        board.faults().silent = silent;
        board.faults().replyDelayUs = delayUs;
        log.waits.clear();
        const LinkResult r = link.readValue("B61");
        EXPECT_EQ(log.waits, waits);
        EXPECT_EQ(r.ok(), !silent); // a slow reply within its second is no error
        EXPECT_EQ(r.value, silent ? 0 : board.value("B61"));
    }
}

TEST_F(TimeoutTest, RefusedModeAsksAfterTwoSecondsAndCancelTakesTheLinkOffline) {
    board.faults().refuseModes = true;
    board.faults().replyDelayUs = 10'000;
    answerNoting({MsgAnswer::Retry, MsgAnswer::Cancel});
    EXPECT_EQ(link.RSRead("W50"), "0");
    EXPECT_EQ(prompt.boxes, Boxes(2, commWarning("Cannot Set PLC Mode Within Target Board.")));
    EXPECT_GE(asked.at(0), 2'000'000);
    EXPECT_LT(asked.at(0), 2'100'000);
    EXPECT_TRUE(link.CommError());
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_FALSE(port.isOpen());
}

TEST_F(ReadTest, RevisionAndFaultCodeOnlyFromABoardThatAnswers) {
    board.setValue("B8159", 42);
    board.setValue("B8176", 0x5C);
    EXPECT_EQ(link.FirmwareRev(), 42);
    EXPECT_EQ(link.FaultCode(), 0x5C);
    board.faults().silent = true;
    EXPECT_EQ(link.FaultCode(), 0);
    EXPECT_TRUE(link.CommError());
    link.CloseRSComm();
    link.setCommError(false); // being offline alone keeps the revision read off the wire
    board.clearTranscript();
    EXPECT_EQ(link.FirmwareRev(), -1);
    EXPECT_TRUE(sent().isEmpty());
}

TEST(ParseAddress, ReadsEveryFormAndRefusesCellsThatDoNotExist) {
    // address, type, byte, bit mask (0: not a bit)
    const std::tuple<const char*, char, qint64, int> cases[] = {
        {"B2088", 'B', 2088, 0},   {"b2088", 'B', 2088, 0},   {"w112", 'W', 112, 0},
        {"D1100", 'D', 1100, 0},   {"B1016.0", 'B', 1016, 1}, {"F1016.0", 'B', 1016, 1},
        {"X1016.0", 'B', 1016, 1}, {"W20.7", 'B', 20, 128},   {"F825", 'B', 135, 2},
        {"F0", 'B', 32, 1},        {"F7", 'B', 32, 128},      {"F8", 'B', 33, 1},
        {"FFH", 'B', 255, 0},      {"1F40h", 'B', 8000, 0},   {"7H", 'B', 7, 0},
        {"Q77", 'B', 32, 0},       {"", 'B', 32, 0},          {"W65534", 'W', 65534, 0},
        {"D65532", 'D', 65532, 0}};
    for (const auto& [add, type, byte, mask] : cases) {
        const ParsedAddress p = parseAddress(add);
        EXPECT_TRUE(p.valid) << add;
        EXPECT_EQ(p.type, QChar::fromLatin1(type)) << add;
        EXPECT_EQ(p.byteAddress, byte) << add;
        EXPECT_EQ(p.bitMode ? p.bitMask : 0, mask) << add;
    }
    for (const char* add : {"B70000", "W65535", "D65534", "F600000", "FFFFFFH", "B-1", "F-1",
                            "B10.8", "B10.x", "B.0", "Bab.1"})
        EXPECT_FALSE(parseAddress(add).valid) << add;
}

TEST(BoardPoints, EquateAddMapsPointsToBytesAndValidAddAppliesRangesPerBoardGroup) {
    const std::tuple<const char*, int, const char*> cases[] = {
        {"X30.3", '1', "B49.3"}, {"Y141", '1', "B67"}, {"Y151", '2', "B191"},  {"X0", '2', "B160"},
        {"I151", '2', "B223"},   {"X12", '2', "X12"},  {"Y1.9", ':', "B50.7"}, {"x11", ';', "B52"},
        {"Y21", 'A', "B54"},     {"Y11", '=', "B52"},  {"X10", 'D', "X10"},    {"I0", '1', "I0"},
        {"W100", '2', "W100"},   {"", '2', ""}};
    for (auto [var, board, expected] : cases)
        EXPECT_EQ(equateAdd(var, board), expected) << var << " on " << char(board);
    const std::tuple<const char*, int, bool> valid[] = {
        {"W113", 'D', false},  {"W112", 'D', true},  {"B31", '1', false},   {"B32", '1', true},
        {"B255", '1', true},   {"B256", '1', false}, {"B8275", 'D', true},  {"B8276", '2', false},
        {"B65535", '9', true}, {"W8274", '2', true}, {"D8276", 'D', false}, {"F120", '1', true},
        {"F121", '1', false},  {"F991", 'D', true},  {"X12", '1', false},   {"X151", '1', true},
        {"X10", 'D', false},   {"X21", '4', true},   {"X22", '4', false},   {"I21", '3', true},
        {"I1", '9', false},    {"Y1", 0, false},     {"Z0", '1', true},     {"Z1", '1', false},
        {"X1.3", '1', true}};
    for (auto [var, board, ok] : valid)
        EXPECT_EQ(validAdd(var, board), ok) << var << " on " << char(board);
}

class PlsTest : public LinkTest {
  protected:
    void SetUp() override {
        LinkTest::SetUp();
        pls().busyUs = 0;
        setPls(360, 10, 100);
    }
    sim::PlsUnit& pls() { return board.pls(); }
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

// Each call reads the scale factor first; setting an offset reads the offset and position too.
TEST_F(PlsTest, ProgrammingIsCheckedAgainstTheScaleFactorReadFirst) {
    const QByteArray s = wordRead(24), o = wordRead(40) + wordRead(72) + s;
    const auto newOffset = [](int v) { return bytes({0xFF, 42, v % 256, v / 256}) + ready(); };
    const QString over = "Setpoint setting %1 is greater than scale factor.";
    const QString zero = "ON Division and OFF Division Must be Greater Than 0.";
    enum { Single, Train, Offset };
    const char* kinds[][2] = {{"PLS Single Setpoint", "Channel can not be programmed."},
                              {"PLS Pulse Train", "PLS Channel will not be Programmed."},
                              {"Set PLS Offset", "PLS Offset will not be Programmed."}};
    // the call, scale, its arguments, the bytes sent, the refusal (empty: programmed)
    // clang-format off
    const std::tuple<int, int, std::array<int, 3>, QByteArray, QString> cases[] = {
        {Single, 360, {300, 20, 0}, s + record(27, {5, 300 % 256, 1, 20, 0, 1}), ""},
        {Single, 360, {359, 0, 1}, s + record(27, {5, 0, 0, 0, 0, 0}) + record(27, {5, 359 % 256, 1, 0, 0, 1}), ""},
        {Single, 360, {360, 20, 1}, s, over.arg(360)}, {Single, 360, {20, 360, 1}, s, over.arg(360)},
        {Single, 360, {400, 500, 1}, s, over.arg(400)},
        {Train, 360, {10, 20, 0}, s + record(43, {7, 0, 0, 10, 20, 0}), ""},
        {Train, 360, {10, 25, 0}, s, "ON Division Plus OFF Division\r\nMust be a Multiple of 360."},
        {Train, 256, {255, 1, 255}, s + record(43, {7, 255, 0, 255, 1, 0}), ""},
        {Train, 512, {256, 256, 0}, s, "ON Division or OFF Division Must be Less Than 255."},
        {Train, 360, {0, 20, 0}, s, zero}, {Train, 360, {20, 0, 0}, s, zero}, {Train, 360, {-10, 40, 0}, s, zero},
        {Train, 360, {10, 20, 360}, s, "Start Position Must Not Be Greater Than 359."},
        {Offset, 360, {0}, o + newOffset(110), ""}, {Offset, 360, {360}, o + newOffset(110), ""},
        {Offset, 360, {100}, o + newOffset(10), ""}, {Offset, 360, {50}, o + newOffset(60), ""},
        {Offset, 360, {359}, o + newOffset(111), ""},
        {Offset, 360, {361}, o, "Desired Position cannot be greater than Scale Factor of 360."},
        {Offset, 0, {0}, o, "Scale Factor is 0."}}; // an offset modulo 0 cannot be computed
    // clang-format on
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& [kind, scale, a, wire, reason] = cases[i];
        SCOPED_TRACE(testing::Message() << "row " << i);
        setPls(scale, 10, 100);
        prompt.boxes.clear();
        board.clearTranscript();
        const bool done = kind == Single  ? plsLink.SingleSetpoint(5, a[0], a[1], a[2])
                          : kind == Train ? plsLink.PulseTrain(7, a[0], a[1], a[2])
                                          : plsLink.SetPLSOffset(a[0]);
        EXPECT_EQ(done, reason.isEmpty());
        EXPECT_EQ(sent(), wire);
        const Box refusal{kinds[kind][0], reason + "\r\n\r\n" + kinds[kind][1], MsgButtons::Ok,
                          MsgIcon::Exclamation};
        EXPECT_EQ(prompt.boxes, reason.isEmpty() ? Boxes{} : Boxes{refusal});
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
    answerNoting({MsgAnswer::Retry, MsgAnswer::Cancel});
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
    // clang-format off
    const std::function<bool()> refused[] = {
        [&] { return plsLink.SingleSetpoint(256, 10, 20); }, [&] { return plsLink.SingleSetpoint(-1, 10, 20); },
        [&] { return plsLink.SingleSetpoint(1, -10, 20); }, [&] { return plsLink.PulseTrain(300, 10, 20, 0); },
        [&] { return plsLink.PulseTrain(1, 10, 20, -1); }, [&] { return plsLink.ClearPLSChan(256); },
        [&] { return plsLink.RecallChannel(-1); }, [&] { return plsLink.PLSConfigDownload(wide, 0); },
        [&] { return plsLink.PLSConfigDownload({}, 65536); }};
    const std::function<bool()> afterLoss[] = {
        [&] { return plsLink.PLSOffset() != "-9999"; }, [&] { return plsLink.PLSPos() != "-9999"; },
        [&] { return plsLink.PLSRpm() != "-9999"; }, [&] { return plsLink.SingleSetpoint(1, 10, 20, true); },
        [&] { return plsLink.PulseTrain(1, 10, 20, 0); }, [&] { return plsLink.ClearPLSChan(1); },
        [&] { return plsLink.RecallChannel(1); }, [&] { return plsLink.SetPLSOffset(0); },
        [&] { return plsLink.PLSConfigDownload({}, 0); }};
    // clang-format on
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

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}
QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class SetupTest : public ::testing::Test, protected SimulatedLink {};

TEST_F(SetupTest, AnUnusableSettingsFileAsksAndOpensNothing) {
    const QString path = home.filePath("support/RSPort.cfg"), folder = home.filePath("support");
    const QString unreadable = "Error Number = 13\r\n\r\n" + path + ": ";
    const std::pair<QByteArray, QString> cases[] = {
        {"COM3,9600\r\n",
         unreadable + "\"COM3,9600\" is not a port number and a speed, such as 3,9600."},
        {QByteArray("\x01\xff\x00", 3), unreadable + "its first line is not text."},
        {"", "Error Number = 76\r\n\r\nCannot write " + path + ": the folder " + folder +
                 " cannot be made."}}; // support/ is a plain file
    for (const auto& [line, text] : cases) {
        QFile::remove(folder) || QDir(folder).removeRecursively();
        line.isEmpty() ? writeFile(folder, "x") : writeFile(path, line);
        prompt.boxes.clear();
        prompt.answer(MsgAnswer::Cancel);
        link.OpenRSComm(port);
        EXPECT_EQ(prompt.boxes, Boxes({{"RSComm InitializeRSComm", text, MsgButtons::RetryCancel,
                                        MsgIcon::Critical}}));
        EXPECT_FALSE(link.OnlineMode());
        EXPECT_TRUE(link.portFailed());
        EXPECT_EQ(port.openCount(), 0);
        EXPECT_TRUE(board.bytesFromPc().isEmpty());
        EXPECT_EQ(readFile(line.isEmpty() ? folder : path), line.isEmpty() ? "x" : line);
    }
    QFile::remove(folder);
    prompt.answerWith([&](const Box&) {
        writeFile(path, "3,19200\r\n"); // mended while the box was up
        return MsgAnswer::Retry;
    });
    writeFile(path, "COM3,9600\r\n");
    link.OpenRSComm(port);
    EXPECT_TRUE(link.OnlineMode());
    EXPECT_EQ(port.lastSettings().portNumber, 3);
}

// Installed, the program folder is never touched (even as root); only defaults are written.
TEST_F(SetupTest, UserSettingsComeFirstAndAnUnwritableProgramFolderSavesThere) {
    enum Where { Program, User, System };
    // User, program ("!": support/ a file) and system (nullptr: not installed) files.
    const std::tuple<const char*, const char*, const char*, const char*, int, int, Where, Where>
        cases[] = {
            {"user file wins", "5,19200\r\n", "2,9600\r\n", nullptr, 5, 19200, User, User},
            {"program file alone", nullptr, "3,19200\r\n", nullptr, 3, 19200, Program, Program},
            {"nothing yet, writable", nullptr, nullptr, nullptr, 1, 9600, Program, Program},
            {"empty program file", nullptr, "", nullptr, 1, 9600, Program, Program},
            {"nothing yet, unwritable", nullptr, "!", nullptr, 1, 9600, User, User},
            {"installed, system file", nullptr, "2,9600\r\n", "3,9600\r\n", 3, 9600, System, User},
            {"installed, user file wins", "5,9600\r\n", nullptr, "3,9600\r\n", 5, 9600, User, User},
            {"installed, nothing yet", nullptr, "2,9600\r\n", "", 1, 9600, User, User}};
    for (const auto& [name, userFile, programFile, systemFile, number, baud, reads, saves] :
         cases) {
        SCOPED_TRACE(name);
        QTemporaryDir dir;
        const QString program = dir.filePath("program"), user = dir.filePath("user");
        const QString paths[] = {program + "/support/RSPort.cfg", user + "/RSPort.cfg",
                                 dir.filePath("etc/kalvex/RSPort.cfg")};
        QDir().mkpath(program);
        if (userFile) writeFile(paths[User], userFile);
        if (programFile)
            writeFile(*programFile == '!' ? program + "/support" : paths[Program], programFile);
        if (systemFile && *systemFile) writeFile(paths[System], systemFile);
        const QByteArray programBefore = readFile(paths[Program]);
        RSComm l(prompt, clock, program);
        l.setUserSettingsFolder(user);
        if (systemFile) l.setSystemSettingsFile(paths[System]);
        l.OpenRSComm(port);
        EXPECT_TRUE(l.OnlineMode());
        EXPECT_EQ(port.lastSettings().portNumber, number);
        EXPECT_EQ(port.lastSettings().baud, baud);
        EXPECT_EQ(l.CommSettingsFile(), paths[reads]);
        EXPECT_EQ(l.CommSettingsSaveFile(), paths[saves]);
        const char* given[] = {programFile, userFile, systemFile};
        EXPECT_EQ(readFile(paths[reads]),
                  given[reads] && *given[reads] ? given[reads] : "1,9600\r\n");
        if (systemFile) {
            EXPECT_EQ(readFile(paths[Program]), programBefore);
        }
        l.CloseRSComm();
    }
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(SetupTest, PortThatCannotOpenSaysWhy) {
    port.failNextOpen({2, QStringLiteral("QSerialPort"), QStringLiteral("No such port.")});
    link.OpenRSComm(port);
    EXPECT_EQ(prompt.boxes,
              Boxes({{"Comm Port Error",
                      "Error Number = 2\r\nError Source = QSerialPort\r\n\r\nNo such port.",
                      MsgButtons::Ok, MsgIcon::Critical}}));
    EXPECT_TRUE(link.CommError());
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_TRUE(link.portFailed());
    // Denied: the device's group and the new login, once (then a reference); busy: another matter.
    const std::tuple<int, QString, bool, QStringList, QStringList> texts[] = {
        // clang-format off
        {EBUSY, "dialout", true, {"ModemManager"}, {"dialout", "log out"}},
        {EACCES, "dialout", true, {"'dialout'", "usermod -aG dialout", "log out and in"}, {"Modem"}},
        {EACCES, "uucp", true, {"'uucp'", "usermod -aG uucp"}, {"dialout"}},
        {EACCES, "", true, {"ls -l /dev/ttyUSB0", "dialout (a udev rule)", "another port"}, {"usermod", "-aG"}},
        {EACCES, "dialout", false, {"denied", "first message"}, {"usermod"}},
        // clang-format on
    };
    for (const auto& [error, group, withFix, with, without] : texts) {
        const QString text = QtSerialPort::busyOrDeniedText("/dev/ttyUSB0", error, group, withFix);
        for (const QString& part : with + without)
            EXPECT_EQ(text.contains(part), with.contains(part)) << qPrintable(part + " in " + text);
    }
    // Only a group that may read and write the device, and is neither root nor tty, is named.
    const QString fake = home.filePath("ttyFake");
    writeFile(fake, "");
    const group* dialout = ::getgrnam("dialout");
    if (::getuid() == 0 && dialout) {
        ASSERT_EQ(::chown(qPrintable(fake), uid_t(-1), dialout->gr_gid), 0);
    }
    const QString name = QFileInfo(fake).groupId() != 0 ? QFileInfo(fake).group() : QString();
    const std::tuple<QString, int, QString> groups[] = {
        {"/dev/null", 0, ""}, {"/dev/tty", 0, ""}, {home.filePath("none"), 0, ""},
        {fake, 0660, name},   {fake, 0600, ""},    {fake, 0640, ""}}; // root:root and root:tty 0666
    for (const auto& [device, mode, expected] : groups) {
        ASSERT_EQ(mode ? ::chmod(qPrintable(device), mode_t(mode)) : 0, 0);
        EXPECT_EQ(QtSerialPort::deviceGroup(device), expected) << qPrintable(device) << mode;
    }
}

// Open and close send one attention byte each (none to a silent board); reopening starts afresh.
TEST_F(SetupTest, OnlineChangesAndALostBoardAreAnnouncedOnceAndNeverWhileBusy) {
    std::vector<bool> changes;
    int lost = 0;
    bool busyWhenAnnounced = false;
    QObject::connect(&link, &RSComm::onlineModeChanged, [&](bool online) {
        changes.push_back(online);
        busyWhenAnnounced = busyWhenAnnounced || link.isBusy();
    });
    QObject::connect(&link, &RSComm::linkLost, [&] {
        ++lost;
        busyWhenAnnounced = busyWhenAnnounced || link.isBusy();
    });
    link.setOnlineMode(true); // no port attached: nothing to open
    EXPECT_FALSE(link.OnlineMode());
    link.attachPort(port);
    link.setOnlineMode(true);
    link.setOnlineMode(false);
    link.setOnlineMode(false);
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
    board.clearTranscript();
    link.OpenRSComm(port);
    EXPECT_EQ(board.bytesFromPc(), QByteArray("\xFF"));
    link.RSRead("B60");
    board.clearTranscript();
    link.CloseRSComm();
    EXPECT_EQ(board.bytesFromPc(), QByteArray("\xFF"));
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_EQ(link.boardMode(), 0);
    link.OpenRSComm(port);
    board.clearTranscript();
    link.RSRead("B60");
    EXPECT_EQ(board.bytesFromPc(), QByteArray("\xFF\x01\x00\x3C", 4));
    link.CloseRSComm();

    board.faults().silent = true; // switched off: the port stays open, the link goes offline
    link.OpenRSComm(port);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_TRUE(port.isOpen());
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_TRUE(link.CommError());
    link.RSRead("W300"); // still lost: no second announcement
    EXPECT_EQ(lost, 1);
    EXPECT_FALSE(busyWhenAnnounced);
    board.clearTranscript();
    link.CloseRSComm();
    EXPECT_TRUE(board.bytesFromPc().isEmpty());
    EXPECT_FALSE(port.isOpen());
}

TEST_F(SetupTest, SettingsAndFaultTextsComeFromASupportFolderOfAnyCase) {
    EXPECT_EQ(link.FaultDescription(10), "Fault Code (0AH): --- Fault File Not Found ---");
    writeFile(home.filePath("SUPPORT/rsport.CFG"), "7,19200\r\n");
    link.OpenRSComm(port);
    EXPECT_EQ(port.lastSettings().portNumber, 7);
    EXPECT_EQ(port.lastSettings().baud, 19200);
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList{"SUPPORT"});
    writeFile(
        home.filePath("SUPPORT/FaultErrCodes.txt"),
        "0a,Text\r\n0A,Second\r\n  5C ,  \"Program is invalid, download again\"  \r\nFF,Last\r\n"
        "100,Wide\r\ngarbage line without comma\r\n\"unterminated,quote\r\n05\r\n");
    // clang-format off
    const std::pair<int, const char*> cases[] = {
        {10, "Fault Code (0AH): Text"}, {0x5C, "Fault Code (5CH): Program is invalid, download again"},
        {255, "Fault Code (FFH): Last"}, {256, "Fault Code (100H): Wide"}, {5, "Fault Code (05H): "},
        {0x42, "Fault Code (42H): no text installed for this code"}};
    // clang-format on
    for (auto [code, text] : cases)
        EXPECT_EQ(link.FaultDescription(code), text) << code;
    EXPECT_TRUE(prompt.boxes.empty());
}

// A line without a port number and a speed gives nothing (port -1), never the defaults.
TEST(CommSettings, FirstLineGivesClampedPortSpeedAndDeviceAndATypedPortIsOneTo99) {
    // clang-format off
    const std::tuple<QByteArray, int, int, const char*> cases[] = {
        {"120,9600\r\n", 99, 9600, ""}, {"0,9600\r\n", 1, 9600, ""}, {"2,4800\r\n", 2, 9600, ""},
        {"2.5,19200\r\n", 2, 19200, ""}, {"3.5, 19200 \r\n", 4, 19200, ""},
        {" 4 ,  19200  \r\n", 4, 19200, ""}, {"5,\"19200\"\r\n", 5, 19200, ""},
        {"99999999999,19200", 99, 19200, ""}, {"1,19200,/dev/ttyUSB0\r\n", 1, 19200, "/dev/ttyUSB0"},
        {"2,9600,socket://gw1:2000", 2, 9600, "socket://gw1:2000"}, {"3,9600,n,8,1\r\n", 3, 9600, ""},
        {"COM3,9600\r\n", -1, 0, ""}, {"x\r\n7,19200\r\n", -1, 0, ""}, {"3\r\n", -1, 0, ""},
        {QByteArray("\x01\xff\x00\x33,9600", 8), -1, 0, ""}};
    // clang-format on
    for (const auto& [text, port, baud, device] : cases) {
        SCOPED_TRACE(text.toStdString());
        QString why;
        const std::optional<PortSettings> s = parseCommSettings(text, &why);
        ASSERT_EQ(s.has_value(), port > 0);
        EXPECT_EQ(why.isEmpty(), port > 0);
        if (!s) continue;
        EXPECT_EQ(s->portNumber, port);
        EXPECT_EQ(s->baud, baud);
        EXPECT_EQ(s->device, device);
    }
    EXPECT_EQ(formatCommSettings({1, 9600, "/dev/pts/4"}), "1,9600,/dev/pts/4\r\n");
    const std::pair<const char*, std::optional<int>> typed[] = {
        {"3", 3},    {" 99 ", 99}, {"2.5", 2},  {"1", 1},   {"0", std::nullopt},
        {"100", {}}, {"abc", {}},  {"", {}},    {"3x", {}}, {"0.5", {}},
        {"-1", {}},  {"99.4", {}}, {"98.6", 99}};
    for (auto [text, port] : typed)
        EXPECT_EQ(commPortFromText(text), port) << "typed " << text;
}

TEST(CommSettings, LoadSaveAndToolFilesOnlyInTheToolFoldersThatExist) {
    QTemporaryDir home;
    QDir dir(home.path());
    const QString cfg = home.filePath("support/RSPort.cfg");
    EXPECT_EQ(saveCommPortFiles(cfg, home.path(), {3, 9600, {}}), "");
    EXPECT_EQ(dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"support"});
    dir.mkdir("ORV51");
    dir.mkdir("div51"); // a folder copied from Windows in another case
    EXPECT_EQ(toolPortFiles(home.path()),
              QStringList({home.filePath("ORV51/ORVILO.SFG"), home.filePath("div51/ORVILO.SFG")}));
    EXPECT_EQ(saveCommPortFiles(cfg, home.path(), {3, 19200, {}}), "");
    EXPECT_EQ(readFile(cfg), "3,19200\r\n");
    EXPECT_EQ(readFile(home.filePath("ORV51/ORVILO.SFG")), "2\r\n");
    EXPECT_EQ(readFile(home.filePath("div51/ORVILO.SFG")), "2\r\n");
    EXPECT_FALSE(dir.exists("ORV96"));
    const QString path = home.filePath("other/RSPort.cfg");
    EXPECT_EQ(loadCommSettings(path, nullptr)->portNumber, 1); // absent: the defaults
    EXPECT_EQ(saveCommSettings(path, {3, 19200, {}}), "");     // the folder is made
    EXPECT_EQ(readFile(path), "3,19200\r\n");
    EXPECT_EQ(loadCommSettings(path, nullptr)->baud, 19200);
    writeFile(path, "");
    EXPECT_EQ(loadCommSettings(path, nullptr)->baud, 9600);
    const QString blocked = home.filePath("other/blocked.cfg");
    ASSERT_TRUE(QDir().mkpath(blocked));
    QString why;
    EXPECT_FALSE(loadCommSettings(blocked, &why));
    EXPECT_TRUE(why.contains("blocked.cfg")) << why.toStdString();
    EXPECT_TRUE(saveCommSettings(blocked, {}).contains("blocked.cfg"));
    writeFile(home.filePath("plain"), "x");
    const QString noFolder = saveCommSettings(home.filePath("plain/support/RSPort.cfg"), {});
    EXPECT_TRUE(noFolder.startsWith("The folder ")) << noFolder.toStdString();
}

// Every target is tried before any is written (as root too), and each failing one is named.
TEST(CommSettings, OneUnwritableTargetLeavesEveryFileAsItWas) {
    const struct {
        bool supportIsAFile, orv96Blocked;
        QStringList named;
    } cases[] = {
        {false, true, {"ORV96"}}, {true, false, {"support"}}, {true, true, {"support", "ORV96"}}};
    for (const auto& c : cases) {
        QTemporaryDir home;
        QDir dir(home.path());
        for (const char* tool : {"ORV51", "ORV96", "DIV51"})
            dir.mkdir(tool);
        if (c.orv96Blocked) dir.mkpath("ORV96/ORVILO.SFG");
        if (c.supportIsAFile) writeFile(home.filePath("support"), "x");
        const QString why =
            saveCommPortFiles(home.filePath("support/RSPort.cfg"), home.path(), {5, 9600, {}});
        EXPECT_TRUE(why.startsWith("Nothing was saved")) << why.toStdString();
        EXPECT_EQ(why.count('\n'), c.named.size()) << why.toStdString();
        for (const QString& name : c.named)
            EXPECT_TRUE(why.contains(home.filePath(name))) << why.toStdString();
        EXPECT_EQ(readFile(home.filePath("ORV51/ORVILO.SFG")), "<missing>");
        EXPECT_EQ(readFile(home.filePath("DIV51/ORVILO.SFG")), "<missing>");
        EXPECT_EQ(readFile(home.filePath("support")), c.supportIsAFile ? "x" : "<missing>");
    }
}

} // namespace
