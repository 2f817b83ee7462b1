// kalvex-cli through ser2net on loopback in front of the simulated board's pseudo-terminal.
#include "support/CliBoard.h"
#include "support/Ser2net.h"

using namespace kalvex;

namespace {

using test::CliRun;

using NetworkCli = test::CliBoard;

// The direct run comes before ser2net starts: ser2net opens the line for the client that checks
// it listens and may hold it long after, reading (and dropping) the board's replies.

TEST_F(NetworkCli, UploadAllGivesTheSameFileAsTheDirectLine) {
    setBoard("W1092", 0xFF7F);
    setBoard("B3250", 0xFF);
    const CliRun direct = cli({"upload", "all", "-o", path("direct.sdt")});
    ASSERT_EQ(direct.code, 0) << qPrintable(direct.err);
    test::Ser2net ser2net;
    QString error;
    ASSERT_TRUE(ser2net.start(server.slavePath(), true, &error)) << qPrintable(error);
    const CliRun network =
        cli({"--device", ser2net.url(), "upload", "all", "-o", path("network.sdt")}, false);
    ASSERT_EQ(network.code, 0) << qPrintable(network.err);
    EXPECT_EQ(contents(path("network.sdt")), contents(path("direct.sdt")));
}

// In a network namespace of its own the program sees no network but a loopback that is down:
// names cannot be resolved and nothing can be reached, and no packet leaves this machine.
TEST_F(NetworkCli, AServerThatCannotBeReachedIsNamedWithTheReason) {
    const QString closed = QString::number(test::Ser2net::freePort());
    const struct {
        QString device;
        bool isolated;
        const char* place;
        const char* reason;
    } cases[] = {
        {"rfc2217://127.0.0.1:" + closed, false, "127.0.0.1 port ", "refused"},
        {"socket://no-such-host.invalid:4001", true, "no-such-host.invalid port 4001",
         "unknown host"},
        {"rfc2217://127.0.0.1:4001", true, "127.0.0.1 port 4001", "unreachable"},
    };
    const bool canIsolate = QProcess::execute(QStringLiteral("unshare"), {"-n", "true"}) == 0;
    for (const auto& c : cases) {
        if (c.isolated && !canIsolate) continue;
        QProcess p;
        QStringList args{"--home", home.path(), "--device", c.device, "read", "W112"};
        if (c.isolated) args = QStringList{"-n", KALVEX_CLI} + args;
        p.start(QLatin1String(c.isolated ? "unshare" : KALVEX_CLI), args);
        ASSERT_TRUE(p.waitForFinished(30000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_EQ(p.exitCode(), 3) << qPrintable(err);
        EXPECT_TRUE(err.contains(QLatin1String(c.place)) && err.contains(QLatin1String(c.reason)))
            << qPrintable(err);
    }
    if (!canIsolate) GTEST_SKIP() << "unshare -n is not allowed here: only the refusal was tried";
}

} // namespace
