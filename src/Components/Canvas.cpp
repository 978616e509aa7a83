#include "Canvas.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

QImage NewImage(int width, int height, QImage::Format format) {
    QImage image(width, height, format);
    if (image.isNull() && width > 0 && height > 0)
        throw std::bad_alloc();
    return image;
}

QColor ToQColor(TColor color) {
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

TColor FromQColor(const QColor& color) {
    return TColor(color.red()) | TColor(color.green()) << 8 | TColor(color.blue()) << 16;
}

namespace {
uint32_t ImagePixel(TColor color) {
    return 0xFF000000u | (color & 0xFF) << 16 | (color & 0xFF00) | (color >> 16 & 0xFF);
}
} // namespace

TSolidLines::TSolidLines(QImage& image, TColor color)
    : FBits(image.bits()), FStride(image.bytesPerLine()), FWidth(image.width()),
      FHeight(image.height()), FPixel(ImagePixel(color)) {}

bool ClipToPicture(int width, int height, int& x1, int& y1, int& x2, int& y2) {
    const auto near = [&](int x, int y) {
        return x >= -LineReach && y >= -LineReach && x <= width + LineReach &&
               y <= height + LineReach;
    };
    if (near(x1, y1) && near(x2, y2))
        return true;
    // Liang-Barsky on the picture widened by two pixels, in double: the ends may lie anywhere
    // in the int range.
    const double left = -2, top = -2, right = width + 1.0, bottom = height + 1.0;
    const double dx = double(x2) - x1, dy = double(y2) - y1;
    double enter = 0, leave = 1;
    const auto edge = [&](double p, double q) { // p * t <= q
        if (p == 0)
            return q >= 0;
        const double t = q / p;
        if (p < 0)
            enter = std::max(enter, t);
        else
            leave = std::min(leave, t);
        return enter <= leave;
    };
    if (!edge(-dx, x1 - left) || !edge(dx, right - x1) || !edge(-dy, y1 - top) ||
        !edge(dy, bottom - y1))
        return false;
    const int ax = int(std::lround(x1 + enter * dx)), ay = int(std::lround(y1 + enter * dy));
    const int bx = int(std::lround(x1 + leave * dx)), by = int(std::lround(y1 + leave * dy));
    x1 = ax;
    y1 = ay;
    x2 = bx;
    y2 = by;
    return true;
}

void TImageCanvas::Plot(int x, int y, uint32_t rgb, bool xorMode) {
    if (x < 0 || y < 0 || x >= FImage.width() || y >= FImage.height())
        return;
    auto* pixel = reinterpret_cast<uint32_t*>(FImage.scanLine(y)) + x;
    *pixel = xorMode ? (*pixel ^ (rgb & 0x00FFFFFFu)) : rgb;
}

void TImageCanvas::ThickSegment(int x1, int y1, int x2, int y2) {
    // Two pixels across the line's main direction, by the same walk as a thin line.
    const uint32_t rgb = ImagePixel(Pen.Color);
    const bool steep = std::abs(int64_t(y2) - y1) > std::abs(int64_t(x2) - x1);
    if (!ClipToPicture(FImage.width(), FImage.height(), x1, y1, x2, y2))
        return;
    WalkLine(x1, y1, x2, y2, [&](int x, int y) {
        Plot(x, y, rgb, false);
        if (steep)
            Plot(x + 1, y, rgb, false);
        else
            Plot(x, y + 1, rgb, false);
    });
}

void TImageCanvas::DrawImage(int x, int y, const QImage& image) {
    QPainter painter(&FImage);
    painter.drawImage(x, y, image);
}

void TImageCanvas::Segment(int x1, int y1, int x2, int y2) {
    if (Pen.Width == 2 && Pen.Mode == TPenMode::Copy && Pen.Style == TPenStyle::Solid)
        return ThickSegment(x1, y1, x2, y2);
    if (Pen.Width > 1 && Pen.Mode == TPenMode::Copy) {
        QPainter painter(&FImage);
        painter.setPen(QPen(ToQColor(Pen.Color), Pen.Width));
        painter.drawLine(x1, y1, x2, y2);
        return;
    }
    const uint32_t rgb = ImagePixel(Pen.Color);
    const bool xorMode = Pen.Mode == TPenMode::Xor;
    const bool dotted = Pen.Style == TPenStyle::Dot;
    if (PenIsSolidThinCopy())
        return TSolidLines(FImage, Pen.Color).Draw(x1, y1, x2, y2);
    if (!ClipToPicture(FImage.width(), FImage.height(), x1, y1, x2, y2))
        return;
    WalkLine(x1, y1, x2, y2, [&](int x, int y) { // Plot keeps to the image
        if (!dotted || (FDotPhase++ & 1) == 0)
            Plot(x, y, rgb, xorMode);
    });
}

void TImageCanvas::Rectangle(int left, int top, int right, int bottom) {
    if (BrushStyle == TBrushStyle::Solid && right > left && bottom > top) {
        QPainter painter(&FImage);
        painter.fillRect(left, top, right - left, bottom - top, ToQColor(BrushColor));
    }
    MoveTo(left, top);
    LineTo(right - 1, top);
    LineTo(right - 1, bottom - 1);
    LineTo(left, bottom - 1);
    LineTo(left, top);
}

void TImageCanvas::TextOut(int x, int y, const QString& text) {
    QPainter painter(&FImage);
    painter.setFont(Font);
    const QFontMetrics metrics(Font, &FImage);
    if (BrushStyle == TBrushStyle::Solid)
        painter.fillRect(x, y, metrics.horizontalAdvance(text), metrics.height(),
                         ToQColor(BrushColor));
    painter.setPen(ToQColor(FontColor));
    painter.drawText(x, y + metrics.ascent(), text);
}

int TImageCanvas::TextWidth(const QString& text) {
    return QFontMetrics(Font, &FImage).horizontalAdvance(text);
}

int TImageCanvas::TextHeight(const QString&) {
    return QFontMetrics(Font, &FImage).height();
}

void TPainterCanvas::ApplyPen() {
    QPen pen(ToQColor(Pen.Color));
    pen.setWidth(std::max(1, Pen.Width));
    pen.setStyle(Pen.Style == TPenStyle::Dot ? Qt::DotLine : Qt::SolidLine);
    FPainter.setPen(pen);
    FPainter.setCompositionMode(Pen.Mode == TPenMode::Xor ? QPainter::RasterOp_SourceXorDestination
                                                          : QPainter::CompositionMode_SourceOver);
}

void TPainterCanvas::Segment(int x1, int y1, int x2, int y2) {
    ApplyPen();
    if (Pen.Width > 1) {
        FPainter.drawLine(x1, y1, x2, y2);
        return;
    }
    // A thin line leaves out its last pixel here too, as on the screen: the line ends one
    // step short along its main direction.
    if (x1 == x2 && y1 == y2)
        return;
    const int dx = x2 - x1, dy = y2 - y1;
    int endX, endY;
    if (std::abs(dx) >= std::abs(dy)) {
        endX = x2 - (dx > 0 ? 1 : -1);
        endY = y1 + static_cast<int>(std::lround(double(endX - x1) * dy / dx));
    } else {
        endY = y2 - (dy > 0 ? 1 : -1);
        endX = x1 + static_cast<int>(std::lround(double(endY - y1) * dx / dy));
    }
    if (endX == x1 && endY == y1)
        FPainter.drawPoint(x1, y1);
    else
        FPainter.drawLine(x1, y1, endX, endY);
}

void TPainterCanvas::Rectangle(int left, int top, int right, int bottom) {
    ApplyPen();
    FPainter.setBrush(BrushStyle == TBrushStyle::Solid ? QBrush(ToQColor(BrushColor)) : QBrush());
    FPainter.drawRect(left, top, right - left - 1, bottom - top - 1);
}

void TPainterCanvas::TextOut(int x, int y, const QString& text) {
    FPainter.setFont(Font);
    const QFontMetrics metrics(Font, FPainter.device());
    if (BrushStyle == TBrushStyle::Solid)
        FPainter.fillRect(x, y, metrics.horizontalAdvance(text), metrics.height(),
                          ToQColor(BrushColor));
    FPainter.setPen(ToQColor(FontColor));
    FPainter.drawText(x, y + metrics.ascent(), text);
}

int TPainterCanvas::TextWidth(const QString& text) {
    return QFontMetrics(Font, FPainter.device()).horizontalAdvance(text);
}

int TPainterCanvas::TextHeight(const QString&) {
    return QFontMetrics(Font, FPainter.device()).height();
}

int TPainterCanvas::PixelsPerInchX() const {
    return FPainter.device()->logicalDpiX();
}

int TPainterCanvas::PixelsPerInchY() const {
    return FPainter.device()->logicalDpiY();
}

void TPainterCanvas::DrawImage(int x, int y, const QImage& image) {
    FPainter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    FPainter.drawImage(x, y, image);
}
