#pragma once
// What the terrain layers compute once per model and keep until the model is read again: the
// range of elevations with its colour ramp, the triangles' shades for one exaggeration, and the
// contours for one set of contour settings with each line's box. Each is made when first asked
// for.
#include "ColourRamp.h"
#include "Contours.h"
#include "compare/Difference.h"
#include "model/Mesh.h"

#include <memory>
#include <optional>
#include <vector>

struct TPlanBox {
    double MinX, MinY, MaxX, MaxY;
};

class TTerrainCache {
public:
    // Forgets everything: the model changed.
    void Reset();

    // The finite elevations' range over the vertices (0, 0 when there is none).
    std::pair<double, double> ValueRange(const TTriVertices& vertices);
    const TColourRamp& Ramp(const TTriVertices& vertices);
    const std::vector<uint8_t>& Shades(const TTriangles& triangles, double exaggeration);
    const std::vector<TContourLine>& Contours(const TTriangles& triangles,
                                              const TContourSettings& settings);
    // The boxes of the lines Contours gave last.
    const std::vector<TPlanBox>& ContourBoxes() const { return FContourBoxes; }
    // Where the model meets the horizontal plane at level: the line of no difference.
    const std::vector<TContourLine>& LevelLine(const TTriangleMesh& mesh, double level);
    // The difference ramp for the plane at level: symmetric about 0, as far as the model's
    // elevations reach from it.
    const TColourRamp& DifferenceRamp(const TTriVertices& vertices, double level);

    // The difference from another surface, computed on the overlay once per surface.
    const TSurfaceDifference& SurfaceDifference(const TTriangleMesh& model,
                                                const TTriangleMesh& surface);
    // Its ramp: symmetric about 0, as far as the difference reaches either way.
    const TColourRamp& SurfaceDifferenceRamp(const TTriangleMesh& model,
                                             const TTriangleMesh& surface);
    // Forgets the difference from another surface: the surface changed.
    void ForgetSurfaceDifference();

private:
    std::optional<std::pair<double, double>> FRange;
    std::unique_ptr<TColourRamp> FRamp;
    std::optional<double> FShadesExaggeration;
    std::vector<uint8_t> FShades;
    std::optional<TContourSettings> FContourSettings;
    std::vector<TContourLine> FContours;
    std::vector<TPlanBox> FContourBoxes;
    std::optional<double> FLevelLineLevel, FDifferenceLevel;
    std::vector<TContourLine> FLevelLine;
    std::unique_ptr<TColourRamp> FDifferenceRamp;
    std::unique_ptr<TSurfaceDifference> FSurfaceDifference;
    std::unique_ptr<TColourRamp> FSurfaceDifferenceRamp;
};
