// kalvex-cli through ser2net on loopback in front of the simulated board's pseudo-terminal.
#include "support/CliBoard.h"
#include "support/Ser2net.h"

namespace {

using kalvex::test::CliRun;
using NetworkCli = kalvex::test::CliBoard;

// The direct run comes first: ser2net, once it opened the line, may hold it and drop replies.
TEST_F(NetworkCli, UploadAllGivesTheSameFileAsTheDirectLine) {
    setBoard("W1092", 0xFF7F);
    setBoard("B3250", 0xFF);
    const CliRun direct = cli({"upload", "all", "-o", path("direct.sdt")});
    ASSERT_EQ(direct.code, 0) << qPrintable(direct.err);
    kalvex::test::Ser2net ser2net;
    QString error;
    ASSERT_TRUE(ser2net.start(server.slavePath(), true, &error)) << qPrintable(error);
    const CliRun network =
        cli({"--device", ser2net.url(), "upload", "all", "-o", path("network.sdt")}, false);
    ASSERT_EQ(network.code, 0) << qPrintable(network.err);
    EXPECT_EQ(contents(path("network.sdt")), contents(path("direct.sdt")));
}

// In a network namespace of its own (a loopback that is down) names do not resolve, nothing is
// reached, and no packet leaves this machine.
TEST_F(NetworkCli, AServerThatCannotBeReachedIsNamedWithTheReason) {
    const QString closed = QString::number(kalvex::test::Ser2net::freePort());
    // The device, whether in its own namespace, the place and reason the message names.
    const std::tuple<QString, bool, const char*, const char*> cases[] = {
        {"rfc2217://127.0.0.1:" + closed, false, "127.0.0.1 port ", "refused"},
        {"socket://no-such-host.invalid:4001", true, "no-such-host.invalid port 4001",
         "unknown host"},
        {"rfc2217://127.0.0.1:4001", true, "127.0.0.1 port 4001", "unreachable"},
    };
    const bool canIsolate = QProcess::execute("unshare", {"-n", "true"}) == 0;
    for (const auto& [device, isolated, place, reason] : cases) {
        if (isolated && !canIsolate) continue;
        QProcess p;
        const QStringList args{"--home", home.path(), "--device", device, "read", "W112"};
        p.start(isolated ? "unshare" : KALVEX_CLI,
                isolated ? QStringList{"-n", KALVEX_CLI} + args : args);
        ASSERT_TRUE(p.waitForFinished(30000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_EQ(p.exitCode(), 3) << qPrintable(err);
        EXPECT_TRUE(err.contains(place) && err.contains(reason)) << qPrintable(err);
    }
    if (!canIsolate) GTEST_SKIP() << "unshare -n is not allowed here: only the refusal was tried";
}

} // namespace
