#include "MapViewState.h"
#include "model/ValueFormat.h"
#include "platform/NumberText.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

bool TMapViewState::SetExtents(double minX, double maxX, double minY, double maxY) {
    if (minX == MinX && maxX == MaxX && minY == MinY && maxY == MaxY)
        return false;
    MinX = minX;
    MaxX = maxX;
    MinY = minY;
    MaxY = maxY;
    ComputeFrame();
    return true;
}

void TMapViewState::ComputeFrame() {
    const double cw = ClientWidth, ch = ClientHeight;
    if (cw <= 0 || ch <= 0)
        return; // nothing to fit into: keep the previous frame
    double w = std::abs(MaxX - MinX);
    double h = std::abs(MaxY - MinY);
    if (ch * w > cw * h * FYAspect) {
        h = ch * w / (cw * FYAspect);
        FrameLeft = MinX;
        FrameBottom = (MinY + MaxY - h) / 2;
    } else {
        if (h == 0)
            h = 10;
        w = cw * h * FYAspect / ch;
        FrameBottom = MinY;
        FrameLeft = (MinX + MaxX - w) / 2;
    }
    FrameWidth = (1 + Border) * w;
    FrameHeight = (1 + Border) * h;
    FrameLeft = FrameLeft - Border * FrameWidth / 2;
    FrameBottom = FrameBottom - Border * FrameHeight / 2;
    MaxZoom = FrameWidth / MinZoomDist;
    ViewWidth = FrameWidth / Zoom;
    ViewHeight = FrameHeight / Zoom;
}

double TMapViewState::ClampZoom(double zoom) const {
    if (zoom < MinZoom)
        return MinZoom;
    if (zoom > MaxZoom)
        return MaxZoom;
    return zoom;
}

double TMapViewState::PositionFor(double range, double offset) const {
    if (range * offset < 0.01)
        return 0;
    return std::clamp(offset * ScrollUnits / range, 0.0, double(ScrollUnits));
}

void TMapViewState::PlaceView(double x, double y, double zoom) {
    Zoom = ClampZoom(zoom);
    ComputeFrame();
    HPos = PositionFor(FrameWidth - ViewWidth, x - FrameLeft);
    const double verticalRange = FrameHeight - ViewHeight;
    VPos = PositionFor(verticalRange, verticalRange - (y - FrameBottom));
}

THistoryEntry TMapViewState::CentredView(double cx, double cy, double zoom) const {
    const double z = ClampZoom(zoom);
    return {cx - FrameWidth / z / 2, cy - FrameHeight / z / 2, z};
}

std::optional<THistoryEntry> TMapViewState::RectView(double minX, double maxX, double minY,
                                                     double maxY) const {
    // A rectangle without width (or height) is fitted by the other axis alone.
    const double width = maxX - minX, height = maxY - minY;
    const bool useWidth = width != 0, useHeight = height != 0;
    if (!useWidth && !useHeight)
        return std::nullopt;
    const double byWidth = useWidth ? FrameWidth / width : INFINITY;
    const double byHeight = useHeight ? FrameHeight / height : INFINITY;
    const double zoom = byWidth <= byHeight ? byWidth : byHeight;
    return CentredView((minX + maxX) / 2, (minY + maxY) / 2, zoom);
}

void TMapViewState::RebuildView() {
    ViewLeft = HPos * (FrameWidth - ViewWidth) / ScrollUnits + FrameLeft;
    ViewBottom = (ScrollUnits - VPos) * (FrameHeight - ViewHeight) / ScrollUnits + FrameBottom;
    ViewRight = ViewLeft + ViewWidth;
    ViewTop = ViewBottom + ViewHeight;
}

void TMapViewState::PushHistory() {
    if (FHistoryCount == HistorySize) {
        std::copy(FHistory.begin() + 1, FHistory.end(), FHistory.begin());
        FHistoryCount = HistorySize - 1;
    }
    FHistory[static_cast<size_t>(FHistoryCount++)] = {ViewLeft, ViewBottom, Zoom};
}

std::optional<THistoryEntry> TMapViewState::PopHistory() {
    if (FHistoryCount == 0)
        return std::nullopt;
    return FHistory[static_cast<size_t>(--FHistoryCount)];
}

namespace {
// A page in whole positions takes at least this many: below it the rounding would distort it.
constexpr double WholePageSteps = 10;
} // namespace

double TMapViewState::PageStep() const {
    const double page = ScrollUnits / Zoom * 0.7;
    if (page < WholePageSteps)
        return page > 0 ? page : 1;
    return RoundToInt(page);
}

double TMapViewState::LineStep() const {
    const double page = PageStep();
    if (page < WholePageSteps)
        return page / 10;
    return std::max(1, int(page) / 10);
}

double TMapViewState::ScrollTarget(double position, TScrollCode code, int thumbPosition) const {
    double target = position;
    switch (code) {
    case TScrollCode::LineUp:
        target = position - LineStep();
        break;
    case TScrollCode::LineDown:
        target = position + LineStep();
        break;
    case TScrollCode::PageUp:
        target = position - PageStep();
        break;
    case TScrollCode::PageDown:
        target = position + PageStep();
        break;
    case TScrollCode::ThumbPosition:
        // A thumb released where it stands leaves the exact place alone.
        if (thumbPosition != RoundToInt(position))
            target = thumbPosition;
        break;
    case TScrollCode::Top:
        target = 0;
        break;
    case TScrollCode::Bottom:
        target = ScrollUnits;
        break;
    case TScrollCode::Other:
        break;
    }
    return std::clamp(target, 0.0, double(ScrollUnits));
}

int TMapViewState::WorldToPixelDist(double d) const {
    return RoundToInt((DrawRect.Right - DrawRect.Left) * d / ViewWidth);
}

double TMapViewState::PixelToWorldX(int px) const {
    return (px - DrawRect.Left) * ViewWidth / (DrawRect.Right - DrawRect.Left) + ViewLeft;
}

double TMapViewState::PixelToWorldY(int py) const {
    return (DrawRect.Bottom - py) * ViewHeight / (DrawRect.Bottom - DrawRect.Top) + ViewBottom;
}

std::optional<TPixelSegment> TMapViewState::ClipLine(double x1, double y1, double x2,
                                                     double y2) const {
    // An end that is not finite has no pixel, and clipping towards it has no answer.
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
        return std::nullopt;
    if ((x1 <= ViewLeft && x2 <= ViewLeft) || (x1 >= ViewRight && x2 >= ViewRight) ||
        (y1 <= ViewBottom && y2 <= ViewBottom) || (y1 >= ViewTop && y2 >= ViewTop))
        return std::nullopt;
    // Each move uses the end points as the moves before left them.
    auto ontoX = [&](double& px, double& py, double b) {
        if (x2 != x1)
            py = y1 + (b - x1) * (y2 - y1) / (x2 - x1);
        px = b;
    };
    auto ontoY = [&](double& px, double& py, double b) {
        if (y2 != y1)
            px = x1 + (b - y1) * (x2 - x1) / (y2 - y1);
        py = b;
    };
    if (x1 < ViewLeft)
        ontoX(x1, y1, ViewLeft);
    else if (x1 > ViewRight)
        ontoX(x1, y1, ViewRight);
    if (x2 < ViewLeft)
        ontoX(x2, y2, ViewLeft);
    else if (x2 > ViewRight)
        ontoX(x2, y2, ViewRight);
    if (y1 < ViewBottom)
        ontoY(x1, y1, ViewBottom);
    else if (y1 > ViewTop)
        ontoY(x1, y1, ViewTop);
    if (y2 < ViewBottom)
        ontoY(x2, y2, ViewBottom);
    else if (y2 > ViewTop)
        ontoY(x2, y2, ViewTop);
    return TPixelSegment{WorldToPixelX(x1), WorldToPixelY(y1), WorldToPixelX(x2),
                         WorldToPixelY(y2)};
}

bool TMapViewState::CrossVisible(double x, double y) const {
    return ViewLeft < x && x < ViewRight && ViewBottom < y && y < ViewTop;
}

TIntPoint TMapViewState::ZoomDragPoint(TIntPoint start, int x, int y) const {
    const int64_t cw = std::max(1, ClientWidth), ch = std::max(1, ClientHeight);
    const int64_t dx = x - start.X, dy = y - start.Y;
    if (std::llabs(ch * dx) > std::llabs(cw * dy)) {
        int64_t e = dx * ch / cw;
        if ((e > 0) != (dy > 0))
            e = -e;
        return {x, static_cast<int>(start.Y + e)};
    }
    int64_t g = dy * cw / ch;
    if ((g > 0) != (dx > 0))
        g = -g;
    return {static_cast<int>(start.X + g), y};
}

std::optional<THistoryEntry> TMapViewState::ZoomDragView(TIntPoint start, TIntPoint current) const {
    const int width = std::abs(start.X - current.X);
    if (width < MinZoomSize || width == 0)
        return std::nullopt;
    return THistoryEntry{PixelToWorldX(std::min(start.X, current.X)),
                         PixelToWorldY(std::max(start.Y, current.Y)), ClientWidth * Zoom / width};
}

THistoryEntry TMapViewState::PanDragView(TIntPoint start, TIntPoint current) const {
    return {ViewLeft + (start.X - current.X) * ViewWidth / (DrawRect.Right - DrawRect.Left),
            ViewBottom + (current.Y - start.Y) * ViewHeight / (DrawRect.Bottom - DrawRect.Top),
            Zoom};
}

double ScaleBarValue(double viewWidth, int barFraction, double displayConversion) {
    const double target = viewWidth / barFraction * displayConversion;
    const double n = std::nearbyint(std::log(target) / std::log(10.0));
    double value = std::pow(10.0, n);
    if (1.5 * value < target)
        value = 2 * value;
    else if (0.5 * value > target)
        value = 0.5 * value;
    return value;
}

QString ScaleBarLabel(double value) {
    const QChar separator = SystemDecimalSeparator();
    const double magnitude = std::abs(value);
    QString text;
    if (magnitude != 0 && (magnitude < 0.00001 || magnitude >= 1e10)) {
        text = QString::asprintf("%.9E", value);
        text.replace(u'.', separator);
        // 1.000000000E-006 becomes 1E-6, as the general format writes it.
        const qsizetype e = text.indexOf(u'E');
        QString mantissa = TrimZeros(text.left(e), 0);
        const int exponent = text.mid(e + 1).toInt();
        text = mantissa + "E" + QString::number(exponent);
    } else {
        // The value is 1, 2 or 5 times a power of ten: ten decimals hold all its digits.
        text = TrimZeros(FormatFixed(value, 10, separator), 0);
    }
    return text.left(10);
}

QString ScaleBarText(const TMapViewState& view) {
    return ScaleBarLabel(ScaleBarValue(view.ViewWidth, view.BarFraction, view.DisplayConversion));
}

TScaleBarLayout ScaleBarLayout(const TMapViewState& view, int dpiX, int dpiY, int labelWidth,
                               int labelHeight) {
    TScaleBarLayout bar{};
    bar.Value = ScaleBarValue(view.ViewWidth, view.BarFraction, view.DisplayConversion);
    bar.Label = ScaleBarLabel(bar.Value);
    bar.Length = view.WorldToPixelDist(bar.Value / view.DisplayConversion);
    const TIntRect& r = view.DrawRect;
    const int mx = dpiX * 10 / 96, my = dpiY * 10 / 96, tick = dpiY * 7 / 96;
    const int left = r.Left + mx;
    const int bottom = r.Bottom - my + tick / 2;
    const int right = left + bar.Length;
    bar.LeftTick = {left, bottom, left, bottom - tick - 1};
    bar.Bar = {left, bottom - tick / 2, left + bar.Length, bottom - tick / 2};
    bar.RightTick = {right, bottom, right, bottom - tick - 1};
    const int top = r.Bottom - my - labelHeight - 2;
    bar.LabelAt = {(left + right - labelWidth) / 2, top};
    bar.Bounds = {left, top, right, bottom};
    return bar;
}

QString AspectLabel(double yAspect) {
    return (TrimZeros(FormatValue(2, yAspect), 0) + " ").left(10);
}

TAspectLayout AspectLayout(const TMapViewState& view, int dpiX, int dpiY, int previousTop,
                           int labelWidth, int oneWidth, int oneHeight) {
    TAspectLayout aspect{};
    aspect.Label = AspectLabel(view.YAspect());
    const TIntRect& r = view.DrawRect;
    const int left = r.Left + dpiX * 10 / 96;
    const int bottom = (previousTop == 0 ? r.Bottom : previousTop) - dpiY * 3 / 96;
    const int h = (r.Right - r.Left) / view.BarFraction;
    const int w = RoundToInt(h / view.YAspect());
    const int top = bottom - h - oneHeight;
    const int right = labelWidth + left + w;
    aspect.LabelAt = {left, top + (h - oneHeight) / 2};
    aspect.OneAt = {right - (oneWidth + w) / 2, bottom - oneHeight};
    aspect.Vertical = {right - w, top, right - w, top + h};
    aspect.Horizontal = {right - w, top + h, right, top + h};
    aspect.Hypotenuse = {right, top + h, right - w, top};
    aspect.Bounds = {left, top, right, bottom};
    return aspect;
}
