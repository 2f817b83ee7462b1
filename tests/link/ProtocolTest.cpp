#include "Boxes.h"
#include "support/Bytes.h"
#include "support/LinkFixture.h"

using namespace kalvex;
using namespace kalvex::test;

namespace {

const Box kNoAnswerBox{"WARNING - Communication Error!",
                       "Cannot Communicate with Target Board.\rVerify RS-232 Cable is Connected "
                       "Between\rCOMM Port and PROG Port.",
                       MsgButtons::RetryCancel, MsgIcon::Critical};

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
        {"F824", "0"},    {"3F8H", "165"},  {"W1100", "3456"},   {"W1102", "12"},
    };
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

TEST_F(WriteTest, ValuesAreLaidOutLowByteFirstAndEchoed) {
    link.RSWrite("W50", "4660");
    EXPECT_EQ(sent(), bytes({0xFF, 2, 0, 50, 0x34, 0, 51, 0x12}));
    link.RSWrite("D1100", "123456");
    const int d[] = {3456 % 256, 3456 / 256, 12, 0};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(board.peek(1100 + i), d[i]) << i;
    link.RSWrite("D1200", "655359999");
    EXPECT_EQ(board.value("D1200"), 655359999);
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(WriteTest, ValueTextIsCleanedNotParsed) {
    const std::pair<const char*, qint64> cases[] = {
        {"1,000", 1000}, {"12.5", 125}, {" 7 %", 7}, {"45\u00B0", 45}, {"", 0}, {"0,5", 5},
    };
    for (auto [text, expected] : cases) {
        link.RSWrite("W60", QString::fromUtf8(text));
        EXPECT_EQ(board.value("W60"), expected) << text;
    }
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(WriteTest, RefusedEntriesShowTheAlertAndSendNothing) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"W50", "-5", "Only Numerical Data Allowed."},
        {"W50", "12a", "Only Numerical Data Allowed."},
        {"W50", "1e3", "Only Numerical Data Allowed."},
        {"B1016.0", "2", "Enter 0 or 1 Only."},
        {"F825", "10", "Enter 0 or 1 Only."},
        {"B50", "256", "Entry out of Range (0-255)."},
        {"W50", "70000", "Entry out of Range (0-65,535)."},
        {"W50", "99999999999999999999", "Entry out of Range (0-65,535)."},
        {"D50", "655360000", "Entry out of Range (0-655,359,999)."},
        {"W65535", "1", "Address out of Range (0-65,535)."},
        {"B70000", "1", "Address out of Range (0-65,535)."},
    };
    for (auto [add, value, message] : cases) {
        prompt.boxes.clear();
        EXPECT_EQ(link.writeValue(add, value).failure, LinkFailure::RefusedInput) << add;
        EXPECT_EQ(prompt.boxes, Boxes({{"ENTRY ALERT", QStringLiteral("Error:\r") + message,
                                        MsgButtons::Ok, MsgIcon::Critical}}))
            << add << " " << value;
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
    // Read mode for the old byte, write mode for the new one, each time.
    EXPECT_EQ(sent().left(9), bytes({0xFF, 1, 3, 0xF8, 0xFF, 2, 3, 0xF8, 0b1010'0101}));
}

TEST_F(WriteTest, WrongEchoRepeatsTheWholeWriteOnce) {
    board.faults().wrongEchoAt = {board.receivedCount() + 4}; // the low address byte's echo
    EXPECT_TRUE(link.writeValue("B50", "7"));
    // The board takes the next 0xFF as the data byte it was waiting for; the handshake then
    // starts again and the whole write is repeated.
    EXPECT_EQ(sent(), bytes({0xFF, 2, 0, 50, 0xFF, 0xFF, 2, 0, 50, 7}));
    EXPECT_EQ(board.peek(50), 7);
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(WriteTest, ASecondWrongEchoFailsWithoutABoxAndTheModeIsSetAgainNextTime) {
    const qint64 base = board.receivedCount();
    board.faults().wrongEchoAt = {base + 5, base + 10}; // the data byte's echo, both tries
    EXPECT_EQ(link.writeValue("B50", "7").failure, LinkFailure::WrongEcho);
    EXPECT_EQ(sent(), bytes({0xFF, 2, 0, 50, 7, 0xFF, 2, 0, 50, 7}));
    EXPECT_TRUE(prompt.boxes.empty());
    EXPECT_EQ(link.boardMode(), 0);
    board.clearTranscript();
    link.RSWrite("B50", "7");
    EXPECT_EQ(sent(), bytes({0xFF, 2, 0, 50, 7}));
    EXPECT_EQ(board.peek(50), 7);
}

using TimeoutTest = LinkFixture;

TEST_F(TimeoutTest, SilentBoardRaisesTheBoxAfterFiveSecondsAndCancelStopsTheLink) {
    board.faults().silent = true;
    const qint64 start = clock.nowUs();
    qint64 boxAt = -1;
    prompt.answerWith([&](const Box&) {
        boxAt = clock.nowUs();
        return MsgAnswer::Cancel;
    });
    EXPECT_EQ(link.RSRead("W50"), "0");
    EXPECT_EQ(link.lastFailure(), LinkFailure::NoAnswer);
    EXPECT_EQ(boxAt - start, 5'000'000);
    EXPECT_EQ(prompt.boxes, Boxes{kNoAnswerBox});
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
    // The high byte goes unanswered; the retry's 0xFF is answered 0x55, which is no echo, so
    // this read gives "0" and drops the mode; the next read sets it again and succeeds.
    link.RSRead("W50");
    EXPECT_FALSE(link.CommError());
    EXPECT_EQ(link.RSRead("W50"), "321");
    EXPECT_EQ(prompt.boxes.size(), 1u);
}

// The link's waits as the port sees them: each reply is one blocking wait for the whole rest
// of its time-out, never a loop of short waits; a reply within it is no error.
class WaitLog final : public SerialPort {
  public:
    explicit WaitLog(SerialPort& port) : m_port(port) {}
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
    std::vector<int> waits;

  private:
    SerialPort& m_port;
};

TEST_F(TimeoutTest, EachReplyIsAwaitedByOneWaitForTheRestOfItsTimeOut) {
    struct Case {
        const char* name;
        bool silent;
        qint64 delayUs;
        std::vector<int> waits; // ms, for a read of one byte in read mode
    };
    const Case cases[] = {
        {"prompt replies", false, 0, {1000, 1000}},
        {"slow replies", false, 900'000, {1000, 1000}},
        // 1 s, then 2 s after each resynchronising 0xFF; the box (cancelled) ends it.
        {"silent board", true, 0, {1000, 2000, 2000}},
    };
    board.setValue("B61", 42);
    WaitLog log(port);
    link.setOnlineMode(false);
    link.attachPort(log);
    link.setOnlineMode(true);
    prompt.answerWith([](const Box&) { return MsgAnswer::Cancel; });
    for (const Case& c : cases) {
        ASSERT_TRUE(link.readValue("B60")) << c.name; // read mode is set
        board.faults().silent = c.silent;
        board.faults().replyDelayUs = c.delayUs;
        log.waits.clear();
        const LinkResult r = link.readValue("B61");
        EXPECT_EQ(log.waits, c.waits) << c.name;
        EXPECT_EQ(r.ok(), !c.silent) << c.name; // a slow reply within its second is no error
        EXPECT_EQ(r.value, c.silent ? 0 : board.value("B61")) << c.name;
    }
}

using ModeTest = LinkFixture;

TEST_F(ModeTest, RefusedModeAsksAfterTwoSecondsAndCancelTakesTheLinkOffline) {
    board.faults().refuseModes = true;
    board.faults().replyDelayUs = 10'000;
    const qint64 start = clock.nowUs();
    qint64 boxAt = -1;
    prompt.answerWith([&](const Box&) {
        boxAt = clock.nowUs();
        return MsgAnswer::Retry;
    });
    prompt.answer(MsgAnswer::Cancel);
    EXPECT_EQ(link.RSRead("W50"), "0");
    const Box modeBox{"WARNING - Communication Error!", "Cannot Set PLC Mode Within Target Board.",
                      MsgButtons::RetryCancel, MsgIcon::Critical};
    EXPECT_EQ(prompt.boxes, Boxes({modeBox, modeBox}));
    EXPECT_GE(boxAt - start, 2'000'000);
    EXPECT_LT(boxAt - start, 2'100'000);
    EXPECT_TRUE(link.CommError());
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_FALSE(port.isOpen());
}

} // namespace
