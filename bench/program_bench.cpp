// Program download of a 32 KiB image and upload of board "D" through the whole link, against
// the simulator paced at a wire speed, compared with their wire time.
//
//   build/default/bin/kalvex-program-bench [baud]        (9600 by default)
#include "RawPingPong.h"
#include "data/program/ProgramDownload.h"
#include "data/program/ProgramFiles.h"
#include "data/program/ProgramUpload.h"
#include "link/ProgramTransfer.h"
#include "link/QtSerialPort.h"
#include "link/RSComm.h"
#include "sim/PtyServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace kalvex;

namespace {

// Confirms the download and keeps every other box quiet.
class YesPrompt final : public Prompt {
  public:
    MsgAnswer message(const QString& title, const QString& text, MsgButtons buttons,
                      MsgIcon) override {
        if (buttons == MsgButtons::YesNoCancel) return MsgAnswer::Yes;
        if (buttons == MsgButtons::Ok) last = title + QStringLiteral(": ") + text;
        return MsgAnswer::Cancel;
    }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    QString last;
};

void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

double seconds(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int baud = argc > 1 ? std::atoi(argv[1]) : 9600;
    const double byteTime = 10.0 / baud;
    QTemporaryDir dir;
    QByteArray hex;
    for (int a = 0; a < 0x8000; a += 16) {
        QByteArray data(16, 0);
        for (char& c : data)
            c = char(QRandomGenerator::global()->bounded(256));
        hex += ":10" + QByteArray::number(0x4000 + a, 16).toUpper() + "00" + data.toHex() + "\r\n";
    }
    write(dir.filePath(QStringLiteral("B.ovp")), "D");
    write(dir.filePath(QStringLiteral("B.rev")), "BENCH:?05");
    write(dir.filePath(QStringLiteral("B.hex")), hex + ":00000001FF\r\n");

    QString error;
    auto server = sim::startSimulator(baud, QString(), &error);
    if (!server) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    server->withBoard([](sim::Board& b) { b.machine().running = false; });
    const int rawExchanges = 8000;
    const double raw = bench::rawPingPong(server->slavePath(), rawExchanges);
    const double rawWire = rawExchanges * 2 * byteTime;
    std::printf("raw ping-pong, %d exchanges at %d baud: %.2f s, wire time %.2f s (%+.1f %%)\n",
                rawExchanges, baud, raw, rawWire, 100 * (raw - rawWire) / rawWire);
    YesPrompt prompt;
    SystemClock clock;
    QtSerialPort port(server->slavePath());
    RSComm link(prompt, clock, dir.path());
    link.attachPort(port);
    link.setOnlineMode(true);
    ProgramTransfer transfer(link, clock);
    ProgramFileSet files(prompt);

    files.DownloadFile(dir.filePath(QStringLiteral("B.ovp")));
    ProgramDownload down(transfer, files, prompt);
    QElapsedTimer total, records;
    total.start();
    double recordSeconds = 0;
    down.runToEnd([&] {
        if (down.recordsSent() == 1 && !records.isValid()) records.start();
        if (down.recordsSent() == down.recordCount() && recordSeconds == 0)
            recordSeconds = seconds(records);
    });
    const double downTotal = seconds(total);
    const double downWire = 2048 * 20 * byteTime;
    std::printf("download, 2048 records of 16 bytes at %d baud: %s\n", baud,
                qPrintable(prompt.last));
    std::printf("  records   %.2f s, wire time %.2f s (%+.1f %%)\n", recordSeconds, downWire,
                100 * (recordSeconds - downWire) / downWire);
    std::printf("  whole run %.2f s (with the board's 0.1 s and 2 s pauses and the ident)\n",
                downTotal);

    if (!link.OnlineMode()) link.setOnlineMode(true);
    files.UploadFile(dir.filePath(QStringLiteral("B.ovp"))); // writes over B.rev and B.hex
    transfer.setState(ProgramState::UploadRequested);
    ProgramUpload up(transfer, files, prompt);
    total.restart();
    up.runToEnd();
    const double upTotal = seconds(total);
    const double upWire = (65536 + 20 + 2) * 2 * byteTime;
    std::printf("upload of board D, 65,536 exchanges and the ident: %s\n", qPrintable(prompt.last));
    std::printf("  whole run %.2f s, wire time %.2f s (%+.1f %%)\n", upTotal, upWire,
                100 * (upTotal - upWire) / upWire);
    link.CloseRSComm();
    return 0;
}
