#include "MapFurniture.h"
#include "platform/NumberText.h"

#include <QFont>
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
        // Half black, half white, as maps draw it, with its length above.
        const int pixels = int(std::lround(length / unitsPerPixel));
        const int height = std::max(4, margin / 2);
        const QRect bar(area.left() + margin, area.bottom() - margin - height, pixels, height);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::black);
        painter.drawRect(QRect(bar.left(), bar.top(), pixels / 2, height));
        painter.setBrush(Qt::white);
        painter.drawRect(QRect(bar.left() + pixels / 2, bar.top(), pixels - pixels / 2, height));
        const int text = font.pixelSize() + 4;
        painter.drawText(QRect(bar.left(), bar.top() - text - 2, pixels + 20 * text, text),
                         Qt::AlignLeft | Qt::AlignBottom,
                         FormatGeneral(length, 15, SystemDecimalSeparator()) + ' ' + unit);
    }
    // A north arrow: a tall triangle under an N.
    const int size = std::max(24, area.height() / 10);
    const QPointF tip(area.right() - margin - size / 4.0,
                      area.top() + margin + font.pixelSize() + 6);
    QPainterPath arrow;
    arrow.moveTo(tip);
    arrow.lineTo(tip + QPointF(size / 4.0, size));
    arrow.lineTo(tip + QPointF(0, size * 0.75));
    arrow.lineTo(tip + QPointF(-size / 4.0, size));
    arrow.closeSubpath();
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::black);
    painter.drawPath(arrow);
    painter.drawText(
        QRectF(tip.x() - size, tip.y() - font.pixelSize() - 6, 2 * size, font.pixelSize() + 4),
        Qt::AlignHCenter | Qt::AlignBottom, "N");
    painter.restore();
}
