// The main() of the Google Benchmark programs that talk through QSerialPort.
#include <QCoreApplication>
#include <benchmark/benchmark.h>

// QSerialPort waits through socket notifiers, which need an application object.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
