// The link's state: why a request failed, and the signals that announce online changes and a
// lost board.
#include "LinkFixture.h"

#include <vector>

using namespace kalvex;
using kalvex::test::LinkFixture;

namespace {

struct FailureCase {
    const char* name;
    std::vector<qint64> wrongEchoAt; // counted from the next byte the board receives
    bool silent;
    bool write;
    LinkFailure expected;
};

class LinkFailures : public LinkFixture, public ::testing::WithParamInterface<FailureCase> {};

// Each request starts with the 2-byte mode handshake, so byte 3 is the first address byte. A
// write whose echo was wrong resynchronises and starts again; its byte 9 falls in the second
// attempt's address.
TEST_P(LinkFailures, EveryRequestSaysHowItEnded) {
    const FailureCase& c = GetParam();
    for (const qint64 n : c.wrongEchoAt)
        board.faults().wrongEchoAt.insert(board.receivedCount() + n);
    board.faults().silent = c.silent;
    const qint64 before = board.value("B300");
    const LinkResult r = c.write ? link.writeValue("B300", "7") : link.readValue("W300");
    EXPECT_EQ(r.failure, c.expected);
    EXPECT_EQ(link.lastFailure(), c.expected);
    EXPECT_EQ(r.ok(), c.expected == LinkFailure::None);
    EXPECT_EQ(board.value("B300"), c.write && r.ok() ? 7 : before);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, LinkFailures,
    ::testing::Values(
        FailureCase{"GoodRead", {}, false, false, LinkFailure::None},
        FailureCase{"GoodWrite", {}, false, true, LinkFailure::None},
        FailureCase{"SilentBoard", {}, true, false, LinkFailure::NoAnswer},
        FailureCase{"WrongAddressEcho", {3}, false, false, LinkFailure::WrongEcho},
        FailureCase{"WriteRepairedAfterOneWrongEcho", {3}, false, true, LinkFailure::None},
        FailureCase{
            "WrongEchoOnBothAttemptsOfAWrite", {3, 9}, false, true, LinkFailure::WrongEcho}),
    [](const auto& param) { return std::string(param.param.name); });

using LinkState = LinkFixture;

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

    RSComm unattached(prompt, clock, home.path()); // without a port, going online does nothing
    QObject::connect(&unattached, &RSComm::onlineModeChanged,
                     [&](bool online) { changes.push_back(online); });
    unattached.setOnlineMode(true);
    EXPECT_FALSE(unattached.OnlineMode());
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
}

TEST_F(LinkState, ALostBoardIsAnnouncedOnceTheRequestHasEnded) {
    int lost = 0;
    bool busyWhenAnnounced = true;
    QObject::connect(&link, &RSComm::linkLost, [&] {
        ++lost;
        busyWhenAnnounced = link.isBusy();
    });
    board.faults().silent = true;
    link.RSRead("W300");
    link.RSRead("W302"); // still lost: no second announcement
    EXPECT_EQ(lost, 1);
    EXPECT_FALSE(busyWhenAnnounced);
    EXPECT_TRUE(link.CommError());
}

} // namespace
