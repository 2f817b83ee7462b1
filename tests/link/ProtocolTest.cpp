#include "Bytes.h"
#include "LinkFixture.h"

using namespace kalvex;
using kalvex::test::bytes;
using kalvex::test::LinkFixture;

namespace {

using ReadTest = LinkFixture;

TEST_F(ReadTest, ValuesFollowTheBoardLayouts) {
    board.poke(212, 0x34);
    board.poke(213, 0x12);
    board.setValue(QStringLiteral("W50"), 65535);
    board.setValue(QStringLiteral("D1100"), 123456);
    board.poke(1016, 0b1010'0101);
    board.poke(32 + 825 / 8, 0b0000'0010);
    const std::pair<const char*, const char*> cases[] = {
        {"W212", "4660"}, {"w50", "65535"}, {"D1100", "123456"}, {"B1016", "165"},
        {"B1016.0", "1"}, {"B1016.1", "0"}, {"B1016.7", "1"},    {"F825", "1"},
        {"F824", "0"},    {"3F8H", "165"},  {"W1100", "3456"},   {"W1102", "12"},
    };
    for (auto [add, expected] : cases)
        EXPECT_EQ(link.RSRead(QString::fromLatin1(add)), QString::fromLatin1(expected)) << add;
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(ReadTest, AReadSendsAddressBytesHighFirst) {
    board.setValue(QStringLiteral("D1100"), 7);
    link.RSRead(QStringLiteral("D1100"));
    // Mode handshake, then high/low address of each of the four bytes.
    EXPECT_EQ(sent(), bytes({0xFF, 1, 0x04, 0x4C, 0x04, 0x4D, 0x04, 0x4E, 0x04, 0x4F}));
    EXPECT_EQ(board.bytesToPc(), bytes({0x55, 0x55, 0x04, 7, 0x04, 0, 0x04, 0, 0x04, 0}));
}

TEST_F(ReadTest, HandshakeOnceForARunOfReadsAndAgainAfterAWrite) {
    link.RSRead(QStringLiteral("B100"));
    link.RSRead(QStringLiteral("b100"));
    link.RSRead(QStringLiteral("B101"));
    link.RSWrite(QStringLiteral("B100"), QStringLiteral("7"));
    link.RSWrite(QStringLiteral("B101"), QStringLiteral("8"));
    link.RSRead(QStringLiteral("B100"));
    EXPECT_EQ(sent(), bytes({0xFF, 1, 0, 100, 0, 100, 0,   101, // reads
                             0xFF, 2, 0, 100, 7, 0,   101, 8,   // writes
                             0xFF, 1, 0, 100}));                // read again
    EXPECT_EQ(board.peek(100), 7);
    EXPECT_EQ(board.peek(101), 8);
}

TEST_F(ReadTest, AddressesOutsideTheBoardReadZeroWithoutTraffic) {
    for (const char* add : {"B70000", "W65535", "D65534", "F600000", "B10.9"}) {
        EXPECT_EQ(link.RSRead(QString::fromLatin1(add)), QStringLiteral("0")) << add;
    }
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_FALSE(link.CommError());
}

using WriteTest = LinkFixture;

TEST_F(WriteTest, ValuesAreLaidOutLowByteFirstAndEchoed) {
    link.RSWrite(QStringLiteral("W50"), QStringLiteral("4660"));
    EXPECT_EQ(sent(), bytes({0xFF, 2, 0, 50, 0x34, 0, 51, 0x12}));
    EXPECT_EQ(board.bytesToPc(), bytes({0x55, 0x55, 0, 50, 0x34, 0, 51, 0x12}));
    link.RSWrite(QStringLiteral("D1100"), QStringLiteral("123456"));
    EXPECT_EQ(board.peek(1100), 3456 % 256);
    EXPECT_EQ(board.peek(1101), 3456 / 256);
    EXPECT_EQ(board.peek(1102), 12);
    EXPECT_EQ(board.peek(1103), 0);
    link.RSWrite(QStringLiteral("D1200"), QStringLiteral("655359999"));
    EXPECT_EQ(board.value(QStringLiteral("D1200")), 655359999);
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(WriteTest, ValueTextIsCleanedNotParsed) {
    const std::pair<const char*, qint64> cases[] = {
        {"1,000", 1000}, {"12.5", 125}, {" 7 %", 7}, {"45\u00B0", 45}, {"", 0}, {"0,5", 5},
    };
    for (auto [text, expected] : cases) {
        link.RSWrite(QStringLiteral("W60"), QString::fromUtf8(text));
        EXPECT_EQ(board.value(QStringLiteral("W60")), expected) << text;
    }
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(WriteTest, RefusedEntriesShowTheAlertAndSendNothing) {
    struct Case {
        const char* add;
        const char* value;
        const char* message;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        prompt.boxes.clear();
        link.RSWrite(QString::fromLatin1(c.add), QString::fromLatin1(c.value));
        ASSERT_EQ(prompt.boxes.size(), 1u) << c.add << " " << c.value;
        EXPECT_EQ(prompt.boxes[0].title, QStringLiteral("ENTRY ALERT"));
        EXPECT_EQ(prompt.boxes[0].text,
                  QStringLiteral("Error:\r") + QString::fromLatin1(c.message));
        EXPECT_EQ(prompt.boxes[0].icon, MsgIcon::Critical);
    }
    EXPECT_TRUE(sent().isEmpty());
}

TEST_F(WriteTest, BitWriteChangesOnlyItsBit) {
    board.poke(1016, 0b1010'0100);
    link.RSWrite(QStringLiteral("B1016.0"), QStringLiteral("1"));
    EXPECT_EQ(board.peek(1016), 0b1010'0101);
    link.RSWrite(QStringLiteral("B1016.7"), QStringLiteral("0"));
    EXPECT_EQ(board.peek(1016), 0b0010'0101);
    link.RSWrite(QStringLiteral("F825"), QStringLiteral("1"));
    EXPECT_EQ(board.peek(135), 0b10);
    // Read mode for the old byte, write mode for the new one, each time.
    EXPECT_EQ(sent().left(9), bytes({0xFF, 1, 3, 0xF8, 0xFF, 2, 3, 0xF8, 0b1010'0101}));
}

TEST_F(WriteTest, WrongEchoRepeatsTheWholeWriteOnce) {
    board.faults().wrongEchoAt = {board.receivedCount() + 4}; // the low address byte's echo
    link.RSWrite(QStringLiteral("B50"), QStringLiteral("7"));
    // The board takes the next 0xFF as the data byte it was waiting for; the handshake then
    // starts again and the whole write is repeated.
    EXPECT_EQ(sent(), bytes({0xFF, 2, 0, 50, 0xFF, 0xFF, 2, 0, 50, 7}));
    EXPECT_EQ(board.peek(50), 7);
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(WriteTest, ASecondWrongEchoIsNotReportedAndTheModeIsSetAgainNextTime) {
    const qint64 base = board.receivedCount();
    board.faults().wrongEchoAt = {base + 5, base + 10}; // the data byte's echo, both tries
    link.RSWrite(QStringLiteral("B50"), QStringLiteral("7"));
    EXPECT_EQ(sent(), bytes({0xFF, 2, 0, 50, 7, 0xFF, 2, 0, 50, 7}));
    EXPECT_TRUE(prompt.boxes.empty());
    EXPECT_EQ(link.boardMode(), 0);
    board.clearTranscript();
    link.RSWrite(QStringLiteral("B50"), QStringLiteral("7"));
    EXPECT_EQ(sent(), bytes({0xFF, 2, 0, 50, 7}));
    EXPECT_EQ(board.peek(50), 7);
}

using TimeoutTest = LinkFixture;

TEST_F(TimeoutTest, SilentBoardRaisesTheBoxAfterFiveSecondsAndCancelStopsTheLink) {
    board.faults().silent = true;
    const qint64 start = clock.nowUs();
    qint64 boxAt = -1;
    prompt.answerWith([&](const test::Box&) {
        boxAt = clock.nowUs();
        return MsgAnswer::Cancel;
    });
    EXPECT_EQ(link.RSRead(QStringLiteral("W50")), QStringLiteral("0"));
    EXPECT_EQ(boxAt - start, 5'000'000);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].title, QStringLiteral("WARNING - Communication Error!"));
    EXPECT_EQ(prompt.boxes[0].text,
              QStringLiteral("Cannot Communicate with Target Board.\rVerify RS-232 Cable is "
                             "Connected Between\rCOMM Port and PROG Port."));
    EXPECT_EQ(prompt.boxes[0].buttons, MsgButtons::RetryCancel);
    EXPECT_TRUE(link.CommError());
    // The attention byte and two resynchronising 0xFF, nothing else.
    EXPECT_EQ(sent(), bytes({0xFF, 0xFF, 0xFF}));

    board.faults().silent = false;
    board.clearTranscript();
    const qint64 before = clock.nowUs();
    EXPECT_EQ(link.RSRead(QStringLiteral("W50")), QStringLiteral("0"));
    link.RSWrite(QStringLiteral("W50"), QStringLiteral("5"));
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_EQ(clock.nowUs(), before);
    EXPECT_EQ(prompt.boxes.size(), 1u);
}

TEST_F(TimeoutTest, RetryResumesWhenTheBoardAnswersAgain) {
    board.setValue(QStringLiteral("W50"), 321);
    link.RSRead(QStringLiteral("W52")); // read mode is set
    board.clearTranscript();
    board.faults().silent = true;
    prompt.answerWith([&](const test::Box&) {
        board.faults().silent = false; // cable plugged back in
        return MsgAnswer::Retry;
    });
    // The high byte goes unanswered; the retry's 0xFF is answered 0x55, which is no echo, so
    // this read gives "0" and drops the mode; the next read sets it again and succeeds.
    link.RSRead(QStringLiteral("W50"));
    EXPECT_FALSE(link.CommError());
    EXPECT_EQ(link.RSRead(QStringLiteral("W50")), QStringLiteral("321"));
    EXPECT_EQ(prompt.boxes.size(), 1u);
}

TEST_F(TimeoutTest, SlowRepliesWithinTheDeadlineAreNotErrors) {
    board.faults().replyDelayUs = 900'000;
    board.setValue(QStringLiteral("B60"), 42);
    EXPECT_EQ(link.RSRead(QStringLiteral("B60")), QStringLiteral("42"));
    EXPECT_FALSE(link.CommError());
    EXPECT_TRUE(prompt.boxes.empty());
}

using ModeTest = LinkFixture;

TEST_F(ModeTest, RefusedModeAsksAfterTwoSecondsAndCancelTakesTheLinkOffline) {
    board.faults().refuseModes = true;
    board.faults().replyDelayUs = 10'000;
    const qint64 start = clock.nowUs();
    qint64 boxAt = -1;
    prompt.answerWith([&](const test::Box&) {
        boxAt = clock.nowUs();
        return MsgAnswer::Retry;
    });
    prompt.answer(MsgAnswer::Cancel);
    EXPECT_EQ(link.RSRead(QStringLiteral("W50")), QStringLiteral("0"));
    ASSERT_EQ(prompt.boxes.size(), 2u);
    EXPECT_EQ(prompt.boxes[0].text, QStringLiteral("Cannot Set PLC Mode Within Target Board."));
    EXPECT_EQ(prompt.boxes[0].title, QStringLiteral("WARNING - Communication Error!"));
    EXPECT_GE(boxAt - start, 2'000'000);
    EXPECT_LT(boxAt - start, 2'100'000);
    EXPECT_TRUE(link.CommError());
    EXPECT_FALSE(link.OnlineMode());
    EXPECT_FALSE(port.isOpen());
}

} // namespace
