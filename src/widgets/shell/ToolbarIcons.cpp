#include "widgets/shell/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kalvex {

namespace {

constexpr int kSize = 32;

void drawPage(QPainter& p) {
    QPainterPath page;
    page.moveTo(7, 3);
    page.lineTo(20, 3);
    page.lineTo(26, 9);
    page.lineTo(26, 29);
    page.lineTo(7, 29);
    page.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.drawLine(20, 3, 20, 9);
    p.drawLine(20, 9, 26, 9);
}

void drawFolder(QPainter& p) {
    p.setBrush(QColor(0xF2, 0xC1, 0x4E));
    p.drawRect(3, 10, 26, 18);
    p.drawRect(3, 6, 10, 4);
}

void drawDisk(QPainter& p) {
    p.setBrush(QColor(0x3A, 0x6E, 0xC4));
    p.drawRoundedRect(4, 4, 24, 24, 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(9, 4, 14, 9);
    p.setBrush(QColor(0xDD, 0xDD, 0xDD));
    p.drawRect(8, 18, 16, 10);
}

void drawPrinter(QPainter& p) {
    p.setBrush(Qt::white);
    p.drawRect(9, 3, 14, 10);
    p.setBrush(QColor(0x70, 0x70, 0x70));
    p.drawRoundedRect(3, 12, 26, 11, 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(9, 19, 14, 10);
}

void drawPencil(QPainter& p) {
    drawPage(p);
    p.save();
    p.translate(17, 17);
    p.rotate(45);
    p.setBrush(QColor(0xE8, 0x8A, 0x1A));
    p.drawRect(-3, -14, 6, 18);
    p.setBrush(QColor(0x40, 0x40, 0x40));
    p.drawPolygon(QPolygonF({QPointF(-3, 4), QPointF(3, 4), QPointF(0, 10)}));
    p.restore();
}

// A board with an arrow towards the PC (up) or towards the board (down).
void drawTransfer(QPainter& p, bool up) {
    p.setBrush(QColor(0x2E, 0x8B, 0x57));
    p.drawRect(3, up ? 22 : 3, 26, 7);
    p.setBrush(up ? QColor(0x3A, 0x6E, 0xC4) : QColor(0xC4, 0x3A, 0x3A));
    QPolygonF arrow =
        up ? QPolygonF({QPointF(16, 2), QPointF(26, 12), QPointF(20, 12), QPointF(20, 20),
                        QPointF(12, 20), QPointF(12, 12), QPointF(6, 12)})
           : QPolygonF({QPointF(16, 30), QPointF(26, 20), QPointF(20, 20), QPointF(20, 12),
                        QPointF(12, 12), QPointF(12, 20), QPointF(6, 20)});
    p.drawPolygon(arrow);
}

void drawChip(QPainter& p) {
    for (int i = 0; i < 4; ++i) {
        p.drawLine(10 + 4 * i, 3, 10 + 4 * i, 29);
        p.drawLine(3, 10 + 4 * i, 29, 10 + 4 * i);
    }
    p.setBrush(QColor(0x30, 0x30, 0x30));
    p.drawRect(7, 7, 18, 18);
    p.setBrush(QColor(0x2E, 0x8B, 0x57));
    p.drawEllipse(10, 10, 4, 4);
}

} // namespace

QIcon toolbarIcon(ToolIcon which) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.2));
    switch (which) {
    case ToolIcon::New:
        drawPage(p);
        break;
    case ToolIcon::Open:
        drawFolder(p);
        break;
    case ToolIcon::Save:
        drawDisk(p);
        break;
    case ToolIcon::Print:
        drawPrinter(p);
        break;
    case ToolIcon::OfflineEdit:
        drawPencil(p);
        break;
    case ToolIcon::Upload:
        drawTransfer(p, true);
        break;
    case ToolIcon::Download:
        drawTransfer(p, false);
        break;
    case ToolIcon::TargetBoard:
        drawChip(p);
        break;
    }
    p.end();
    return QIcon(pixmap);
}

} // namespace kalvex
