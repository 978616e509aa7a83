#include "DrapedLines.h"
#include "terrain/Profile.h"

#include <cmath>

std::vector<TLine3D> ContourLines3D(const std::vector<TContourLine>& contours, uint32_t colour) {
    std::vector<TLine3D> lines;
    lines.reserve(contours.size());
    for (const TContourLine& contour : contours) {
        TLine3D line{colour, {}};
        line.Points.reserve(contour.Points.size());
        for (const TPlanPoint& p : contour.Points)
            line.Points.push_back({p.X, p.Y, contour.Level});
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<TLine3D> DrapeLine(const TTriangleMesh& mesh, const std::vector<TPlanPoint>& line,
                               uint32_t colour) {
    std::vector<TLine3D> parts;
    if (line.size() < 2 || !ProfileLineProblem(line).isEmpty())
        return parts;
    TLine3D part{colour, {}};
    for (const TProfilePoint& p : ComputeProfile(mesh, line)) {
        if (std::isfinite(p.Value)) {
            part.Points.push_back({p.Easting, p.Northing, p.Value});
            continue;
        }
        if (part.Points.size() >= 2)
            parts.push_back(part);
        part.Points.clear();
    }
    if (part.Points.size() >= 2)
        parts.push_back(std::move(part));
    return parts;
}
