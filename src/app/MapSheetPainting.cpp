#include "MapSheetPainting.h"
#include "MapFurniture.h"
#include "model/ValueFormat.h"
#include "platform/NumberText.h"

#include <QFont>
#include <QPainter>

#include <cmath>

namespace {
// Millimetres on the page as the device's pixels.
struct TPageUnits {
    double Dpi;
    double operator()(double mm) const { return mm * Dpi / 25.4; }
    QRectF operator()(const QRectF& mm) const {
        return {(*this)(mm.left()), (*this)(mm.top()), (*this)(mm.width()), (*this)(mm.height())};
    }
};

void SetFontHeight(QPainter& painter, double pixels, bool bold = false) {
    QFont font = painter.font();
    font.setPixelSize(std::max(1, int(std::lround(pixels))));
    font.setBold(bold);
    painter.setFont(font);
}

QString TickText(double value) {
    return TrimZeros(FormatFixed(value, 6, SystemDecimalSeparator()), 0);
}

// The frame's ticks, outward on every side, with their values in the label band: eastings above
// and below, northings on the left and the right reading upwards.
void DrawFrameTicks(QPainter& painter, const TPageUnits& mm, const QRectF& map,
                    const TSheetPlan& plan) {
    const double tick = mm(1.5), gap = mm(0.5), band = mm(4.5);
    const TGroundRect& g = plan.Ground;
    for (const double e : plan.Eastings) {
        const double x = map.left() + (e - g.Left) / g.Width * map.width();
        painter.drawLine(QPointF(x, map.top()), QPointF(x, map.top() - tick));
        painter.drawLine(QPointF(x, map.bottom()), QPointF(x, map.bottom() + tick));
        const QRectF above(x - mm(20), map.top() - tick - gap - band, mm(40), band);
        painter.drawText(above, Qt::AlignHCenter | Qt::AlignBottom, TickText(e));
        painter.drawText(above.translated(0, map.height() + band + 2 * (tick + gap)),
                         Qt::AlignHCenter | Qt::AlignTop, TickText(e));
    }
    for (const double n : plan.Northings) {
        const double y = map.bottom() - (n - g.Bottom) / g.Height * map.height();
        painter.drawLine(QPointF(map.left(), y), QPointF(map.left() - tick, y));
        painter.drawLine(QPointF(map.right(), y), QPointF(map.right() + tick, y));
        for (const double x : {map.left() - tick - gap - band, map.right() + tick + gap}) {
            painter.save();
            painter.translate(x, y);
            painter.rotate(-90); // the values read upwards
            painter.drawText(QRectF(-mm(20), 0, mm(40), band), Qt::AlignHCenter | Qt::AlignTop,
                             TickText(n));
            painter.restore();
        }
    }
}

void DrawFooter(QPainter& painter, const TPageUnits& mm, const TSheetPlan& plan,
                double metresPerUnit, const TSheetTexts& texts) {
    const QRectF footer = mm(plan.Footer);
    SetFontHeight(painter, mm(3));
    const QString scale = "Scale 1:" + FormatGeneral(plan.Scale, 15, SystemDecimalSeparator());
    painter.drawText(QRectF(footer.left(), footer.top() + mm(1), mm(60), mm(4)),
                     Qt::AlignLeft | Qt::AlignTop, scale);
    // The bar: a round ground length of at most 50 millimetres on the page.
    const double unitsPerMM = plan.Scale / (metresPerUnit * 1000);
    const double length = ScaleBarLength(50 * unitsPerMM);
    if (length > 0)
        DrawScaleBar(painter,
                     QRectF(footer.left(), footer.top() + mm(11), mm(length / unitsPerMM), mm(2)),
                     length, texts.Unit);
    SetFontHeight(painter, mm(2.5));
    painter.drawText(QRectF(footer.left() + mm(70), footer.top() + mm(1), footer.width() - mm(90),
                            footer.height() - mm(1)),
                     Qt::AlignLeft | Qt::AlignTop, texts.Notes.join('\n'));
    SetFontHeight(painter, mm(3.5), true);
    DrawNorthArrow(painter, QPointF(footer.right() - mm(6), footer.top() + mm(5.5)), mm(11));
}
} // namespace

void PaintMapSheet(QPainter& painter, double dpi, const TSheetPlan& plan, double metresPerUnit,
                   const TSheetTexts& texts, const TDrawSheetMap& drawMap) {
    const TPageUnits mm{dpi};
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, mm(0.25)));
    SetFontHeight(painter, mm(5), true);
    painter.drawText(mm(plan.Title), Qt::AlignHCenter | Qt::AlignVCenter, texts.Title);

    const QRectF map = mm(plan.Map);
    painter.save();
    painter.setClipRect(map);
    drawMap(painter, map.toAlignedRect(), plan.Ground);
    painter.restore();
    painter.setPen(QPen(Qt::black, mm(0.35)));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(map);
    painter.setPen(QPen(Qt::black, mm(0.25)));
    SetFontHeight(painter, mm(2.2));
    DrawFrameTicks(painter, mm, map, plan);
    DrawFooter(painter, mm, plan, metresPerUnit, texts);
    painter.restore();
}
