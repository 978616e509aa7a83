#pragma once
// A map sheet: the view laid out on a page at a true scale, with a title above, the map in a
// frame whose ticks give round eastings and northings, and a footer for the scale, the scale
// bar and the north arrow. All lengths on the page in millimetres, from the printable area's
// top-left corner.
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>
#include <vector>

// The part of the ground a sheet's map shows.
struct TGroundRect {
    double Left = 0, Bottom = 0, Width = 0, Height = 0;
};

struct TSheetPlan {
    QRectF Title, Map, Footer;               // millimetres on the page
    TGroundRect Ground;                      // what the map shows, the view's centre at its centre
    double Scale = 0;                        // the sheet is at 1:Scale
    std::vector<double> Eastings, Northings; // the frame's ticks, inside the ground shown
};

// Metres in one ground unit of a model's header (metres, feet or US survey feet).
double MetresPerUnit(int coordinateUnits);
// The smallest of the scales maps are drawn at (1, 1.25, 1.5, 2, 2.5, 3, 4, 5 or 7.5 times a
// power of ten) not under scale; 0 for a scale that is not a positive finite number.
double RoundScaleUp(double scale);
// "1:N" or "N", N a whole number (spaces and thousands separators allowed), as N; nothing for
// another text or an N of 0.
std::optional<double> ParseScale(const QString& text);
// Round values (1, 2 or 5 times a power of ten apart) from from to to, at most most of them;
// nothing for an empty or non-finite range.
std::vector<double> FrameTicks(double from, double to, int most);
// Whether a view of this shape is printed across the page.
inline bool LandscapeSuits(double viewWidth, double viewHeight) {
    return viewWidth > viewHeight;
}
// The sheet on a page (millimetres) for a view of the ground: at 1:scale, or with scale 0 at the
// round scale at which the whole view fits. Nothing when the page leaves no room for a map, the
// view has no size or the ground shown would overflow.
std::optional<TSheetPlan> PlanSheet(const QSizeF& page, const TGroundRect& view, double scale,
                                    double metresPerUnit);
