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

// kalvex-cli against a board simulated in this process, whose memory and bytes a test reads.
class CliBoard : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        QString error;
        ASSERT_TRUE(server.start(&error)) << qPrintable(error);
        server.withBoard([](sim::Board& b) { b.machine().running = false; });
    }

    // With `onBoard`, --device names the simulator's port before the arguments.
    CliRun cli(const QStringList& args, bool onBoard = true,
               const std::function<void(QProcess&)>& whileRunning = {}) {
        QStringList all{QStringLiteral("--home"), home.path()};
        if (onBoard) all << QStringLiteral("--device") << server.slavePath();
        return runCli(all + args, home.path(), whileRunning);
    }
    // The command on the board, sent `signal` once the board has received `afterBytes` bytes.
    CliRun stopWith(int signal, const QStringList& args, qint64 afterBytes) {
        const qint64 start = received();
        return cli(args, true, [&](QProcess& p) {
            for (int i = 0; received() - start < afterBytes && i < 500; ++i)
                QThread::msleep(20);
            ::kill(pid_t(p.processId()), signal);
        });
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
