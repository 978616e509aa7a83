#pragma once
// Contour lines of the linear surface: the exact level set of each level, one straight piece
// per triangle, computed from the corners, joined into polylines through their shared end
// points. A level through vertices or along sides is traced as it lies: a side on the level is
// kept (once) wherever a triangle along it is not wholly on the level, so a flat area at the
// level is outlined where it meets other ground. Lines close, or end on the mesh's boundary or
// where more than two pieces meet. Joining matches end points in a hash, so it needs no
// neighbour links, takes time in proportion to the pieces and ends on any mesh, damaged or not.
#include "PlanPoint.h"
#include "model/Mesh.h"

#include <QString>
#include <utility>
#include <variant>
#include <vector>

struct TContourSettings {
    double Interval = 1;
    double Base = 0;
    int IndexEvery = 5; // every how many levels an index contour; 0 for none
    bool Labels = true;
    bool operator==(const TContourSettings&) const = default;
};

struct TContourLine {
    double Level = 0;
    bool Index = false;
    bool Closed = false; // the last point is the first again
    std::vector<TPlanPoint> Points;
};

constexpr int MaxContourLevels = 10000;

// Straight pieces joined into polylines through their shared end points, as one level's
// contour pieces are (Level and Index left 0).
std::vector<TContourLine> JoinPieces(const std::vector<std::pair<TPlanPoint, TPlanPoint>>& pieces);

// A round interval (1, 2, 2.5 or 5 times a power of ten) that gives 10 to 30 levels over the
// range; 1 for a range of no height.
double DefaultContourInterval(double minValue, double maxValue);
// The lowest and highest finite elevation of the vertices (0, 0 when there is none).
std::pair<double, double> FiniteValueRange(const TTriVertices& vertices);
// The number of levels base + k * interval within minValue..maxValue; infinite when no count
// can serve.
double ContourLevelCount(const TContourSettings& settings, double minValue, double maxValue);
// Why the settings cannot be used over the range, or an empty text: an interval that is not a
// number greater than 0, more than MaxContourLevels levels, levels too close together for a
// double to tell them apart, or a range that is not finite.
QString ContourSettingsProblem(const TContourSettings& settings, double minValue, double maxValue);
// The settings as typed (numbers in the user's notation or with a full stop), or why they cannot
// be used over the range.
std::variant<TContourSettings, QString> ContourSettingsFromText(const QString& interval,
                                                                const QString& base, int indexEvery,
                                                                bool labels, double minValue,
                                                                double maxValue);
// The contours of every triangle with three finite corners. Settings that are not usable over
// the finite elevations raise Exception with the reason.
std::vector<TContourLine> TraceContours(const TTriangles& triangles,
                                        const TContourSettings& settings);
