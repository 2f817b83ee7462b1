#pragma once
#include "report/ReportCanvas.h"

#include <vector>

namespace kalvex::test {

// A Letter page with quarter-inch unprintable edges (8 x 10.5 in printable) whose fonts are
// simple: a line is 1.25 x the point size high and a character half the point size wide.
class RecordingPage final : public ReportCanvas {
  public:
    struct Op {
        int page;
        bool rule;
        double x;
        double y; // top of the text line, or the rule's height
        double x2;
        QString text;
        ReportFontRole font;
    };

    static double lineOf(ReportFontRole f) { return reportFont(f).pointSize / 72.0 * 1.25; }
    static double widthOf(ReportFontRole f, const QString& t) {
        return double(t.size()) * reportFont(f).pointSize / 72.0 * 0.5;
    }

    double pageWidth() const override { return 8.0; }
    double pageHeight() const override { return 10.5; }
    void setFont(ReportFontRole role) override { m_font = role; }
    double textWidth(const QString& text) const override { return widthOf(m_font, text); }
    double lineHeight() const override { return lineOf(m_font); }
    void drawText(double x, double top, const QString& text) override {
        ops.push_back({m_page, false, x, top, 0, text, m_font});
    }
    void drawRule(double x1, double x2, double y) override {
        ops.push_back({m_page, true, x1, y, x2, {}, m_font});
    }
    void newPage() override { ++m_page; }

    int pages() const { return ops.empty() ? 0 : ops.back().page; }
    // The first text drawn that equals `text`, or null.
    const Op* find(const QString& text) const {
        for (const Op& o : ops)
            if (!o.rule && o.text == text) return &o;
        return nullptr;
    }
    std::vector<const Op*> onPage(int page) const {
        std::vector<const Op*> r;
        for (const Op& o : ops)
            if (o.page == page) r.push_back(&o);
        return r;
    }

    std::vector<Op> ops;

  private:
    ReportFontRole m_font = ReportFontRole::ItemText;
    int m_page = 1;
};

} // namespace kalvex::test
