#include "report/ReportPdf.h"

#include "link/SafeFile.h"
#include "report/PainterCanvas.h"

#include <QBuffer>
#include <QDir>
#include <QLocale>
#include <QPdfWriter>

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
    // Refused before the work of rendering.
    if (QString why = notRegularFileProblem(path); !why.isEmpty())
        return fail(why + QStringLiteral(" Nothing was written."));
    // The whole document is made in memory and saved in one go: a full disk or a failed
    // painter never leaves a truncated PDF in place of the old file.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    int pages = 0;
    {
        QPdfWriter pdf(&buffer);
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
    const QByteArray& bytes = buffer.data();
    if (pages < 0 || !bytes.startsWith("%PDF-") || !bytes.trimmed().endsWith("%%EOF"))
        return fail(QStringLiteral("The report could not be drawn; \"%1\" was not written.")
                        .arg(QDir::toNativeSeparators(path)));
    const QString why = saveFileAtomically(path, bytes);
    if (!why.isEmpty()) return fail(why);
    return true;
}

} // namespace kalvex
