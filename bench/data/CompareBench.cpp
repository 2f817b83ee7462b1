// Compare-and-download of a data set that differs from the board in three items, against a plain
// download of the whole set, over a pseudo-terminal at 9600 baud. Counter: bytes the board
// received per run.
#include "data/DataCompare.h"
#include "data/DataTransfers.h"
#include "data/TagMap.h"
#include "link/QtSerialPort.h"
#include "link/RSComm.h"
#include "sim/PtyServer.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

using namespace kalvex;

namespace {

// Says Yes to the download question; nothing else is asked on a healthy link.
class YesPrompt final : public Prompt {
  public:
    MsgAnswer message(const QString&, const QString&, MsgButtons b, MsgIcon) override {
        return b == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Cancel;
    }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};

class RunHost final : public TransferHost {
  public:
    void switchOnline() override {}
    std::optional<LabelRange> askLabelRange() override { return std::nullopt; }
    void showProcessing(DataTransfer& t) override { t.runToEnd(); }
};

struct Bench {
    explicit Bench(int setCode) : items(setItemsOf(setCode)) {
        QString error;
        if (!server.start(&error)) qFatal("simulator: %s", qPrintable(error));
        server.withBoard([this](sim::Board& b) {
            b.machine().running = false;
            b.faults().baud = 9600;
        });
        port = std::make_unique<QtSerialPort>(server.slavePath());
        link.OpenRSComm(*port);
        if (!link.OnlineMode()) qFatal("cannot go online");
    }
    // The board holds the data set but for three items (first, middle, last of the set).
    void resetBoard() {
        server.withBoard([this](sim::Board& b) {
            for (const int i : items)
                b.setValue(data.Address[size_t(i)], data.Value[size_t(i)]);
            for (const size_t k : {size_t(0), items.size() / 2, items.size() - 1})
                b.setValue(data.Address[size_t(items[k])], data.Value[size_t(items[k])] + 1);
        });
        link.resetBoardMode();
    }
    qint64 received() {
        qint64 n = 0;
        server.withBoard([&](sim::Board& b) { n = b.receivedCount(); });
        return n;
    }

    std::vector<int> items;
    SetupData data = defaultDataSet(QStringLiteral("KALVEX_R1.0.0"));
    sim::PtyServer server;
    QTemporaryDir home;
    YesPrompt prompt;
    RunHost host;
    SystemClock clock;
    std::unique_ptr<QtSerialPort> port; // once the simulator has its pseudo-terminal
    RSComm link{prompt, clock, home.path()};
};

void run(benchmark::State& state, int setCode, int mode) {
    Bench b(setCode);
    qint64 bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        b.resetBoard();
        const qint64 before = b.received();
        state.ResumeTiming();
        if (mode == 0) {
            SetupData source = b.data;
            DataTransfer t(b.link, b.prompt, source, transferPlan(setCode + 10));
            t.runToEnd();
        } else {
            DataCompare compare(b.link, b.prompt, b.host);
            const auto diffs = compare.compareWithBoard(b.data, b.items);
            if (!diffs || diffs->size() != 3) qFatal("compare failed");
            std::vector<int> changed;
            for (const ItemDifference& d : *diffs)
                changed.push_back(d.index);
            const SelectiveOutcome out = compare.download(setCode, b.data, changed, mode == 2);
            if (!out.complete || !out.mismatches.empty()) qFatal("download failed");
        }
        if (b.link.CommError()) qFatal("link failed");
        bytes = b.received() - before;
    }
    state.counters["bytes"] = double(bytes);
}

// mode 0: plain download of the set; 1: compare, then the three items; 2: the same, read back.
BENCHMARK_CAPTURE(run, setup_plain, kUploadSetup, 0)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(run, setup_compare, kUploadSetup, 1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK_CAPTURE(run, setup_compare_verify, kUploadSetup, 2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK_CAPTURE(run, all_plain, kUploadAll, 0)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(run, all_compare, kUploadAll, 1)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(run, all_compare_verify, kUploadAll, 2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace
