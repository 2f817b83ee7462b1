#pragma once
#include "report/ReportLayout.h"

#include <QPageSize>

class QPagedPaintDevice;

namespace kalvex {

// Draws the report on a printer or PDF writer. Returns the pages drawn, or -1 when the device
// could not be painted.
int renderReport(QPagedPaintDevice& device, const ReportJob& job);

// Letter where the system measures in US units, A4 elsewhere.
QPageSize defaultReportPageSize();

// Writes the report as a PDF file, whole or not at all. False with the reason in `error` when
// the file cannot be written or the report has no page.
bool writeReportPdf(const QString& path, const ReportJob& job, const QPageSize& pageSize,
                    QString* error);

} // namespace kalvex
