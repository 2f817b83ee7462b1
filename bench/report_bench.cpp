// Time and peak memory to write the full report (all sections, all 100 labels) as a PDF.
//
//   build/default/bin/kalvex-report-bench [runs]
#include "data/TagMap.h"
#include "report/ReportPdf.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using namespace kalvex;

namespace {

long peakKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// A data set with counts in the millions and every label filled, so no text is short.
ReportJob fullJob() {
    ReportJob job;
    job.data = defaultDataSet(QStringLiteral("KALVEX_R1.0.0"));
    for (int i = 1; i <= 121; ++i)
        job.data.Value[size_t(i)] = 1000003 * i % 99999999;
    for (int i = kFirstLabelItem; i < kFirstLabelItem + kLabelCount * kItemsPerLabel; ++i)
        job.data.Value[size_t(i)] = i % 255;
    job.caption = QStringLiteral("[line4.sdt]");
    job.dateText = QStringLiteral("12/7/2026 10:30:00 AM");
    return job;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    const ReportJob job = fullJob();
    const long before = peakKiB();
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        QString error;
        if (!writeReportPdf(path, job, QPageSize(QPageSize::Letter), &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    const double first = ms.front();
    std::sort(ms.begin(), ms.end());
    std::printf("full report to PDF, %d runs: first %.1f ms, median %.1f ms, max %.1f ms\n", runs,
                first, ms[ms.size() / 2], ms.back());
    std::printf("peak RSS %ld KiB (%ld KiB before the first report), PDF %lld bytes\n", peakKiB(),
                before, QFileInfo(path).size());
    return 0;
}
