#pragma once
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

namespace kalvex::test {

// ser2net on a free loopback port before a pseudo-terminal: raw TCP or Telnet with RFC 2217.
class Ser2net {
  public:
    ~Ser2net() { kill(); }

    bool start(const QString& pty, bool rfc2217, QString* error) {
        if (m_port == 0) m_port = freePort();
        const QByteArray yaml = "%YAML 1.1\n---\nconnection: &board\n  accepter: " +
                                QByteArray(rfc2217 ? "telnet(rfc2217),tcp," : "tcp,") +
                                "127.0.0.1," + QByteArray::number(m_port) +
                                "\n  connector: serialdev," + QFile::encodeName(pty) +
                                ",9600n81,local\n  options:\n    kickolduser: true\n"
                                "    chardelay: false\n    mdns: false\n";
        QFile config(m_dir.filePath(QStringLiteral("ser2net.yaml")));
        if (!config.open(QIODevice::WriteOnly) || config.write(yaml) != yaml.size()) {
            *error = config.errorString();
            return false;
        }
        config.close();
        m_url = QStringLiteral("%1://127.0.0.1:%2").arg(rfc2217 ? "rfc2217" : "socket").arg(m_port);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral("ser2net"),
                        {"-n", "-u", "-c", config.fileName(), "-P", m_dir.filePath("pid")});
        if (!m_process.waitForStarted()) {
            *error = QStringLiteral("ser2net: ") + m_process.errorString();
            return false;
        }
        // Ready when it accepts; this first client only looks.
        for (QDeadlineTimer deadline(10000); !deadline.hasExpired(); QThread::msleep(20)) {
            QTcpSocket probe;
            probe.connectToHost(QStringLiteral("127.0.0.1"), m_port);
            if (probe.waitForConnected(1000)) return true;
        }
        *error = QStringLiteral("ser2net did not listen: ") + m_process.readAll();
        return false;
    }
    // As a crash or a pulled cable would: no goodbye to the client.
    void kill() {
        if (m_process.state() == QProcess::NotRunning) return;
        m_process.kill();
        m_process.waitForFinished();
    }
    QString url() const { return m_url; }

    static quint16 freePort() {
        QTcpServer s;
        return s.listen(QHostAddress::LocalHost) ? s.serverPort() : 0;
    }

  private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_url;
};

} // namespace kalvex::test
