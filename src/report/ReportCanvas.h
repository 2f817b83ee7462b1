#pragma once
#include <QString>

namespace kalvex {

// The font roles of the report; all of them Times, never italic.
enum class ReportFontRole {
    ItemText,
    SubsectionTitle,
    LabelHeads,
    SectionTitle,
    PageTitle,
    Footer
};

struct ReportFont {
    int pointSize;
    bool bold;
    bool underline;
};
ReportFont reportFont(ReportFontRole role);

// A page the report is laid out on, measured in inches from the top left of the printable
// area. A printer or PDF writer draws it; the tests record it.
class ReportCanvas {
  public:
    virtual ~ReportCanvas() = default;
    // The printable area.
    virtual double pageWidth() const = 0;
    virtual double pageHeight() const = 0;
    virtual void setFont(ReportFontRole role) = 0;
    // In the current font.
    virtual double textWidth(const QString& text) const = 0;
    virtual double lineHeight() const = 0;
    // `top` is the top of the text line.
    virtual void drawText(double x, double top, const QString& text) = 0;
    virtual void drawRule(double x1, double x2, double y) = 0;
    // Only ever called between two pages that both get drawn on.
    virtual void newPage() = 0;
};

} // namespace kalvex
