#pragma once
// The map view's computations, free of any widget: the frame (the model extents fitted to the
// client area), the zoom factor and its clamp, the scroll positions that hold the view's place,
// the 20-entry zoom history, the model-to-pixel transforms, line clipping, the zoom rectangle's
// shape and the overlays' geometry. TMapView feeds it client sizes and events.
#include <QString>
#include <array>
#include <climits>
#include <cmath>
#include <optional>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Round to the nearest integer, halves to even, saturated to the int range. Inline and without
// a library call: drawing a model rounds millions of coordinates.
inline int RoundToInt(double value) {
    if (!(value > -2147483648.0)) // also NaN
        return value != value ? 0 : INT_MIN;
    if (value >= 2147483647.0)
        return INT_MAX;
#if defined(__SSE2__)
    return _mm_cvtsd_si32(_mm_set_sd(value)); // the current rounding mode: nearest, halves to even
#else
    return static_cast<int>(std::nearbyint(value));
#endif
}

struct TIntRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TIntRect&) const = default;
};

struct TIntPoint {
    int X = 0, Y = 0;
    bool operator==(const TIntPoint&) const = default;
};

// A segment in device pixels, from (X1, Y1) to (X2, Y2), the end pixel excluded.
struct TPixelSegment {
    int X1, Y1, X2, Y2;
};

// Scroll-bar notifications.
enum class TScrollCode { LineUp, LineDown, PageUp, PageDown, ThumbPosition, Top, Bottom, Other };

struct THistoryEntry {
    double Left, Bottom, Zoom;
};

class TMapViewState {
public:
    static constexpr int ScrollUnits = 1000000;
    static constexpr int HistorySize = 20;

    // Settings.
    double MinZoom = 0.001;
    double MinZoomDist = 0.001;
    double Border = 0.1;
    int CrossSize = 6;
    int DumbellSize = 10;
    int MinZoomSize = 10;
    int BarFraction = 10;
    double DisplayConversion = 1.0;
    int MarginLeft = 25, MarginTop = 25, MarginRight = 25, MarginBottom = 25; // millimetres

    // Extents, frame, zoom and the visible rectangle.
    double MinX = 0, MaxX = 100, MinY = 0, MaxY = 100;
    double FrameLeft = 0, FrameBottom = 0, FrameWidth = 0, FrameHeight = 0;
    double Zoom = 1.0, MaxZoom = 1.0;
    double ViewWidth = 0, ViewHeight = 0;
    double ViewLeft = 0, ViewBottom = 0, ViewRight = 0, ViewTop = 0;
    // The view's place on the scroll bars' 0 to 1,000,000 travel, kept exactly: the bars show
    // it rounded. Rounded positions would move the centre at zooms beyond about 10^6.
    double HPos = 0, VPos = 0;
    int ClientWidth = 0, ClientHeight = 0;
    TIntRect DrawRect{0, 0, 100, 100};

    double YAspect() const { return FYAspect; }
    // Stores the exaggeration (0 means 1); the caller then re-places the view.
    void StoreYAspect(double value) { FYAspect = value == 0 ? 1.0 : value; }

    // Stores new extents and recomputes the frame; false when they are the same.
    bool SetExtents(double minX, double maxX, double minY, double maxY);
    // Fits the extents to the client area. A client of no width or height keeps the frame.
    void ComputeFrame();
    double ClampZoom(double zoom) const;
    // Steps 2 to 5 of showing the rectangle whose lower-left corner is (x, y) at zoom.
    void PlaceView(double x, double y, double zoom);
    // The lower-left corner that centres (cx, cy) at the clamped zoom.
    THistoryEntry CentredView(double cx, double cy, double zoom) const;
    // Zoom and centre that fit a model rectangle; nullopt for an empty rectangle.
    std::optional<THistoryEntry> RectView(double minX, double maxX, double minY, double maxY) const;
    // Rebuilds the visible rectangle from the scroll positions, as every paint does.
    void RebuildView();

    void PushHistory();
    std::optional<THistoryEntry> PopHistory();
    int HistoryCount() const { return FHistoryCount; }
    void ClearHistory() { FHistoryCount = 0; }

    // The new position of a scroll bar at position for a notification; thumbPosition is where
    // a released thumb lies.
    double ScrollTarget(double position, TScrollCode code, int thumbPosition) const;
    // A page step of the scroll bars and its tenth, in positions. Whole numbers as long as a
    // page is at least ten positions; below that, at zooms beyond about 70,000, exact
    // fractions, so that a step never jumps more than a page.
    double PageStep() const;
    double LineStep() const;

    int WorldToPixelX(double x) const {
        return DrawRect.Left +
               RoundToInt((x - ViewLeft) * (DrawRect.Right - DrawRect.Left) / ViewWidth);
    }
    int WorldToPixelY(double y) const {
        return DrawRect.Bottom -
               RoundToInt((y - ViewBottom) * (DrawRect.Bottom - DrawRect.Top) / ViewHeight);
    }
    int WorldToPixelDist(double d) const;
    double PixelToWorldX(int px) const;
    double PixelToWorldY(int py) const;

    // The segment clipped to the visible rectangle, in pixels; nullopt when it is rejected.
    std::optional<TPixelSegment> ClipLine(double x1, double y1, double x2, double y2) const;
    // Whether a cross marker at (x, y) is drawn: strictly inside the visible rectangle.
    bool CrossVisible(double x, double y) const;

    // The current point of a zoom drag from start to the mouse at (x, y): the rectangle keeps
    // the client area's shape.
    TIntPoint ZoomDragPoint(TIntPoint start, int x, int y) const;
    // The view a finished zoom drag asks for; nullopt when it is narrower than MinZoomSize.
    std::optional<THistoryEntry> ZoomDragView(TIntPoint start, TIntPoint current) const;
    // The view a finished pan drag asks for.
    THistoryEntry PanDragView(TIntPoint start, TIntPoint current) const;

private:
    double PositionFor(double range, double offset) const;
    double FYAspect = 1.0;
    std::array<THistoryEntry, HistorySize> FHistory{};
    int FHistoryCount = 0;
};

// The scale bar's round length in displayed units (1, 2 or 5 times a power of ten).
double ScaleBarValue(double viewWidth, int barFraction, double displayConversion);
// Its label: general format, at most 10 significant digits, cut to 10 characters.
QString ScaleBarLabel(double value);

// The scale bar's pieces in device pixels. DPI values are the canvas's pixels per inch.
struct TScaleBarLayout {
    double Value;
    QString Label;
    int Length;
    TPixelSegment LeftTick, Bar, RightTick;
    TIntPoint LabelAt;
    TIntRect Bounds;
};
TScaleBarLayout ScaleBarLayout(const TMapViewState& view, int dpiX, int dpiY, int labelWidth,
                               int labelHeight);
// Only the value and label, for measuring the label before the layout.
QString ScaleBarText(const TMapViewState& view);

// The aspect triangle's pieces; previousTop is the Top of the overlay below it (0 for none).
struct TAspectLayout {
    QString Label;
    TIntPoint LabelAt, OneAt;
    TPixelSegment Vertical, Horizontal, Hypotenuse;
    TIntRect Bounds;
};
QString AspectLabel(double yAspect);
TAspectLayout AspectLayout(const TMapViewState& view, int dpiX, int dpiY, int previousTop,
                           int labelWidth, int oneWidth, int oneHeight);
