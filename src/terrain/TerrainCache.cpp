#include "TerrainCache.h"
#include "Hillshade.h"

#include <algorithm>
#include <cmath>

void TTerrainCache::Reset() {
    *this = TTerrainCache();
}

std::pair<double, double> TTerrainCache::ValueRange(const TTriVertices& vertices) {
    if (!FRange)
        FRange = FiniteValueRange(vertices);
    return *FRange;
}

const TColourRamp& TTerrainCache::Ramp(const TTriVertices& vertices) {
    if (!FRamp) {
        const auto [low, high] = ValueRange(vertices);
        FRamp = std::make_unique<TColourRamp>(low, high);
    }
    return *FRamp;
}

const std::vector<uint8_t>& TTerrainCache::Shades(const TTriangles& triangles,
                                                  double exaggeration) {
    if (FShadesExaggeration != exaggeration) {
        FShades = TriangleShades(triangles, exaggeration);
        FShadesExaggeration = exaggeration;
    }
    return FShades;
}

const std::vector<TContourLine>& TTerrainCache::Contours(const TTriangles& triangles,
                                                         const TContourSettings& settings) {
    if (FContourSettings != settings) {
        FContours = TraceContours(triangles, settings);
        FContourBoxes.clear();
        FContourBoxes.reserve(FContours.size());
        for (const TContourLine& line : FContours) {
            TPlanBox box{INFINITY, INFINITY, -INFINITY, -INFINITY};
            for (const TPlanPoint& p : line.Points) {
                box.MinX = std::min(box.MinX, p.X);
                box.MinY = std::min(box.MinY, p.Y);
                box.MaxX = std::max(box.MaxX, p.X);
                box.MaxY = std::max(box.MaxY, p.Y);
            }
            FContourBoxes.push_back(box);
        }
        FContourSettings = settings;
    }
    return FContours;
}

const std::vector<TContourLine>& TTerrainCache::LevelLine(const TTriangleMesh& mesh, double level) {
    if (FLevelLineLevel != level) {
        // One level: the interval only has to reach past every elevation from it.
        const auto [low, high] = ValueRange(mesh.Vertices());
        TContourSettings settings;
        settings.Base = level;
        settings.Interval = 2 * std::max({std::abs(high - level), std::abs(low - level), 1.0});
        settings.IndexEvery = 0;
        FLevelLine.clear();
        if (std::isfinite(settings.Interval))
            FLevelLine = TraceContours(mesh.Triangles(), settings);
        FLevelLineLevel = level;
    }
    return FLevelLine;
}

const TColourRamp& TTerrainCache::DifferenceRamp(const TTriVertices& vertices, double level) {
    if (!FDifferenceRamp || FDifferenceLevel != level) {
        const auto [low, high] = ValueRange(vertices);
        const double reach = std::max(std::abs(level - low), std::abs(level - high));
        FDifferenceRamp = std::make_unique<TColourRamp>(-reach, reach, TRampKind::Difference);
        FDifferenceLevel = level;
    }
    return *FDifferenceRamp;
}

const TSurfaceDifference& TTerrainCache::SurfaceDifference(const TTriangleMesh& model,
                                                           const TTriangleMesh& surface) {
    if (!FSurfaceDifference)
        FSurfaceDifference = std::make_unique<TSurfaceDifference>(CompareSurfaces(model, surface));
    return *FSurfaceDifference;
}

const TColourRamp& TTerrainCache::SurfaceDifferenceRamp(const TTriangleMesh& model,
                                                        const TTriangleMesh& surface) {
    if (!FSurfaceDifferenceRamp) {
        const TSurfaceDifference& difference = SurfaceDifference(model, surface);
        double reach = std::max(std::abs(difference.Low), std::abs(difference.High));
        if (!(reach > 0) || !std::isfinite(reach))
            reach = 1; // surfaces that coincide: a ramp that still has a middle
        FSurfaceDifferenceRamp =
            std::make_unique<TColourRamp>(-reach, reach, TRampKind::Difference);
    }
    return *FSurfaceDifferenceRamp;
}

void TTerrainCache::ForgetSurfaceDifference() {
    FSurfaceDifference.reset();
    FSurfaceDifferenceRamp.reset();
}
