#include "MapFurniture.h"
#include "platform/NumberText.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

double ScaleBarLength(double most) {
    if (!(most > 0) || !std::isfinite(most))
        return 0;
    const double power = std::pow(10.0, std::floor(std::log10(most)));
    for (const double step : {5.0, 2.0, 1.0})
        if (step * power <= most)
            return step * power;
    return power / 2; // log10 rounded up at a power of ten
}

void DrawScaleBar(QPainter& painter, const QRectF& bar, double length, const QString& unit) {
    painter.save();
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::black);
    const double half = std::round(bar.width() / 2);
    painter.drawRect(QRectF(bar.left(), bar.top(), half, bar.height()));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(bar.left() + half, bar.top(), bar.width() - half, bar.height()));
    const double text = QFontMetricsF(painter.font()).height();
    painter.drawText(QRectF(bar.left(), bar.top() - text - 2, bar.width() + 20 * text, text),
                     Qt::AlignLeft | Qt::AlignBottom,
                     FormatGeneral(length, 15, SystemDecimalSeparator()) + ' ' + unit);
    painter.restore();
}

void DrawNorthArrow(QPainter& painter, const QPointF& tip, double size) {
    painter.save();
    QPainterPath arrow;
    arrow.moveTo(tip);
    arrow.lineTo(tip + QPointF(size / 4.0, size));
    arrow.lineTo(tip + QPointF(0, size * 0.75));
    arrow.lineTo(tip + QPointF(-size / 4.0, size));
    arrow.closeSubpath();
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::black);
    painter.drawPath(arrow);
    const double text = QFontMetricsF(painter.font()).height();
    painter.drawText(QRectF(tip.x() - size, tip.y() - text - 2, 2 * size, text),
                     Qt::AlignHCenter | Qt::AlignBottom, "N");
    painter.restore();
}

void DrawMapFurniture(QPainter& painter, const QRect& area, double unitsPerPixel,
                      const QString& unit) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = painter.font();
    font.setPixelSize(std::max(12, area.width() / 45)); // read where the map is shrunk to a page
    painter.setFont(font);
    const int margin = std::max(8, area.width() / 50);
    const double length = ScaleBarLength(area.width() / 4.0 * unitsPerPixel);
    if (length > 0) {
        const int pixels = int(std::lround(length / unitsPerPixel));
        const int height = std::max(4, margin / 2);
        DrawScaleBar(painter,
                     QRectF(area.left() + margin, area.bottom() - margin - height, pixels, height),
                     length, unit);
    }
    const int size = std::max(24, area.height() / 10);
    DrawNorthArrow(
        painter,
        QPointF(area.right() - margin - size / 4.0, area.top() + margin + font.pixelSize() + 6),
        size);
    painter.restore();
}
