#pragma once
#include "sim/PtyServer.h"
#include "support/CliRunner.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

namespace kalvex::test {

// kalvex-cli against a board simulated in this process, so a test can look into its memory
// and count the bytes it received.
class CliBoard : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        QString error;
        ASSERT_TRUE(server.start(&error)) << qPrintable(error);
        server.withBoard([](sim::Board& b) { b.machine().running = false; });
    }

    // With `onBoard`, --device names the simulator's port before the arguments.
    CliRun cli(const QStringList& args, bool onBoard = true) {
        QStringList all{QStringLiteral("--home"), home.path()};
        if (onBoard) all << QStringLiteral("--device") << server.slavePath();
        return runCli(all + args, home.path());
    }
    // Runs the command on the board, sends `signal` once the board has received `afterBytes`
    // bytes of it, and collects the end; code -1 when the signal killed the program.
    CliRun stopWith(int signal, const QStringList& args, qint64 afterBytes) {
        QProcess p;
        p.start(QStringLiteral(KALVEX_CLI),
                QStringList{"--home", home.path(), "--device", server.slavePath()} + args);
        EXPECT_TRUE(p.waitForStarted());
        const qint64 start = received();
        for (int wait = 0; received() - start < afterBytes && wait < 500; ++wait)
            QThread::msleep(20);
        ::kill(pid_t(p.processId()), signal);
        EXPECT_TRUE(p.waitForFinished(30000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    qint64 boardValue(const char* add) {
        qint64 v = 0;
        server.withBoard([&](sim::Board& b) { v = b.value(QLatin1String(add)); });
        return v;
    }
    void setBoard(const char* add, qint64 v) {
        server.withBoard([&](sim::Board& b) { b.setValue(QLatin1String(add), v); });
    }
    qint64 received() {
        qint64 n = 0;
        server.withBoard([&](sim::Board& b) { n = b.receivedCount(); });
        return n;
    }
    QString path(const char* name) const { return home.filePath(QLatin1String(name)); }
    static QByteArray contents(const QString& p) {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void write(const QString& p, const QByteArray& bytes) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QTemporaryDir home;
    sim::PtyServer server;
};

} // namespace kalvex::test
