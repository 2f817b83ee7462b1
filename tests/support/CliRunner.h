#pragma once
#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace kalvex::test {

struct CliRun {
    int code = -1; // -1 when the program crashed or did not finish
    QString out;
    QString err;
};

// Runs kalvex-cli (the path comes from the build) to the end and collects what it printed.
inline CliRun runCli(const QStringList& args, const QString& workDir = QString(),
                     int timeoutMs = 60000) {
    QProcess p;
    if (!workDir.isEmpty()) p.setWorkingDirectory(workDir);
    p.start(QStringLiteral(KALVEX_CLI), args);
    EXPECT_TRUE(p.waitForFinished(timeoutMs)) << qPrintable(args.join(u' '));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace kalvex::test
