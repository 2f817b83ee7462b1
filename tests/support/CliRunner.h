#pragma once
#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>

namespace kalvex::test {

struct CliRun {
    int code = -1; // -1 when the program crashed or did not finish
    QString out;
    QString err;
};

// Runs kalvex-cli to the end, with `whileRunning` once it has started, and collects its output.
inline CliRun runCli(const QStringList& args, const QString& workDir = QString(),
                     const std::function<void(QProcess&)>& whileRunning = {}) {
    QProcess p;
    if (!workDir.isEmpty()) p.setWorkingDirectory(workDir);
    p.start(QStringLiteral(KALVEX_CLI), args);
    if (whileRunning && p.waitForStarted()) whileRunning(p);
    EXPECT_TRUE(p.waitForFinished(60000)) << qPrintable(args.join(u' '));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace kalvex::test
