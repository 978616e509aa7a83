#include "ToolPictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <array>

namespace {
const QColor Navy(0, 0, 128), Teal(0, 128, 128), Black(0, 0, 0), Grey(128, 128, 128),
    Silver(192, 192, 192), Green(0, 128, 0), Red(192, 0, 0), White(255, 255, 255);

// A magnifying glass with its lens at the upper left, and a sign drawn in the lens.
void Magnifier(QPainter& p) {
    p.setPen(QPen(Black, 1));
    p.setBrush(White);
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    p.setPen(QPen(Navy, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 10), QPointF(13.5, 13.5));
}

void DrawPicture(QPainter& p, TToolPicture picture) {
    p.setRenderHint(QPainter::Antialiasing, true);
    switch (picture) {
    case TToolPicture::ZoomIn:
    case TToolPicture::ZoomOut:
        Magnifier(p);
        p.setPen(QPen(Black, 1.5));
        p.drawLine(QPointF(3.5, 6), QPointF(8.5, 6));
        if (picture == TToolPicture::ZoomIn)
            p.drawLine(QPointF(6, 3.5), QPointF(6, 8.5));
        break;
    case TToolPicture::ZoomExtents:
        p.setPen(QPen(Teal, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(0.5, 0.5, 14, 14));
        p.setPen(QPen(Black, 1.5));
        for (auto [x, y, dx, dy] : {std::array{3.0, 3.0, 1.0, 1.0},
                                    {12.0, 3.0, -1.0, 1.0},
                                    {3.0, 12.0, 1.0, -1.0},
                                    {12.0, 12.0, -1.0, -1.0}}) {
            p.drawLine(QPointF(x, y), QPointF(x + 3 * dx, y + 3 * dy));
            p.drawLine(QPointF(x, y), QPointF(x + 2.5 * dx, y));
            p.drawLine(QPointF(x, y), QPointF(x, y + 2.5 * dy));
        }
        break;
    case TToolPicture::ZoomPrevious: {
        Magnifier(p);
        p.setPen(QPen(Green, 1.5));
        p.drawLine(QPointF(3.5, 6), QPointF(8.5, 6));
        p.drawLine(QPointF(3.5, 6), QPointF(5.5, 4));
        p.drawLine(QPointF(3.5, 6), QPointF(5.5, 8));
        break;
    }
    case TToolPicture::ZoomToTriangle: {
        Magnifier(p);
        QPainterPath triangle;
        triangle.moveTo(3.5, 8.5);
        triangle.lineTo(8.5, 8.5);
        triangle.lineTo(6, 3.5);
        triangle.closeSubpath();
        p.setPen(QPen(Red, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(triangle);
        break;
    }
    case TToolPicture::ZoomMode:
        p.setPen(QPen(Black, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(1.5, 1.5, 9, 7));
        p.setPen(QPen(Black, 1));
        p.setBrush(White);
        {
            QPainterPath arrow;
            arrow.moveTo(8, 6);
            arrow.lineTo(8, 14);
            arrow.lineTo(10, 12);
            arrow.lineTo(12, 14.5);
            arrow.lineTo(13.5, 13.5);
            arrow.lineTo(11.5, 11);
            arrow.lineTo(14, 10.5);
            arrow.closeSubpath();
            p.drawPath(arrow);
        }
        break;
    case TToolPicture::PanMode: {
        p.setPen(QPen(Black, 1));
        p.setBrush(White);
        QPainterPath hand;
        hand.moveTo(4, 14);
        hand.lineTo(2, 8);
        hand.lineTo(3.5, 7.5);
        hand.lineTo(5, 9.5);
        hand.lineTo(5, 2.5);
        hand.lineTo(7, 2.5);
        hand.lineTo(7, 7);
        hand.lineTo(7, 1.5);
        hand.lineTo(9, 1.5);
        hand.lineTo(9, 7);
        hand.lineTo(9, 2.5);
        hand.lineTo(11, 2.5);
        hand.lineTo(11, 7.5);
        hand.lineTo(11, 4.5);
        hand.lineTo(13, 4.5);
        hand.lineTo(13, 10);
        hand.lineTo(11.5, 14);
        hand.closeSubpath();
        p.drawPath(hand);
        break;
    }
    case TToolPicture::Application: {
        // A patch of terrain triangles with its blue outline.
        const QPointF a(2, 29), b(16, 30), c(30, 28), d(4, 15), e(17, 14), f(29, 13), g(3, 2),
            h(16, 3), i(30, 2);
        p.setPen(QPen(Green, 1.2));
        p.setBrush(QColor(224, 240, 224));
        for (const auto& t : {std::array{a, b, e},
                              {a, e, d},
                              {b, c, f},
                              {b, f, e},
                              {d, e, h},
                              {d, h, g},
                              {e, f, i},
                              {e, i, h}})
            p.drawPolygon(t.data(), 3);
        p.setPen(QPen(QColor(0, 0, 255), 1.5));
        p.setBrush(Qt::NoBrush);
        const QPointF outline[] = {a, b, c, f, i, h, g, d};
        p.drawPolygon(outline, 8);
        p.setPen(QPen(Red, 2));
        p.drawPolygon(std::array{b, f, e}.data(), 3);
        break;
    }
    case TToolPicture::Profile: {
        QPainterPath hill;
        hill.moveTo(0.5, 14);
        hill.cubicTo(4, 13, 5, 4, 8, 4);
        hill.cubicTo(11, 4, 11, 10, 14.5, 11);
        hill.lineTo(14.5, 14.5);
        hill.lineTo(0.5, 14.5);
        hill.closeSubpath();
        p.setPen(QPen(QColor(120, 80, 30), 1));
        p.setBrush(QColor(220, 200, 140));
        p.drawPath(hill);
        p.setPen(QPen(Red, 1.2));
        p.drawLine(QPointF(1, 2), QPointF(14, 8));
        break;
    }
    case TToolPicture::Back:
    case TToolPicture::Forward: {
        const bool back = picture == TToolPicture::Back;
        const QPointF tip(back ? 2 : 10, 5.5), top(back ? 9 : 3, 1.5), bottom(back ? 9 : 3, 9.5);
        p.setPen(Qt::NoPen);
        p.setBrush(Black);
        p.drawPolygon(std::array{tip, top, bottom}.data(), 3);
        break;
    }
    case TToolPicture::Print:
        p.setPen(QPen(Black, 1));
        p.setBrush(White);
        p.drawRect(QRectF(5.5, 1.5, 9, 7));
        p.setBrush(Silver);
        p.drawRect(QRectF(1.5, 8.5, 17, 7));
        p.setBrush(Grey);
        p.drawRect(QRectF(4.5, 13.5, 11, 4));
        p.setPen(QPen(Green, 1.5));
        p.drawPoint(QPointF(16, 10.5));
        break;
    }
}
} // namespace

namespace {
QSize PictureSize(TToolPicture picture) {
    switch (picture) {
    case TToolPicture::Print:
        return {20, 19};
    case TToolPicture::Application:
        return {32, 32};
    case TToolPicture::Back:
    case TToolPicture::Forward:
        return {12, 11};
    default:
        return {15, 15};
    }
}

QPixmap Drawn(TToolPicture picture, int scale) {
    QPixmap pixmap(PictureSize(picture) * scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.scale(scale, scale);
    DrawPicture(painter, picture);
    painter.end();
    pixmap.setDevicePixelRatio(scale);
    return pixmap;
}

// The disabled look of the classic desktop: the shape in grey over a white copy of it one
// pixel down and right, whatever the style would make of it.
QPixmap Disabled(const QPixmap& normal, int scale) {
    QPixmap pixmap(normal.size());
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    auto shape = [&](QColor colour, int offset) {
        QPixmap tinted = normal;
        tinted.setDevicePixelRatio(1);
        QPainter tint(&tinted);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(tinted.rect(), colour);
        tint.end();
        painter.drawPixmap(offset, offset, tinted);
    };
    shape(White, scale);
    shape(Grey, 0);
    painter.end();
    pixmap.setDevicePixelRatio(scale);
    return pixmap;
}
} // namespace

QIcon ToolPicture(TToolPicture picture) {
    QIcon icon;
    for (int scale : {1, 2}) {
        const QPixmap normal = Drawn(picture, scale);
        icon.addPixmap(normal, QIcon::Normal);
        // A black arrow is all shape: the style's own greying leaves it hard to tell apart.
        if (picture == TToolPicture::Back || picture == TToolPicture::Forward)
            icon.addPixmap(Disabled(normal, scale), QIcon::Disabled);
    }
    return icon;
}

void PaintToolPicture(QPainter& painter, TToolPicture picture, QSizeF size) {
    const QSize natural = PictureSize(picture);
    painter.save();
    painter.scale(size.width() / natural.width(), size.height() / natural.height());
    DrawPicture(painter, picture);
    painter.restore();
}
