#include "report/ReportPdf.h"

#include "report/PainterCanvas.h"

#include <QFileInfo>
#include <QLocale>
#include <QPdfWriter>
#include <QSaveFile>

namespace kalvex {

int renderReport(QPagedPaintDevice& device, const ReportJob& job) {
    PainterCanvas canvas(device);
    const int pages = PrintReport(canvas, job);
    return canvas.finish() ? pages : -1;
}

QPageSize defaultReportPageSize() {
    return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem
               ? QPageSize(QPageSize::Letter)
               : QPageSize(QPageSize::A4);
}

bool writeReportPdf(const QString& path, const ReportJob& job, const QPageSize& pageSize,
                    QString* error) {
    const auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return fail(QStringLiteral("\"%1\" is not a regular file; nothing was written.").arg(path));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString()));
    int pages = 0;
    {
        QPdfWriter pdf(&file);
        pdf.setTitle(QStringLiteral("KALVEX Report: ") + job.caption);
        pdf.setCreator(QStringLiteral("KALVEX"));
        pdf.setResolution(1200);
        // Quarter-inch margins, as a printer's unprintable edge.
        pdf.setPageLayout(QPageLayout(pageSize, QPageLayout::Portrait,
                                      QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch));
        pages = renderReport(pdf, job);
    }
    if (pages == 0)
        return fail(QStringLiteral("No report section is chosen; nothing was written."));
    if (pages < 0 || !file.commit())
        return fail(QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString()));
    return true;
}

} // namespace kalvex
