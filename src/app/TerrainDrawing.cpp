#include "TerrainDrawing.h"
#include "Components/MapView.h"
#include "Components/ParallelDrawing.h"
#include "compare/Difference.h"
#include "model/TriangleIndex.h"
#include "model/ValueFormat.h"
#include "platform/NumberText.h"
#include "terrain/Hillshade.h"
#include "terrain/Profile.h"
#include "terrain/TerrainCache.h"
#include "terrain/TriangleFill.h"
#include "vrk/VRKModel.h"

#include <array>
#include <cmath>
#include <optional>

namespace {
// Model coordinates to the fill target's pixels, unrounded: pixel centres are whole numbers.
struct TFillTransform {
    double ViewLeft, ViewBottom, ScaleX, ScaleY, OriginX, OriginY;
    TFillCorner Corner(const TTriVertex& v) const {
        return {OriginX + (v.Easting - ViewLeft) * ScaleX,
                OriginY - (v.Northing - ViewBottom) * ScaleY, v.Value};
    }
};

// The light of a tint for each shade, in 256ths.
const std::array<int, 256>& TintLights() {
    static const std::array<int, 256> lights = [] {
        std::array<int, 256> table{};
        for (int shade = 0; shade < 256; ++shade)
            table[size_t(shade)] = int(std::lround(TintFactor(uint8_t(shade)) * 256));
        return table;
    }();
    return lights;
}

// The value a corner's fill is looked up by: its elevation, or the comparison's difference.
using TCornerValue = double (*)(const TTriVertex& v, double level);
double Elevation(const TTriVertex& v, double) {
    return v.Value;
}
double DifferenceToLevel(const TTriVertex& v, double level) {
    return level - v.Value;
}

TFillStyle StyleOf(const TTerrainLayers& layers, const TColourRamp& ramp, uint8_t shade) {
    TFillStyle style;
    if (layers.Colours)
        style.Ramp = &ramp;
    if (layers.Hillshade) {
        if (layers.Colours)
            style.Light = TintLights()[shade];
        else
            style.Colour = 0xFF000000u | uint32_t(shade) << 16 | uint32_t(shade) << 8 | shade;
    }
    return style;
}

// Fills the visible triangles, each by the filler that makeFiller gives its share of them:
// filler(target, transform, triangle, style).
template <class TMakeFiller>
void DrawFills(TMapView& view, const TVandrelTINModel& model, const TTerrainLayers& layers,
               TTerrainCache& cache, const TColourRamp& ramp, TMakeFiller makeFiller) {
    const TMapViewState& state = view.State();
    const TIntRect& r = state.DrawRect;
    TCanvas& canvas = view.DrawCanvas();
    QImage* image = canvas.Pixels();
    QImage scratch;
    TFillTransform transform{state.ViewLeft,
                             state.ViewBottom,
                             (r.Right - r.Left) / state.ViewWidth,
                             (r.Bottom - r.Top) / state.ViewHeight,
                             double(r.Left),
                             double(r.Bottom)};
    if (!image) { // a printer: the frame's pixels in an image of their own
        scratch = NewImage(r.Right - r.Left, r.Bottom - r.Top, QImage::Format_ARGB32_Premultiplied);
        scratch.fill(Qt::transparent);
        image = &scratch;
        transform.OriginX = 0;
        transform.OriginY = r.Bottom - r.Top;
    }
    static const std::vector<uint8_t> noShades;
    const std::vector<uint8_t>& shades =
        layers.Hillshade ? cache.Shades(model.Triangles(), layers.Exaggeration) : noShades;
    const TTriangles& triangles = model.Triangles();
    std::vector<int32_t> visible;
    // Right after a model is opened its index may still be in the making: a view of the whole
    // model, the usual first one, does not wait for it.
    const TTriangleIndex* index = model.IndexUnlessBuilding();
    const bool culled = index && index->CandidatesInRect(state.ViewLeft, state.ViewBottom,
                                                         state.ViewRight, state.ViewTop, visible);
    const int count = culled ? int(visible.size()) : triangles.Count();
    std::optional<TImageCanvas> scratchCanvas;
    if (!scratch.isNull())
        scratchCanvas.emplace(scratch);
    TCanvas& pixels = scratchCanvas ? *scratchCanvas : canvas;
    // Shares drawn in order and laid over in order: a pixel of overlapping triangles ends as the
    // last of them leaves it, as one core would.
    DrawInShares(pixels, count, [&](TCanvas& share, int first, int last) {
        QImage& bits = *share.Pixels();
        const TPixelTarget target{reinterpret_cast<uint32_t*>(bits.bits()), bits.width(),
                                  bits.height(), bits.bytesPerLine() / 4};
        auto filler = makeFiller();
        for (int i = first; i < last; ++i) {
            const int position = culled ? visible[size_t(i)] : i;
            const TTriangle* t = triangles.TriangleAt(position);
            if (!t || !t->Vertex(1) || !t->Vertex(2) || !t->Vertex(3))
                continue;
            const uint8_t shade = layers.Hillshade ? shades[size_t(position)] : 0;
            filler(target, transform, *t, StyleOf(layers, ramp, shade));
        }
    });
    if (!scratch.isNull())
        canvas.DrawImage(r.Left, r.Top, scratch);
}

// Each triangle with its corners' values.
auto CornerValueFiller(TCornerValue value, double level) {
    return [value, level] {
        return [value, level](const TPixelTarget& target, const TFillTransform& transform,
                              const TTriangle& t, const TFillStyle& style) {
            TFillCorner corners[3];
            for (int k = 0; k < 3; ++k) {
                corners[k] = transform.Corner(*t.Vertex(k + 1));
                corners[k].Value = value(*t.Vertex(k + 1), level);
            }
            FillTriangle(target, corners[0], corners[1], corners[2], style);
        };
    };
}

// The difference from another surface: a triangle a few pixels across or more is filled piece
// by piece of the overlay, each piece a fan of triangles with d at its corners; a smaller one
// with d at its own corners, which is all its pixels can show.
class TSurfaceDifferenceFiller : public TOverlayVisitor {
public:
    TSurfaceDifferenceFiller(const TTriangleMesh& surface, const TSurfaceDifference& difference)
        : FOverlay(&surface, nullptr, *this), FDifference(difference) {}

    void operator()(const TPixelTarget& target, const TFillTransform& transform, const TTriangle& t,
                    const TFillStyle& style) {
        TFillCorner corners[3];
        double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
        bool known = true;
        for (int k = 0; k < 3; ++k) {
            const TTriVertex& v = *t.Vertex(k + 1);
            corners[k] = transform.Corner(v);
            const size_t position = size_t(v.Number - 1);
            corners[k].Value = position < FDifference.AtModelVertex.size()
                                   ? FDifference.AtModelVertex[position]
                                   : std::nan("");
            known = known && std::isfinite(corners[k].Value);
            minX = std::min(minX, corners[k].X);
            maxX = std::max(maxX, corners[k].X);
            minY = std::min(minY, corners[k].Y);
            maxY = std::max(maxY, corners[k].Y);
        }
        if (maxX - minX < 3 && maxY - minY < 3) {
            if (known)
                FillTriangle(target, corners[0], corners[1], corners[2], style);
            return;
        }
        FTarget = &target;
        FTransform = &transform;
        FStyle = &style;
        FOverlay.Triangle(&t);
    }

    void Piece(const TPiece& piece, const TPlane& model, const TPlane* surface, int) override {
        TFillCorner corners[TPiece::Most];
        for (int i = 0; i < piece.Count; ++i) {
            const TPlanPoint p{piece.Origin.X + piece.P[i].X, piece.Origin.Y + piece.P[i].Y};
            corners[i] = {FTransform->OriginX + (p.X - FTransform->ViewLeft) * FTransform->ScaleX,
                          FTransform->OriginY - (p.Y - FTransform->ViewBottom) * FTransform->ScaleY,
                          DifferenceAt(model, *surface, piece.P[i])};
        }
        for (int i = 1; i + 1 < piece.Count; ++i)
            FillTriangle(*FTarget, corners[0], corners[i], corners[i + 1], *FStyle);
    }

private:
    TTriangleOverlay FOverlay;
    const TSurfaceDifference& FDifference;
    const TPixelTarget* FTarget = nullptr;
    const TFillTransform* FTransform = nullptr;
    const TFillStyle* FStyle = nullptr;
};

// The point at a distance along a line, by its length in plan.
TPlanPoint PointAlong(const TContourLine& line, double distance) {
    for (size_t i = 1; i < line.Points.size(); ++i) {
        const TPlanPoint &p = line.Points[i - 1], &q = line.Points[i];
        const double piece = std::hypot(q.X - p.X, q.Y - p.Y);
        if (piece >= distance && piece > 0)
            return {p.X + (q.X - p.X) * distance / piece, p.Y + (q.Y - p.Y) * distance / piece};
        distance -= piece;
    }
    return line.Points.front();
}

bool Overlap(const TIntRect& a, const TIntRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

bool Visible(const TPlanBox& box, const TMapViewState& s) {
    return !(box.MaxX < s.ViewLeft || box.MinX > s.ViewRight || box.MaxY < s.ViewBottom ||
             box.MinY > s.ViewTop);
}

// Where the difference is 0: the model's line at the level compared with.
void DrawLevelLine(TMapView& view, const TVandrelTINModel& model, double level,
                   TTerrainCache& cache) {
    TCanvas& canvas = view.DrawCanvas();
    const TPen pen = canvas.Pen;
    canvas.Pen.Color = LevelLineColor;
    canvas.Pen.Width = 2 * std::max(1, canvas.PixelsPerInchX() / 96);
    for (const TContourLine& line : cache.LevelLine(model, level))
        for (size_t k = 1; k < line.Points.size(); ++k)
            view.DrawLine(line.Points[k - 1].X, line.Points[k - 1].Y, line.Points[k].X,
                          line.Points[k].Y);
    canvas.Pen = pen;
}

// Where the difference from another surface is 0: a segment on each piece, those in view.
void DrawZeroLine(TMapView& view, const std::vector<TPlanSegment>& line) {
    const TMapViewState& s = view.State();
    TCanvas& canvas = view.DrawCanvas();
    const TPen pen = canvas.Pen;
    canvas.Pen.Color = LevelLineColor;
    canvas.Pen.Width = 2 * std::max(1, canvas.PixelsPerInchX() / 96);
    for (const TPlanSegment& segment : line)
        if (Visible({std::min(segment.A.X, segment.B.X), std::min(segment.A.Y, segment.B.Y),
                     std::max(segment.A.X, segment.B.X), std::max(segment.A.Y, segment.B.Y)},
                    s))
            view.DrawLine(segment.A.X, segment.A.Y, segment.B.X, segment.B.Y);
    canvas.Pen = pen;
}

void DrawContourLines(TMapView& view, const TVandrelTINModel& model, const TTerrainLayers& layers,
                      TTerrainCache& cache) {
    const TMapViewState& s = view.State();
    const std::vector<TContourLine>& lines = cache.Contours(model.Triangles(), layers.Contour);
    const std::vector<TPlanBox>& boxes = cache.ContourBoxes();
    TCanvas& canvas = view.DrawCanvas();
    const TPen pen = canvas.Pen;
    const int thin = std::max(1, canvas.PixelsPerInchX() / 96);
    canvas.Pen.Color = ContourColor;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!Visible(boxes[i], s))
            continue;
        canvas.Pen.Width = lines[i].Index ? 2 * thin : thin;
        const std::vector<TPlanPoint>& points = lines[i].Points;
        for (size_t k = 1; k < points.size(); ++k)
            view.DrawLine(points[k - 1].X, points[k - 1].Y, points[k].X, points[k].Y);
    }
    canvas.Pen = pen;
}

TColor ToColor(uint32_t argb) {
    return ((argb >> 16) & 0xFF) | (argb & 0xFF00) | ((argb & 0xFF) << 16);
}
} // namespace

QString LengthUnitText(int coordinateUnits) {
    return coordinateUnits == 2 ? " ft" : coordinateUnits == 3 ? " US ft" : " m";
}

QString LevelText(double level) {
    return TrimZeros(FormatFixed(level, 3, SystemDecimalSeparator()), 0);
}

void DrawTerrain(TMapView& view, const TVandrelTINModel& model, const TTerrainLayers& layers,
                 TTerrainCache& cache) {
    // The difference in its own colours, lit by the hillshade when that is on.
    TTerrainLayers difference = layers;
    difference.Colours = true;
    if (layers.ShowsDifference() && layers.CompareSurface) {
        const TTriangleMesh& surface = *layers.CompareSurface;
        const TSurfaceDifference& d = cache.SurfaceDifference(model, surface);
        DrawFills(view, model, difference, cache, cache.SurfaceDifferenceRamp(model, surface),
                  [&] { return TSurfaceDifferenceFiller(surface, d); });
    } else if (layers.ShowsDifference()) {
        DrawFills(view, model, difference, cache,
                  cache.DifferenceRamp(model.Vertices(), *layers.CompareLevel),
                  CornerValueFiller(DifferenceToLevel, *layers.CompareLevel));
    } else if (layers.Colours || layers.Hillshade) {
        DrawFills(view, model, layers, cache, cache.Ramp(model.Vertices()),
                  CornerValueFiller(Elevation, 0));
    }
    if (layers.Contours)
        DrawContourLines(view, model, layers, cache);
    if (layers.ShowsDifference() && layers.CompareSurface)
        DrawZeroLine(view, cache.SurfaceDifference(model, *layers.CompareSurface).ZeroLine);
    else if (layers.ShowsDifference())
        DrawLevelLine(view, model, *layers.CompareLevel, cache);
}

std::vector<TIntRect> DrawContourLabels(TMapView& view, const TVandrelTINModel& model,
                                        const TTerrainLayers& layers, TTerrainCache& cache,
                                        std::vector<TIntRect> taken) {
    std::vector<TIntRect> placed;
    if (!layers.Contours || !layers.Contour.Labels)
        return placed;
    const TMapViewState& s = view.State();
    const std::vector<TContourLine>& lines = cache.Contours(model.Triangles(), layers.Contour);
    const std::vector<TPlanBox>& boxes = cache.ContourBoxes();
    TCanvas& canvas = view.DrawCanvas();
    const TPen pen = canvas.Pen;
    const TBrushStyle brush = canvas.BrushStyle;
    const TColor brushColor = canvas.BrushColor, fontColor = canvas.FontColor;
    canvas.BrushStyle = TBrushStyle::Solid;
    canvas.BrushColor = view.Color();
    canvas.FontColor = ContourColor;
    canvas.Font = view.font();
    const int pad = std::max(1, canvas.PixelsPerInchX() / 48);
    const double pixelsPerUnit = (s.DrawRect.Right - s.DrawRect.Left) / s.ViewWidth;
    // On the line, at the first of these places along it that is clear of every label and
    // overlay placed before.
    static const double places[] = {0.5, 0.25, 0.75, 0.125, 0.375, 0.625, 0.875};
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].Index || !Visible(boxes[i], s))
            continue;
        const TPlanBox& box = boxes[i];
        const QString text = LevelText(lines[i].Level);
        const int width = canvas.TextWidth(text), height = canvas.TextHeight(text);
        if (std::max(box.MaxX - box.MinX, box.MaxY - box.MinY) * pixelsPerUnit < 3.0 * width)
            continue;
        const double length = LineLength(lines[i].Points);
        for (double place : places) {
            const TPlanPoint at = PointAlong(lines[i], place * length);
            const int left = s.WorldToPixelX(at.X) - width / 2;
            const int top = s.WorldToPixelY(at.Y) - height / 2;
            const TIntRect label{left - pad, top - pad, left + width + pad, top + height + pad};
            const bool inside = label.Left >= s.DrawRect.Left && label.Right <= s.DrawRect.Right &&
                                label.Top >= s.DrawRect.Top && label.Bottom <= s.DrawRect.Bottom;
            if (!inside || std::any_of(taken.begin(), taken.end(), [&](const TIntRect& other) {
                    return Overlap(label, other);
                }))
                continue;
            canvas.Pen.Color = view.Color();
            canvas.Rectangle(label.Left, label.Top, label.Right, label.Bottom);
            canvas.TextOut(left, top, text);
            taken.push_back(label);
            placed.push_back(label);
            break;
        }
    }
    canvas.Pen = pen;
    canvas.BrushStyle = brush;
    canvas.BrushColor = brushColor;
    canvas.FontColor = fontColor;
    return placed;
}

namespace {
// The legend in its box: the ramp as a bar on the right, the top and bottom values beside it, on
// the view's colour so that they stay legible over the tint.
void DrawLegendAt(TMapView& view, TCanvas& canvas, const TIntRect& box, const TColourRamp& ramp,
                  const QString& top, const QString& bottom, int textHeight, int gap,
                  int barWidth) {
    const TPen pen = canvas.Pen;
    const TBrushStyle brush = canvas.BrushStyle;
    const TColor brushColor = canvas.BrushColor, fontColor = canvas.FontColor;
    canvas.Font = view.font();
    canvas.FontColor = FromQColor(view.palette().color(QPalette::WindowText));
    const int barRight = box.Right - gap - 1, barLeft = barRight - barWidth;
    const int barTop = box.Top + textHeight / 2 + gap;
    const int barBottom = box.Bottom - 1 - textHeight / 2 - gap;
    const int barHeight = barBottom - barTop;
    canvas.Pen = {canvas.FontColor, 1, TPenStyle::Solid, TPenMode::Copy};
    canvas.BrushStyle = TBrushStyle::Solid;
    canvas.BrushColor = view.Color();
    canvas.Rectangle(box.Left, box.Top, box.Right, box.Bottom);
    for (int y = barTop; y < barBottom; ++y) {
        canvas.Pen.Color =
            ToColor(ramp.ColourAtFraction(double(barBottom - 1 - y) / (barHeight - 1)));
        canvas.Segment(barLeft, y, barRight, y);
    }
    canvas.Pen.Color = canvas.FontColor;
    canvas.BrushStyle = TBrushStyle::Clear;
    canvas.Rectangle(barLeft, barTop, barRight + 1, barBottom + 1);
    canvas.TextOut(barLeft - gap - canvas.TextWidth(top), barTop - textHeight / 2, top);
    canvas.TextOut(barLeft - gap - canvas.TextWidth(bottom), barBottom - textHeight / 2, bottom);
    canvas.Pen = pen;
    canvas.BrushStyle = brush;
    canvas.BrushColor = brushColor;
    canvas.FontColor = fontColor;
}
} // namespace

std::optional<TIntRect> LegendBox(const TIntRect& area, const TIntRect& model, int width,
                                  int height, int margin) {
    const int bottom = std::min(model.Bottom, area.Bottom - margin);
    const int top = std::max(area.Top + margin, bottom - height);
    if (top + height > area.Bottom - margin)
        return std::nullopt;
    if (area.Right - model.Right >= width + 2 * margin) // right of the model
        return TIntRect{area.Right - margin - width, top, area.Right - margin, top + height};
    if (model.Left - area.Left >= width + 2 * margin) // left of it
        return TIntRect{area.Left + margin, top, area.Left + margin + width, top + height};
    const int right = std::min(model.Right, area.Right - margin);
    const int left = std::max(area.Left + margin, right - width);
    if (left + width > area.Right - margin)
        return std::nullopt;
    if (area.Bottom - model.Bottom >= height + 2 * margin) // just below it
        return TIntRect{left, model.Bottom + margin, left + width, model.Bottom + margin + height};
    if (model.Top - area.Top >= height + 2 * margin) // just above it
        return TIntRect{left, model.Top - margin - height, left + width, model.Top - margin};
    return std::nullopt;
}

std::optional<TIntRect> DrawLegend(TMapView& view, const TVandrelTINModel& model,
                                   const TTerrainLayers& layers, TTerrainCache& cache) {
    const TMapViewState& s = view.State();
    const TIntRect& r = s.DrawRect;
    TCanvas& canvas = view.DrawCanvas();
    const int dpiX = canvas.PixelsPerInchX(), dpiY = canvas.PixelsPerInchY();
    const QChar separator = SystemDecimalSeparator();
    const bool difference = layers.ShowsDifference();
    const TColourRamp& ramp = !difference ? cache.Ramp(model.Vertices())
                              : layers.CompareSurface
                                  ? cache.SurfaceDifferenceRamp(model, *layers.CompareSurface)
                                  : cache.DifferenceRamp(model.Vertices(), *layers.CompareLevel);
    // With the units, and for a difference which side is which.
    const QString unit = LengthUnitText(model.Header.CoordinateUnits);
    QString top = FormatFixed(ramp.MaxValue(), 3, separator) + unit;
    QString bottom = FormatFixed(ramp.MinValue(), 3, separator) + unit;
    if (difference) {
        top = "fill " + top;
        bottom = "cut " + FormatFixed(-ramp.MinValue(), 3, separator) + unit;
    }
    const QFont font = canvas.Font;
    canvas.Font = view.font();
    const int textWidth = std::max(canvas.TextWidth(top), canvas.TextWidth(bottom));
    const int textHeight = canvas.TextHeight(top);
    canvas.Font = font;
    const int margin = dpiX * 10 / 96, gap = dpiX * 4 / 96, barWidth = dpiX * 12 / 96;
    const int boxWidth = textWidth + 3 * gap + barWidth + 1;
    auto boxHeight = [&](int bar) { return bar + textHeight + 2 * gap + 1; };
    // On paper beside the frame and its caption band; on screen beside the model where the
    // window has room, else small in the lower-right corner.
    const std::optional<TIntRect>& page = view.PageArea();
    const TIntRect area = page ? *page : r;
    const TIntRect drawn{page ? r.Left : s.WorldToPixelX(s.MinX),
                         page ? r.Top : s.WorldToPixelY(s.MaxY),
                         page ? r.Right : s.WorldToPixelX(s.MaxX),
                         page ? view.CaptionBottom() : s.WorldToPixelY(s.MinY)};
    const int fullBar = std::min(dpiY * 120 / 96, (r.Bottom - r.Top) / 2);
    const int smallBar = std::min(dpiY * 60 / 96, fullBar);
    if (smallBar < 2 * textHeight)
        return std::nullopt; // no room for a bar between its two values
    std::optional<TIntRect> box = LegendBox(area, drawn, boxWidth, boxHeight(fullBar), margin);
    if (!box)
        box = LegendBox(area, drawn, boxWidth, boxHeight(smallBar), margin);
    if (!box && r.Right - r.Left > boxWidth + 2 * margin)
        box = TIntRect{r.Right - margin - boxWidth, r.Bottom - margin - boxHeight(smallBar),
                       r.Right - margin, r.Bottom - margin};
    if (!box)
        return std::nullopt;
    DrawLegendAt(view, canvas, *box, ramp, top, bottom, textHeight, gap, barWidth);
    return box;
}

TMapOverlays DrawMapOverlays(TMapView& view, const TVandrelTINModel& model,
                             const TTerrainLayers& layers, TTerrainCache& cache) {
    TMapOverlays overlays;
    if (layers.Colours || layers.ShowsDifference())
        overlays.Legend = DrawLegend(view, model, layers, cache);
    if (layers.Contours && layers.Contour.Labels) {
        std::vector<TIntRect> taken = view.OverlayBounds(view.DrawCanvas());
        if (overlays.Legend)
            taken.push_back(*overlays.Legend);
        overlays.Labels = DrawContourLabels(view, model, layers, cache, std::move(taken));
    }
    return overlays;
}
