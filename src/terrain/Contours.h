#pragma once
// Contour lines of the linear surface: one straight piece per triangle and level, computed
// exactly from the corners, joined into polylines through their shared end points. A vertex at
// exactly a level's height counts as above it, so a level through a vertex or along a side
// gives one piece, never a gap or two. Joining matches end points, so it needs no neighbour
// links and ends on any mesh, damaged or not.
#include "PlanPoint.h"
#include "model/Mesh.h"

#include <QString>
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

// A round interval (1, 2, 2.5 or 5 times a power of ten) that gives 10 to 30 levels over the
// range; 1 for a range of no height.
double DefaultContourInterval(double minValue, double maxValue);
// The number of levels base + k * interval within minValue..maxValue.
double ContourLevelCount(const TContourSettings& settings, double minValue, double maxValue);
// Why the settings cannot be used over the range, or an empty text.
QString ContourSettingsProblem(const TContourSettings& settings, double minValue, double maxValue);
// The settings as typed (numbers in the user's notation or with a full stop), or why they cannot
// be used over the range.
std::variant<TContourSettings, QString> ContourSettingsFromText(const QString& interval,
                                                                const QString& base, int indexEvery,
                                                                bool labels, double minValue,
                                                                double maxValue);
// The contours of every triangle with three finite corners. The settings must be usable.
std::vector<TContourLine> TraceContours(const TTriangles& triangles,
                                        const TContourSettings& settings);
