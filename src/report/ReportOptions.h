#pragma once
#include <QString>

#include <optional>

namespace kalvex {

class AppState;

// What Print Report prints: the three sections and the label range.
struct ReportOptions {
    bool setup = true;
    bool shift = true;
    bool labels = true;
    bool allLabels = true;
    int labelFirst = 0;
    int labelLast = 99;

    friend bool operator==(const ReportOptions&, const ReportOptions&) = default;
};

ReportOptions reportOptions(const AppState& state);
void storeReportOptions(AppState& state, const ReportOptions& options);

// Labels the report prints: 0-99 for all labels, else first to last with last limited to 99.
// Empty when first is greater than last.
struct LabelSpan {
    int first = 0;
    int last = -1;
};
LabelSpan reportLabelSpan(const ReportOptions& options);

// A "from" or "to" entry of Report Set-up: a number from 0 to 450 (an empty field counts as
// 0), rounded half to even; nothing when the text is refused.
std::optional<int> reportLabelNumber(const QString& text);

inline const QString kReportLabelRangeTitle = QStringLiteral("Label Range Error");
inline const QString kReportLabelRangeText =
    QStringLiteral("Only a number from 0 to 450 can be entered.");

} // namespace kalvex
