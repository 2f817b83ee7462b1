#include "report/ReportOptions.h"

#include "data/AppState.h"
#include "data/LabelRange.h"
#include "link/TextNumber.h"

#include <algorithm>

namespace kalvex {

ReportOptions reportOptions(const AppState& s) {
    return {s.gReportSetup,     s.gReportShift,      s.gReportLabels,
            s.gReportAllLabels, s.gReportLabelFirst, s.gReportLabelLast};
}

void storeReportOptions(AppState& s, const ReportOptions& o) {
    s.gReportSetup = o.setup;
    s.gReportShift = o.shift;
    s.gReportLabels = o.labels;
    s.gReportAllLabels = o.allLabels;
    s.gReportLabelFirst = o.labelFirst;
    s.gReportLabelLast = o.labelLast;
}

LabelSpan reportLabelSpan(const ReportOptions& o) {
    if (o.allLabels) return {0, 99};
    return {std::max(o.labelFirst, 0), std::min(o.labelLast, 99)};
}

std::optional<int> reportLabelNumber(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return 0;
    if (!isNumericText(t)) return std::nullopt;
    const double v = leadingNumber(t);
    if (v < 0 || v > 450) return std::nullopt;
    return roundToInt32(v);
}

} // namespace kalvex
