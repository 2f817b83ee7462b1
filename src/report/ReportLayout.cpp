#include "report/ReportLayout.h"

#include <QLocale>

namespace kalvex {

ReportFont reportFont(ReportFontRole role) {
    switch (role) {
    case ReportFontRole::ItemText:
        return {12, false, false};
    case ReportFontRole::SubsectionTitle:
        return {14, true, false};
    case ReportFontRole::LabelHeads:
        return {12, true, true};
    case ReportFontRole::SectionTitle:
        return {14, true, false};
    case ReportFontRole::PageTitle:
        return {12, true, false};
    case ReportFontRole::Footer:
        return {10, false, false};
    }
    return {12, false, false};
}

QString reportCountText(qint64 value) {
    QLocale locale = QLocale::system();
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(value);
}

QString ductorFlagsText(qint32 mask) {
    QStringList flags;
    for (int d = 1; d <= 8; ++d)
        flags << QStringLiteral("%1:%2").arg(d).arg(QChar((mask >> (d - 1)) & 1 ? u'Y' : u'N'));
    return flags.join(u' ');
}

namespace {

// Below this distance from the bottom no new block starts.
constexpr double kBottomReserve = 0.9;
constexpr double kSetupValueEnd = 5.5;
constexpr double kShiftValueEnd = 4.0;

struct Item {
    const char* text;
    int index;
};

class ReportLayout {
  public:
    ReportLayout(ReportCanvas& canvas, const ReportJob& job)
        : m_canvas(canvas), m_job(job), gReportCaption(job.caption) {}

    int run() {
        gReportColumn = gReportMargin;
        if (m_job.options.setup) setupSection();
        if (m_job.options.shift) shiftSection();
        if (m_job.options.labels) labelSection();
        return m_page;
    }

  private:
    qint32 value(int index) const {
        const auto& v = m_job.data.Value;
        return index >= 0 && size_t(index) < v.size() ? v[size_t(index)] : 0;
    }
    double width() const { return m_canvas.pageWidth(); }
    double height() const { return m_canvas.pageHeight(); }

    void SetReportFont(ReportFontRole role) { m_canvas.setFont(role); }

    // A page starts when the first thing is drawn on it, so the job never ends on a blank one.
    void printAt(double x, const QString& text) {
        if (!m_pageOpen) {
            if (m_page > 0) m_canvas.newPage();
            ++m_page;
            m_pageOpen = true;
        }
        m_canvas.drawText(x, gReportTop, text);
    }
    void endLine() { gReportTop += m_canvas.lineHeight(); }
    void printLine(double x, const QString& text) {
        printAt(x, text);
        endLine();
    }
    void blankLine() { endLine(); }

    void ReportPageTitle() {
        SetReportFont(ReportFontRole::PageTitle);
        const QString title = QStringLiteral("KALVEX Report: ") + gReportCaption;
        gReportTop = 0.1;
        printAt((width() - m_canvas.textWidth(title) - gReportMargin) / 2, title);
        const double rule = gReportTop + m_canvas.lineHeight();
        m_canvas.drawRule(gReportMargin, width() - gReportMargin, rule);
        gReportColumn = gReportMargin;
        gReportTop = rule + 0.25;
    }

    void ReportPageEnd() {
        SetReportFont(ReportFontRole::Footer);
        gReportTop = height() - m_canvas.lineHeight() - 0.1;
        printAt(gReportMargin, QStringLiteral("Page %1").arg(m_page));
        const QString& date = m_job.dateText;
        printAt(width() - gReportMargin - m_canvas.textWidth(date), date);
        m_canvas.drawRule(gReportMargin, width() - gReportMargin, gReportTop - 0.1);
        m_pageOpen = false;
        gReportTop = 0;
    }

    void ReportEnsureSpace(bool force, int lines) {
        if (force || height() - m_canvas.lineHeight() * lines < gReportTop + kBottomReserve)
            ReportPageEnd();
        if (gReportTop == 0) ReportPageTitle();
    }

    void ReportLabelHeads() {
        SetReportFont(ReportFontRole::LabelHeads);
        printAt(gReportMargin, QStringLiteral("Label:"));
        for (int d = 1; d <= 8; ++d)
            printAt(gReportMargin + 1.25 + 0.75 * (d - 1), QStringLiteral(" #%1 ").arg(d));
        endLine();
    }

    void sectionTitle(const char* text) {
        ReportPageTitle();
        SetReportFont(ReportFontRole::SectionTitle);
        printLine(gReportColumn, QLatin1String(text));
        blankLine();
    }
    void subsection(const char* text) {
        SetReportFont(ReportFontRole::SubsectionTitle);
        printLine(gReportMargin + 0.25, QLatin1String(text));
    }
    void itemLine(const QString& text, const QString& valueText, double valueEnd) {
        SetReportFont(ReportFontRole::ItemText);
        printAt(gReportMargin + 0.5, text);
        printAt(valueEnd - m_canvas.textWidth(valueText), valueText);
        endLine();
    }
    void itemLines(std::initializer_list<Item> items, double valueEnd, bool counts) {
        for (const Item& i : items)
            itemLine(QLatin1String(i.text),
                     counts ? reportCountText(value(i.index)) : QString::number(value(i.index)),
                     valueEnd);
    }
    void textLine(const char* text) {
        SetReportFont(ReportFontRole::ItemText);
        printLine(gReportMargin + 0.5, QLatin1String(text));
    }

    void setupSection();
    void shiftSection();
    void shiftTotals(int first, int tripBase);
    void labelSection();
    void labelRow(int label, const char* name, int firstItem, double firstCentre);

    ReportCanvas& m_canvas;
    const ReportJob& m_job;
    int m_page = 0;
    bool m_pageOpen = false;
    // Layout state in inches.
    const double gReportMargin = 0.5;
    double gReportTop = 0;
    double gReportColumn = 0.5;
    QString gReportCaption;
};

void ReportLayout::setupSection() {
    const double end = kSetupValueEnd;
    sectionTitle("Set-up Parameters");
    subsection("A. Speed Parameters");
    itemLines({{"1. Canfeed Enable Low Speed: ", 122},
               {"2. Canfeed Enable High Speed: ", 123},
               {"3. O'Varnish Roll Speed Calibrate: ", 124}},
              end, false);
    blankLine();

    ReportEnsureSpace(false, 7);
    subsection("B. Ductor Parameters");
    itemLines({{"1. Maximum Cycle Duration (0.1 cans):", 125},
               {"2. Maximum ON Duration (0.1 cans):", 126},
               {"3. Response Time Compensation (msec):", 127},
               {"4. Color Gain (CG-100% per 2000cpm):", 128}},
              end, false);
    textLine("5. Ductor Feedback Enable:");
    printLine(gReportMargin + 0.75, ductorFlagsText(value(129)));
    blankLine();

    ReportEnsureSpace(false, 11);
    subsection("C. Blow-off Parameters");
    itemLines({{"1. Number of Pins to Pin Chain Blow-off Port:", 130},
               {"2. Number of Cans to Blow-off for Each Misload:", 131},
               {"3. Number of Cans to Blow-off at Infeed Open:", 132},
               {"4. Number of Cans to Blow-off from Print at Restart:", 133},
               {"5. Number of Cans to Blow-off from Varnish at Restart:", 134},
               {"6. Q.C. Can Blow-off Port Shift Offset:", 135},
               {"7. Bad Can Blow-off Solenoid ON Response Time (msec):", 136},
               {"8. Bad Can Blow-off Solenoid Off Response Time (msec):", 137},
               {"9. Q.C. Can Blow-off Solenoid ON Response Time (msec):", 138},
               {"10. Q.C. Can Blow-off Solenoid Off Response Time (msec):", 139}},
              end, false);
    blankLine();

    ReportEnsureSpace(false, 4);
    subsection("D. Machine Timing");
    itemLines({{"1. Bad Can Blow-off ON Position (degrees):", 140},
               {"2. Q.C. Can Blow-off ON Position (degrees):", 141},
               {"3. Can Gate Timing ON Position (degrees):", 142}},
              end, false);
    blankLine();

    ReportEnsureSpace(false, 3);
    subsection("E. DF1 Communication Set-up Parameters");
    itemLine(QStringLiteral("  1. Allen-Bradley PLC Type:"),
             value(1744) != 0 ? QStringLiteral("SLC-500") : QStringLiteral("PLC-5"), end);
    itemLines({{"  2. Destination PLC Node Number:", 1745},
               {"  3. Destination PLC Starting File Number:", 1746}},
              end, false);
    blankLine();
    ReportPageEnd();
}

// The six totals from `first` and the 36 spindle trips after `tripBase`, in a grid of 12 rows.
void ReportLayout::shiftTotals(int first, int tripBase) {
    itemLines({{"1. Total Good Cans:", first},
               {"2. Total Blow-offs:", first + 1},
               {"3. Bad Can Blow-off:", first + 2},
               {"4. Manual Blow-offs:", first + 3},
               {"5. Q.C. Blow-offs:", first + 4},
               {"6. Restart Blow-offs:", first + 5}},
              kShiftValueEnd, true);
    textLine("7. Trips Per Spindle:");
    for (int r = 1; r <= 12; ++r) {
        for (int c = 0; c < 3; ++c) {
            const int spindle = r + 12 * c;
            printAt(gReportMargin + 0.75 + 2.0 * c,
                    QStringLiteral("%1: %2").arg(spindle).arg(
                        reportCountText(value(tripBase + spindle))));
        }
        endLine();
    }
}

void ReportLayout::shiftSection() {
    sectionTitle("Data Collection Counts (shift data)");
    subsection("A. Trips Per Spindle");
    itemLine(QStringLiteral("1. Spindle No.1 Trip Shift Offset:"), QString::number(value(0)),
             kShiftValueEnd);
    blankLine();

    ReportEnsureSpace(false, 20);
    subsection("B. Current Shift Data");
    shiftTotals(37, 42);
    blankLine();

    ReportEnsureSpace(false, 20);
    subsection("C. Last (previous) Shift Data");
    shiftTotals(79, 84);
    blankLine();

    ReportEnsureSpace(false, 2);
    subsection("D. Lifetime Can Count");
    itemLines({{"1. Lifetime Can Count (x1,000):", 121}}, kShiftValueEnd, true);
    blankLine();
    ReportPageEnd();
}

// One row of a label block: the name at the margin, then the eight ductors' values centred on
// their columns.
void ReportLayout::labelRow(int label, const char* name, int firstItem, double firstCentre) {
    printAt(gReportMargin, QString::number(label) + QLatin1String(name));
    for (int d = 0; d < 8; ++d) {
        const QString v = QString::number(value(firstItem + 16 * label + d));
        printAt(firstCentre + 0.75 * d - m_canvas.textWidth(v) / 2, v);
    }
    endLine();
}

void ReportLayout::labelSection() {
    sectionTitle("Label Data (pneumatic ductor color control):");
    ReportLabelHeads();
    const LabelSpan span = reportLabelSpan(m_job.options);
    for (int label = span.first; label <= span.last; ++label) {
        if (height() < gReportTop + kBottomReserve) {
            ReportEnsureSpace(false, 0);
            ReportLabelHeads();
        }
        SetReportFont(ReportFontRole::ItemText);
        const double firstCentre =
            gReportMargin + 1.25 + m_canvas.textWidth(QStringLiteral(" #1 ")) / 2;
        labelRow(label, " On Dur.:", 144, firstCentre);
        labelRow(label, " Cycle Dur.:", 152, firstCentre);
        blankLine();
    }
    ReportPageEnd();
}

} // namespace

int PrintReport(ReportCanvas& canvas, const ReportJob& job) {
    return ReportLayout(canvas, job).run();
}

} // namespace kalvex
