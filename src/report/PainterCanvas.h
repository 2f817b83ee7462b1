#pragma once
#include "report/ReportCanvas.h"

#include <QFont>
#include <QPainter>

class QPagedPaintDevice;

namespace kalvex {

// The report page drawn with QPainter on a printer or a PDF writer. Painting begins with the
// first text, so a job without pages never starts one.
class PainterCanvas final : public ReportCanvas {
  public:
    explicit PainterCanvas(QPagedPaintDevice& device);

    // False when the device refused to start painting (no printer, unwritable file).
    bool ok() const { return m_ok; }
    // Ends the job; false when the device failed on the way.
    bool finish();

    double pageWidth() const override;
    double pageHeight() const override;
    void setFont(ReportFontRole role) override;
    double textWidth(const QString& text) const override;
    double lineHeight() const override;
    void drawText(double x, double top, const QString& text) override;
    void drawRule(double x1, double x2, double y) override;
    void newPage() override;

  private:
    bool begin();

    QPagedPaintDevice& m_device;
    QPainter m_painter;
    QFont m_font;
    double m_dpiX;
    double m_dpiY;
    bool m_ok = true;
};

} // namespace kalvex
