// Upload All over a pseudo-terminal against the raw ping-pong of as many byte exchanges, with
// and without wire-speed pacing. Counters: exchanges per run and, when paced, the ratio of the
// run's time to the pure wire time (two bytes of ten bits per exchange).
#include "data/AppState.h"
#include "data/DataTransfer.h"
#include "link/QtSerialPort.h"
#include "link/RSComm.h"
#include "sim/PtyServer.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>

using namespace kalvex;

namespace {

class SilentPrompt final : public Prompt {
  public:
    MsgAnswer message(const QString&, const QString&, MsgButtons, MsgIcon) override {
        ++boxes;
        return MsgAnswer::Cancel;
    }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    int boxes = 0;
};

struct Simulator {
    explicit Simulator(int baud) {
        QString error;
        if (!server.start(&error)) qFatal("simulator: %s", qPrintable(error));
        server.withBoard([baud](sim::Board& b) {
            b.machine().running = false;
            b.faults().baud = baud;
        });
    }
    qint64 received() {
        qint64 n = 0;
        server.withBoard([&](sim::Board& b) { n = b.receivedCount(); });
        return n;
    }
    sim::PtyServer server;
};

// The exchanges of one Upload All, counted once on an unpaced board.
qint64 uploadExchanges();

void reportWire(benchmark::State& state, qint64 exchanges, int baud, double seconds) {
    state.counters["exchanges"] = double(exchanges);
    if (baud > 0) state.counters["wire_ratio"] = seconds / (double(exchanges) * 20.0 / baud);
}

void BM_RawPingPong(benchmark::State& state, int baud) {
    Simulator sim(baud);
    QtSerialPort port(sim.server.slavePath());
    PortOpenError error;
    if (!port.open(PortSettings{}, &error)) qFatal("open: %s", qPrintable(error.description));
    const qint64 exchanges = uploadExchanges();
    double seconds = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        for (qint64 i = 0; i < exchanges; ++i) {
            port.send(0xFF);
            while (port.bytesWaiting() == 0)
                port.waitForInput(1000);
            benchmark::DoNotOptimize(port.take());
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    reportWire(state, exchanges, baud, seconds / double(state.iterations()));
}

// One Upload All into a fresh data set; returns the bytes the board received.
qint64 uploadAll(Simulator& sim, RSComm& link, Prompt& prompt, double* seconds) {
    AppState app;
    link.resetBoardMode(); // every run starts with the mode handshake
    const qint64 before = sim.received();
    const auto t0 = std::chrono::steady_clock::now();
    DataTransfer t(link, prompt, app.gCurrentData, transferPlan(kUploadAll));
    t.runToEnd();
    if (seconds)
        *seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (link.CommError()) qFatal("upload failed");
    return sim.received() - before;
}

struct Online {
    explicit Online(Simulator& sim)
        : port(sim.server.slavePath()), link(prompt, clock, home.path()) {
        link.OpenRSComm(port);
        if (!link.OnlineMode()) qFatal("cannot go online");
    }
    QTemporaryDir home;
    SilentPrompt prompt;
    SystemClock clock;
    QtSerialPort port;
    RSComm link;
};

qint64 uploadExchanges() {
    static const qint64 n = [] {
        Simulator sim(0);
        Online online(sim);
        return uploadAll(sim, online.link, online.prompt, nullptr);
    }();
    return n;
}

void BM_UploadAll(benchmark::State& state, int baud) {
    Simulator sim(baud);
    Online online(sim);
    qint64 exchanges = 0;
    double seconds = 0;
    for (auto _ : state)
        exchanges = uploadAll(sim, online.link, online.prompt, &seconds);
    reportWire(state, exchanges, baud, seconds / double(state.iterations()));
}

BENCHMARK_CAPTURE(BM_RawPingPong, unpaced, 0)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_UploadAll, unpaced, 0)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_RawPingPong, paced9600, 9600)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_UploadAll, paced9600, 9600)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
