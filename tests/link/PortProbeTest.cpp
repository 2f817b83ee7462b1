#include "link/PortProbe.h"
#include "sim/PtyServer.h"
#include "support/Bytes.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace kalvex;

namespace {

// A simulated board on a pseudo-terminal that answers only a line set to `lineSpeed`, or
// never (silent).
std::unique_ptr<sim::PtyServer> board(int lineSpeed, bool silent) {
    auto server = std::make_unique<sim::PtyServer>();
    server->withBoard([&](sim::Board& b) {
        b.faults().lineSpeed = lineSpeed;
        b.faults().silent = silent;
    });
    QString error;
    return server->start(&error) ? std::move(server) : nullptr;
}

QByteArray received(sim::PtyServer& server) {
    QByteArray out;
    server.withBoard([&](sim::Board& b) { out = b.bytesFromPc(); });
    return out;
}

TEST(PortProbe, NumberedPortsAndTheNamedList) {
    const std::pair<const char*, int> cases[] = {
        {"/dev/ttyS0", 1}, {"/dev/ttyS98", 99}, {"/dev/ttyS99", 0}, {"/dev/ttyUSB0", 0}};
    for (auto [device, number] : cases)
        EXPECT_EQ(candidateFor(device).portNumber, number) << device;
    qputenv("KALVEX_PORTS", "/dev/pts/7:/dev/ttyS2");
    const std::vector<PortCandidate> named = listSerialPorts();
    qunsetenv("KALVEX_PORTS");
    ASSERT_EQ(named.size(), 2u);
    EXPECT_EQ(candidateLine(named[1]), "/dev/ttyS2 (port 3)");
}

// The board answers at 19200 only; the silent port hears one attention byte per speed and
// nothing else; a port that cannot be opened is tried once; the link's own port and device
// servers on the network are left alone.
TEST(PortProbe, SearchFindsTheSpeedTheBoardAnswersAndSendsOnlyAttention) {
    auto answering = board(19200, false);
    auto silent = board(0, true);
    ASSERT_TRUE(answering && silent);
    const std::vector<PortCandidate> ports = {
        candidateFor(silent->slavePath()), candidateFor("/dev/kalvex-no-such-port"),
        candidateFor(answering->slavePath()), candidateFor("/dev/kalvex-held"),
        candidateFor("rfc2217://127.0.0.1:9")};
    std::vector<std::pair<ProbeOutcome, int>> seen;
    const std::optional<ProbeResult> found = findBoard(
        ports, "/dev/kalvex-held",
        [&](const ProbeResult& r) { seen.emplace_back(r.outcome, r.baud); }, 200);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->port.device, answering->slavePath());
    EXPECT_EQ(found->baud, 19200);
    const std::vector<std::pair<ProbeOutcome, int>> expected = {
        {ProbeOutcome::Silent, 9600},     {ProbeOutcome::Silent, 19200},
        {ProbeOutcome::CannotOpen, 9600}, {ProbeOutcome::Silent, 9600},
        {ProbeOutcome::Answered, 19200},  {ProbeOutcome::Skipped, 0},
        {ProbeOutcome::Network, 0}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(received(*silent), test::bytes({0xFF, 0xFF}));
    EXPECT_EQ(received(*answering), test::bytes({0xFF, 0xFF}));
}

} // namespace
