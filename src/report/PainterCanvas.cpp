#include "report/PainterCanvas.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>

namespace kalvex {

PainterCanvas::PainterCanvas(QPagedPaintDevice& device)
    : m_device(device), m_dpiX(device.logicalDpiX()), m_dpiY(device.logicalDpiY()) {
    setFont(ReportFontRole::ItemText);
}

double PainterCanvas::pageWidth() const {
    return m_device.width() / m_dpiX;
}

double PainterCanvas::pageHeight() const {
    return m_device.height() / m_dpiY;
}

void PainterCanvas::setFont(ReportFontRole role) {
    const ReportFont style = reportFont(role);
    m_font = QFont(QStringLiteral("Times"));
    m_font.setStyleHint(QFont::Times);
    m_font.setPointSize(style.pointSize);
    m_font.setBold(style.bold);
    m_font.setUnderline(style.underline);
    m_font.setItalic(false);
    if (m_painter.isActive()) m_painter.setFont(m_font);
}

double PainterCanvas::textWidth(const QString& text) const {
    return QFontMetricsF(m_font, &m_device).horizontalAdvance(text) / m_dpiX;
}

double PainterCanvas::lineHeight() const {
    return QFontMetricsF(m_font, &m_device).height() / m_dpiY;
}

bool PainterCanvas::begin() {
    if (m_painter.isActive()) return true;
    if (!m_ok || !m_painter.begin(&m_device)) return m_ok = false;
    m_painter.setFont(m_font);
    QPen pen(Qt::black);
    pen.setWidthF(m_dpiX / 100); // a hundredth of an inch
    m_painter.setPen(pen);
    return true;
}

void PainterCanvas::drawText(double x, double top, const QString& text) {
    if (!begin()) return;
    const double ascent = QFontMetricsF(m_font, &m_device).ascent();
    m_painter.drawText(QPointF(x * m_dpiX, top * m_dpiY + ascent), text);
}

void PainterCanvas::drawRule(double x1, double x2, double y) {
    if (!begin()) return;
    m_painter.drawLine(QPointF(x1 * m_dpiX, y * m_dpiY), QPointF(x2 * m_dpiX, y * m_dpiY));
}

void PainterCanvas::newPage() {
    if (begin() && !m_device.newPage()) m_ok = false;
}

bool PainterCanvas::finish() {
    if (m_painter.isActive() && !m_painter.end()) m_ok = false;
    return m_ok;
}

} // namespace kalvex
