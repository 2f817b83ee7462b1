// The link's state: why a request failed, and the signals that announce online changes and a
// lost board.
#include "LinkFixture.h"

#include <vector>

using namespace kalvex;
using kalvex::test::LinkFixture;

namespace {

class LinkState : public LinkFixture {};

struct FailureCase {
    const char* name;
    std::function<void(sim::Board&)> fault;
    std::function<LinkResult(RSComm&)> request;
    LinkFailure expected;
    bool sendsNothing;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class LinkFailures : public LinkFixture, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(LinkFailures, EveryFailedRequestSaysWhy) {
    const FailureCase& c = GetParam();
    c.fault(board);
    const LinkResult r = c.request(link);
    EXPECT_EQ(r.failure, c.expected);
    EXPECT_EQ(link.lastFailure(), c.expected);
    EXPECT_EQ(r.ok(), c.expected == LinkFailure::None);
    if (c.sendsNothing) {
        EXPECT_TRUE(sent().isEmpty());
    }
}

std::function<LinkResult(RSComm&)> read(const char* add) {
    return [=](RSComm& l) { return l.readValue(QLatin1String(add)); };
}
std::function<LinkResult(RSComm&)> write(const char* add, const char* value) {
    return [=](RSComm& l) { return l.writeValue(QLatin1String(add), QLatin1String(value)); };
}
void none(sim::Board&) {}
// Counted from the next byte the board receives: each request starts with the 2-byte mode
// handshake, so byte 3 is the first address byte. A write whose echo was wrong resynchronises
// and starts again; its byte 9 falls in the second attempt's address.
std::function<void(sim::Board&)> wrongEchoAt(std::vector<qint64> at) {
    return [=](sim::Board& b) {
        for (const qint64 n : at)
            b.faults().wrongEchoAt.insert(b.receivedCount() + n);
    };
}

INSTANTIATE_TEST_SUITE_P(
    Requests, LinkFailures,
    ::testing::Values(
        FailureCase{"GoodRead", none, read("W300"), LinkFailure::None, false},
        FailureCase{"GoodWrite", none, write("W300", "5"), LinkFailure::None, false},
        FailureCase{"AddressBeyondTheBoard", none, read("B70000"), LinkFailure::RefusedInput, true},
        FailureCase{"LettersAsAValue", none, write("W300", "abc"), LinkFailure::RefusedInput, true},
        FailureCase{"ValueOutOfRange", none, write("B300", "256"), LinkFailure::RefusedInput, true},
        FailureCase{"BitValueOtherThan0Or1", none, write("B300.1", "2"), LinkFailure::RefusedInput,
                    true},
        FailureCase{"SilentBoard", [](sim::Board& b) { b.faults().silent = true; }, read("W300"),
                    LinkFailure::NoAnswer, false},
        FailureCase{"WrongAddressEcho", wrongEchoAt({3}), read("W300"), LinkFailure::WrongEcho,
                    false},
        FailureCase{"WrongEchoOnBothAttemptsOfAWrite", wrongEchoAt({3, 9}), write("B300", "7"),
                    LinkFailure::WrongEcho, false}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(LinkState, AWriteRepeatedAfterOneWrongEchoSucceeds) {
    link.resetBoardMode();
    board.faults().wrongEchoAt = {board.receivedCount() + 3};
    EXPECT_TRUE(link.writeValue(QStringLiteral("B300"), QStringLiteral("7")));
    EXPECT_EQ(board.value(QStringLiteral("B300")), 7);
}

TEST_F(LinkState, OnlineChangesAreAnnouncedOnceEachAfterTheRequest) {
    link.CloseRSComm();
    std::vector<bool> changes;
    bool busyWhenAnnounced = true;
    QObject::connect(&link, &RSComm::onlineModeChanged, [&](bool online) {
        changes.push_back(online);
        busyWhenAnnounced = link.isBusy();
    });

    link.setOnlineMode(true);
    link.setOnlineMode(false);
    link.setOnlineMode(false);
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
    EXPECT_FALSE(busyWhenAnnounced);
}

TEST_F(LinkState, WithoutAnAttachedPortGoingOnlineChangesNothing) {
    RSComm unattached(prompt, clock, home.path());
    int changes = 0;
    QObject::connect(&unattached, &RSComm::onlineModeChanged, [&] { ++changes; });
    unattached.setOnlineMode(true);
    EXPECT_FALSE(unattached.OnlineMode());
    EXPECT_EQ(changes, 0);
}

TEST_F(LinkState, ALostBoardIsAnnouncedOnceTheRequestHasEnded) {
    int lost = 0;
    bool busyWhenAnnounced = true;
    QObject::connect(&link, &RSComm::linkLost, [&] {
        ++lost;
        busyWhenAnnounced = link.isBusy();
    });
    board.faults().silent = true;
    link.RSRead(QStringLiteral("W300"));
    link.RSRead(QStringLiteral("W302")); // still lost: no second announcement
    EXPECT_EQ(lost, 1);
    EXPECT_FALSE(busyWhenAnnounced);
    EXPECT_TRUE(link.CommError());
}

} // namespace
