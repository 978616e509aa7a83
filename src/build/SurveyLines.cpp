#include "SurveyLines.h"
#include "gis/GdalFiles.h"
#include "import/SurfaceData.h"

#include <QFileInfo>
#include <QString>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <string>

namespace {
[[noreturn]] void Refuse(const std::string& path, const std::string& reason) {
    throw ESurfaceReadError(path + ": " + reason);
}

struct TCloseDataset {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};

// Calls visit with every feature of every layer of the file that has a geometry (of the
// features that where, an OGR SQL condition on their attributes, picks; empty: all).
void ForEachFeature(const std::string& path,
                    const std::function<void(const OGRLayer&, const OGRFeature&)>& visit,
                    const std::string& where = {}) {
    InitGdal();
    // GDAL's complaints become the message naming the file, not lines of its own on stderr.
    struct TQuietGdal {
        TQuietGdal() { CPLPushErrorHandler(CPLQuietErrorHandler); }
        ~TQuietGdal() { CPLPopErrorHandler(); }
    } quiet;
    CPLErrorReset();
    std::unique_ptr<GDALDataset, TCloseDataset> dataset(GDALDataset::FromHandle(
        GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
    if (!dataset) {
        const std::string reason = CPLGetLastErrorMsg();
        Refuse(path, reason.empty() ? "not a file of lines or polygons that GDAL reads" : reason);
    }
    for (OGRLayer* layer : dataset->GetLayers()) {
        if (!where.empty() && layer->SetAttributeFilter(where.c_str()) != OGRERR_NONE)
            Refuse(path, "cannot pick the features where " + where + ": " + CPLGetLastErrorMsg());
        for (const auto& feature : *layer)
            if (feature->GetGeometryRef())
                visit(*layer, *feature);
    }
}

void ForEachGeometry(const std::string& path, const std::function<void(const OGRGeometry&)>& visit,
                     const std::string& where = {}) {
    ForEachFeature(
        path, [&](const OGRLayer&, const OGRFeature& feature) { visit(*feature.GetGeometryRef()); },
        where);
}

std::vector<std::array<double, 3>> Corners(const OGRSimpleCurve& curve) {
    std::vector<std::array<double, 3>> corners;
    const bool withZ = curve.Is3D();
    for (int i = 0; i < curve.getNumPoints(); ++i)
        corners.push_back({curve.getX(i), curve.getY(i), withZ ? curve.getZ(i) : std::nan("")});
    return corners;
}

void AddLines(const OGRGeometry& geometry, std::vector<TBreakline>& lines) {
    switch (wkbFlatten(geometry.getGeometryType())) {
    case wkbLineString:
    case wkbLinearRing:
        lines.push_back({Corners(*geometry.toSimpleCurve())});
        break;
    case wkbPolygon:
        for (const OGRLinearRing* ring : *geometry.toPolygon())
            lines.push_back({Corners(*ring)});
        break;
    case wkbMultiLineString:
    case wkbMultiPolygon:
    case wkbGeometryCollection:
        for (const OGRGeometry* part : *geometry.toGeometryCollection())
            AddLines(*part, lines);
        break;
    default: // points and curves are no breaklines
        break;
    }
}
} // namespace

std::vector<TBreakline> ReadBreaklines(const std::string& path) {
    std::vector<TBreakline> lines;
    ForEachGeometry(path, [&](const OGRGeometry& geometry) { AddLines(geometry, lines); });
    std::erase_if(lines, [](const TBreakline& line) { return line.Points.size() < 2; });
    if (lines.empty())
        Refuse(path, "no line to use as a breakline");
    for (const TBreakline& line : lines)
        for (const auto& p : line.Points)
            if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || std::isinf(p[2]))
                Refuse(path, "a breakline has a coordinate that is not a finite number");
    return lines;
}

bool IsGisFileName(const std::string& path) {
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    return suffix == "geojson" || suffix == "json" || suffix == "gpkg" || suffix == "shp" ||
           suffix == "dxf";
}

std::vector<TSurfacePoint> ReadGisPoints(const std::string& path) {
    std::vector<TSurfacePoint> points;
    std::function<void(const OGRGeometry&)> add = [&](const OGRGeometry& geometry) {
        const auto type = wkbFlatten(geometry.getGeometryType());
        if (type == wkbPoint) {
            const OGRPoint& p = *geometry.toPoint();
            if (!p.Is3D())
                Refuse(path, "point " + std::to_string(points.size() + 1) + " has no elevation");
            if (!std::isfinite(p.getX()) || !std::isfinite(p.getY()) || !std::isfinite(p.getZ()))
                Refuse(path, "point " + std::to_string(points.size() + 1) +
                                 " has a coordinate that is not a finite number");
            points.push_back({p.getX(), p.getY(), p.getZ()});
        } else if (type == wkbMultiPoint || type == wkbGeometryCollection) {
            for (const OGRGeometry* part : *geometry.toGeometryCollection())
                add(*part);
        }
    };
    ForEachGeometry(path, add);
    if (points.empty())
        Refuse(path, "no point with an elevation");
    return points;
}

namespace {
// A closed line of a ring's corners (a DXF's closed polyline), which bounds as a polygon does.
bool IsClosedRing(const OGRGeometry& geometry) {
    if (wkbFlatten(geometry.getGeometryType()) != wkbLineString)
        return false;
    const OGRLineString* line = geometry.toLineString();
    return line->get_IsClosed() && line->getNumPoints() >= 4;
}
} // namespace

TBoundary ReadBoundaryPolygon(const std::string& path, const std::string& where) {
    // Every polygon of the file: polygons, the parts of multipolygons and collections, and
    // closed lines (a DXF's closed polylines).
    OGRMultiPolygon polygons;
    std::function<void(const OGRGeometry&)> collect = [&](const OGRGeometry& geometry) {
        switch (wkbFlatten(geometry.getGeometryType())) {
        case wkbPolygon:
            polygons.addGeometry(&geometry);
            break;
        case wkbMultiPolygon:
        case wkbGeometryCollection:
            for (const OGRGeometry* part : *geometry.toGeometryCollection())
                collect(*part);
            break;
        case wkbLineString:
            if (IsClosedRing(geometry)) {
                OGRPolygon polygon;
                auto* ring = new OGRLinearRing;
                ring->addSubLineString(geometry.toLineString());
                polygon.addRingDirectly(ring);
                polygons.addGeometry(&polygon);
            }
            break;
        default:
            break;
        }
    };
    ForEachGeometry(path, collect, where);
    if (polygons.IsEmpty())
        Refuse(path,
               where.empty() ? "no polygon to use as the boundary" : "no polygon where " + where);
    // Several polygons: their union, one area or several, each with its holes.
    std::unique_ptr<OGRGeometry> united;
    std::vector<const OGRPolygon*> areas{polygons.getGeometryRef(0)};
    if (polygons.getNumGeometries() > 1) {
        CPLErrorReset();
        united.reset(polygons.UnionCascaded());
        if (united && wkbFlatten(united->getGeometryType()) == wkbMultiPolygon)
            areas.assign(united->toMultiPolygon()->begin(), united->toMultiPolygon()->end());
        else if (united && wkbFlatten(united->getGeometryType()) == wkbPolygon)
            areas = {united->toPolygon()};
        else
            Refuse(path, std::string("the polygons cannot be united: ") + CPLGetLastErrorMsg());
    }
    TBoundary boundary;
    for (const OGRPolygon* area : areas) {
        if (!boundary.Rings.empty())
            boundary.AreaStarts.push_back(boundary.Rings.size());
        for (const OGRLinearRing* ring : *area) {
            std::vector<TPlanPoint> corners;
            for (int i = 0; i < ring->getNumPoints(); ++i)
                corners.push_back({ring->getX(i), ring->getY(i)});
            if (corners.size() > 1 && corners.front() == corners.back())
                corners.pop_back();
            boundary.Rings.push_back(std::move(corners));
        }
    }
    if (const std::string problem = BoundaryProblem(boundary); !problem.empty())
        Refuse(path, problem);
    return boundary;
}

std::vector<TPolygonFeature> PolygonFeatures(const std::string& path) {
    std::vector<TPolygonFeature> features;
    std::set<std::string> layers;
    ForEachFeature(path, [&](const OGRLayer& layer, const OGRFeature& feature) {
        const OGRGeometry& geometry = *feature.GetGeometryRef();
        const auto type = wkbFlatten(geometry.getGeometryType());
        const bool closedLine = IsClosedRing(geometry);
        if (type != wkbPolygon && type != wkbMultiPolygon && !closedLine)
            return;
        layers.insert(const_cast<OGRLayer&>(layer).GetName());
        std::string name; // its first text attribute
        for (int i = 0; i < feature.GetFieldCount() && name.empty(); ++i)
            if (feature.IsFieldSetAndNotNull(i) &&
                feature.GetFieldDefnRef(i)->GetType() == OFTString)
                name = feature.GetFieldAsString(i);
        std::string details = "feature " + std::to_string(feature.GetFID());
        if (!closedLine) {
            char area[64];
            std::snprintf(area, sizeof area, ", plan area %.3f",
                          type == wkbPolygon ? geometry.toPolygon()->get_Area()
                                             : geometry.toMultiPolygon()->get_Area());
            details += area;
        }
        features.push_back({"FID = " + std::to_string(feature.GetFID()),
                            name.empty() ? details : name + " (" + details + ")"});
    });
    if (features.size() < 2 || layers.size() > 1)
        features.clear();
    return features;
}
