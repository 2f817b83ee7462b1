#include "CliRunner.h"
#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using kalvex::test::CliRun;

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        QDir(home.path()).mkpath(QStringLiteral("support"));
        QFile::copy(QStringLiteral(KALVEX_SOURCE_DIR "/support/FaultErrCodes.txt"),
                    home.filePath(QStringLiteral("support/FaultErrCodes.txt")));
    }

    CliRun run(QStringList args, int timeoutMs = 30000) {
        args.prepend(home.path());
        args.prepend(QStringLiteral("--home"));
        return kalvex::test::runCli(args, QString(), timeoutMs);
    }

    QString stateFile(const QByteArray& content) {
        const QString path = home.filePath(QStringLiteral("board.state"));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(content);
        return path;
    }

    QTemporaryDir home;
};

TEST_F(CliTest, ReadPrintsOneValuePerLine) {
    const CliRun r = run({QStringLiteral("--simulate"), QStringLiteral("--state"),
                          stateFile("running = 0\nW300 = 4660\nD302 = 123456\nB1016.3 = 1\n"),
                          QStringLiteral("read"), QStringLiteral("W300"), QStringLiteral("D302"),
                          QStringLiteral("B1016.3"), QStringLiteral("B52")});
    EXPECT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, QStringLiteral("4660\n123456\n1\n24\n"));
}

TEST_F(CliTest, InfoNamesRevisionFaultAndSpindles) {
    const CliRun r =
        run({QStringLiteral("--simulate"), QStringLiteral("--state"),
             stateFile("B8159 = 17\nB8176 = 92\nspindles = 36\n"), QStringLiteral("info")});
    EXPECT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("Firmware revision: 17\n"))) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(QStringLiteral("Fault code: Fault Code (5CH): Program is invalid")))
        << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(QStringLiteral("Spindles: 36\n"))) << qPrintable(r.out);
}

TEST_F(CliTest, RefusedInputExitsOneWithTheAlertText) {
    struct Case {
        QStringList args;
        const char* text;
    };
    const Case cases[] = {
        {{"write", "W50", "70000"}, "Entry out of Range (0-65,535)."},
        {{"write", "W50", "-5"}, "Only Numerical Data Allowed."},
        {{"write", "B10.1", "3"}, "Enter 0 or 1 Only."},
        {{"read", "W65535"}, "Address out of Range (0-65,535)."},
        {{"frobnicate"}, "Unknown command"},
        {{"write", "W50"}, "wrong arguments"},
    };
    for (const Case& c : cases) {
        const CliRun r = run(QStringList{QStringLiteral("--simulate")} + c.args);
        EXPECT_EQ(r.code, 1) << qPrintable(c.args.join(u' '));
        EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.text))) << qPrintable(r.err);
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST_F(CliTest, SilentBoardRetriesThenExitsTwoWithTheBoxText) {
    const CliRun r = run({QStringLiteral("--simulate"), QStringLiteral("--retries"),
                          QStringLiteral("1"), QStringLiteral("--state"), stateFile("silent = 1\n"),
                          QStringLiteral("read"), QStringLiteral("W112")});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err.count(QStringLiteral("WARNING - Communication Error!: Cannot Communicate "
                                         "with Target Board.\nVerify RS-232 Cable is Connected "
                                         "Between\nCOMM Port and PROG Port.")),
              2)
        << qPrintable(r.err);
    EXPECT_TRUE(r.out.isEmpty());
}

TEST_F(CliTest, MissingDeviceExitsTwoAndSaysWhy) {
    const CliRun r = run({QStringLiteral("--device"), QStringLiteral("/dev/kalvex-missing"),
                          QStringLiteral("info")});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Comm Port Error"))) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains(QStringLiteral("does not exist"))) << qPrintable(r.err);
}

TEST_F(CliTest, BadStateFileIsAFileError) {
    const CliRun r = run({QStringLiteral("--simulate"), QStringLiteral("--state"),
                          stateFile("W98 = five\n"), QStringLiteral("info")});
    EXPECT_EQ(r.code, 3);
    EXPECT_TRUE(r.err.contains(QStringLiteral("line 1"))) << qPrintable(r.err);
}

TEST_F(CliTest, SimPrintsTheDeviceFirstAndServesIt) {
    QProcess sim;
    sim.start(QStringLiteral(KALVEX_CLI),
              {QStringLiteral("sim"), QStringLiteral("--state"), stateFile("W300 = 777\n")});
    ASSERT_TRUE(sim.waitForReadyRead(10000));
    const QString device = QString::fromUtf8(sim.readLine()).trimmed();
    EXPECT_TRUE(device.startsWith(QStringLiteral("/dev/"))) << qPrintable(device);
    // Each client opens and closes the port; the board keeps what the first one wrote.
    CliRun r = run({QStringLiteral("--device"), device, QStringLiteral("write"),
                    QStringLiteral("D2000"), QStringLiteral("1,234,567")});
    EXPECT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.err.isEmpty()) << qPrintable(r.err);
    r = run({QStringLiteral("--device"), device, QStringLiteral("read"), QStringLiteral("W300"),
             QStringLiteral("D2000")});
    EXPECT_EQ(r.code, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, QStringLiteral("777\n1234567\n"));
    sim.terminate();
    EXPECT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 0);
}

TEST_F(CliTest, HelpDescribesEveryCommand) {
    const CliRun r = run({QStringLiteral("--help")});
    EXPECT_EQ(r.code, 0);
    for (const char* word : {"read ADDR", "write ADDR VALUE", "info", "sim", "--device", "--home",
                             "--simulate", "--retries", "Exit codes"})
        EXPECT_TRUE(r.out.contains(QString::fromLatin1(word))) << word;
}

} // namespace
