#include "link/LinkTrace.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QMutex>

namespace kalvex {

Q_LOGGING_CATEGORY(lcLinkTrace, "kalvex.link.trace", QtWarningMsg)

namespace {

QFile* gTraceFile = nullptr;
QtMessageHandler gPrevious = nullptr;
QMutex gTraceMutex;

void writeTrace(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (!context.category || qstrcmp(context.category, "kalvex.link.trace") != 0) {
        if (gPrevious) gPrevious(type, context, message);
        return;
    }
    const QByteArray line = QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toUtf8() +
                            ' ' + message.toUtf8() + '\n';
    const QMutexLocker lock(&gTraceMutex);
    gTraceFile->write(line);
    gTraceFile->flush(); // a trace is read after something went wrong: keep every line
}

QString hexByte(int b) {
    return QStringLiteral("%1").arg(b & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

int tracedReply(int sent, bool noWait, const std::function<int()>& wait) {
    if (noWait) {
        qCDebug(lcLinkTrace, "sent %s (no reply awaited)", qPrintable(hexByte(sent)));
        return 0;
    }
    QElapsedTimer timer;
    timer.start();
    const int reply = wait();
    const qint64 us = timer.nsecsElapsed() / 1000;
    if (reply > 0xFF) // no byte came (the link's no-reply value)
        qCDebug(lcLinkTrace, "sent %s no reply after %lld us", qPrintable(hexByte(sent)), us);
    else
        qCDebug(lcLinkTrace, "sent %s reply %s after %lld us", qPrintable(hexByte(sent)),
                qPrintable(hexByte(reply)), us);
    return reply;
}

bool startLinkTrace(const QString& path, QString* error) {
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        *error = QStringLiteral("The link trace cannot be written to %1: %2")
                     .arg(path, file->errorString());
        return false;
    }
    gTraceFile = file.release(); // lives as long as the program
    gPrevious = qInstallMessageHandler(writeTrace);
    QLoggingCategory::setFilterRules(QStringLiteral("kalvex.link.trace.debug=true"));
    return true;
}

} // namespace kalvex
