#pragma once
#include "data/SetupData.h"
#include "report/ReportCanvas.h"
#include "report/ReportOptions.h"

namespace kalvex {

// Everything one print job needs, taken when the job starts so that nothing that changes
// meanwhile ends up half in the report.
struct ReportJob {
    SetupData data;
    ReportOptions options;
    // The bracketed file name of the title, "[unnamed]" or "[name.sdt]".
    QString caption;
    // The date and time of the footers.
    QString dateText;
};

// Lays out the chosen sections, each from a fresh page, with titles, footers and page breaks.
// Returns the number of pages drawn: none when no section is chosen.
int PrintReport(ReportCanvas& canvas, const ReportJob& job);

// A count as the report prints it: grouped by thousands in the system's number format (with a
// comma under the C locale, which Qt leaves ungrouped by default).
QString reportCountText(qint64 value);

// "1:Y 2:N ..." for the ductor feedback mask: ductor d is on when bit d - 1 is set.
QString ductorFlagsText(qint32 mask);

} // namespace kalvex
