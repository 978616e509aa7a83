#include "VectorFiles.h"
#include "CoordinateSystem.h"
#include "GdalFiles.h"
#include "model/Geometry.h"
#include "model/Mesh.h"

#include <QFileInfo>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <map>
#include <memory>

const char VectorFormatNames[] = "gpkg, shp, dxf or geojson";

bool VectorFormatFromName(const QString& name, TVectorFormat& format) {
    const QString n = name.toLower();
    if (n == "gpkg" || n == "geopackage")
        format = TVectorFormat::GeoPackage;
    else if (n == "shp" || n == "shapefile")
        format = TVectorFormat::Shapefile;
    else if (n == "dxf")
        format = TVectorFormat::Dxf;
    else if (n == "geojson" || n == "json")
        format = TVectorFormat::GeoJson;
    else
        return false;
    return true;
}

bool VectorFormatFromExtension(const QString& fileName, TVectorFormat& format) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return !suffix.isEmpty() && suffix != "geopackage" && suffix != "shapefile" &&
           VectorFormatFromName(suffix, format);
}

std::vector<TVectorLine> ContourVectorLines(const std::vector<TContourLine>& contours) {
    std::vector<TVectorLine> lines;
    lines.reserve(contours.size());
    for (const TContourLine& contour : contours) {
        TVectorLine line;
        line.Level = contour.Level;
        line.Index = contour.Index;
        line.Closed = contour.Closed;
        line.DxfLayer = contour.Index ? "CONTOUR_INDEX" : "CONTOUR";
        for (const TPlanPoint& p : contour.Points)
            line.Points.push_back({p.X, p.Y, contour.Level});
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<TVectorLine> ProfileVectorLines(const std::vector<TProfilePoint>& profile) {
    std::vector<TVectorLine> lines;
    TVectorLine line;
    line.DxfLayer = "PROFILE";
    auto finish = [&] {
        if (line.Points.size() >= 2)
            lines.push_back(line);
        line.Points.clear();
    };
    for (const TProfilePoint& point : profile) {
        if (std::isnan(point.Value)) {
            finish();
            continue;
        }
        line.Points.push_back({point.Easting, point.Northing, point.Value});
        if (!point.Triangle) // the line leaves the model here
            finish();
    }
    finish();
    return lines;
}

std::vector<TVectorLine> ZeroLineVectorLines(const std::vector<TPlanSegment>& segments,
                                             const TTriangleMesh& mesh) {
    // The pieces' own elevations, by end point: a point on either surface's edge may lie a
    // rounding outside every triangle of the other.
    std::vector<std::pair<TPlanPoint, TPlanPoint>> pieces;
    std::map<std::pair<double, double>, double> elevations;
    for (const TPlanSegment& segment : segments) {
        pieces.push_back({segment.A, segment.B});
        elevations.emplace(std::pair(segment.A.X + 0.0, segment.A.Y + 0.0), segment.ElevationA);
        elevations.emplace(std::pair(segment.B.X + 0.0, segment.B.Y + 0.0), segment.ElevationB);
    }
    auto elevation = [&](const TPlanPoint& p) {
        const auto known = elevations.find({p.X + 0.0, p.Y + 0.0});
        if (known != elevations.end() && std::isfinite(known->second))
            return known->second;
        double value = NullValue;
        return mesh.FindSurfaceValue(p.X, p.Y, value) && value != NullValue ? value : std::nan("");
    };
    std::vector<TVectorLine> lines;
    for (const TContourLine& joined : JoinPieces(pieces)) {
        TVectorLine line;
        line.DxfLayer = "ZERO_LINE";
        line.Closed = joined.Closed;
        for (const TPlanPoint& p : joined.Points)
            line.Points.push_back({p.X, p.Y, elevation(p)});
        lines.push_back(std::move(line));
    }
    return lines;
}

namespace {
// A shapefile is a file of its extension and its parts beside it: a name without one gets it
// (the driver would make a folder of it).
QString WithFormatExtension(const QString& fileName, TVectorFormat format) {
    if (format == TVectorFormat::Shapefile && QFileInfo(fileName).suffix().isEmpty())
        return fileName + ".shp";
    return fileName;
}

const char* DriverName(TVectorFormat format) {
    switch (format) {
    case TVectorFormat::GeoPackage:
        return "GPKG";
    case TVectorFormat::Shapefile:
        return "ESRI Shapefile";
    case TVectorFormat::Dxf:
        return "DXF";
    default:
        return "GeoJSON";
    }
}

struct TCloseDataset {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using TDataset = std::unique_ptr<GDALDataset, TCloseDataset>;

TDataset CreateDataset(const QString& target, const std::string& path, TVectorFormat format) {
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(DriverName(format));
    if (!driver)
        GdalFailed(target, "finding the driver");
    TDataset dataset(driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!dataset)
        GdalFailed(target, "creating the file");
    return dataset;
}

void WriteLayer(const QString& target, const std::string& path, TVectorFormat format,
                const QString& layerName, const std::vector<TVectorLine>& lines,
                bool withAttributes, const TCoordinateSystem* system) {
    TDataset dataset = CreateDataset(target, path, format);
    const bool dxf = format == TVectorFormat::Dxf;
    const char* geoJsonOptions[] = {"RFC7946=YES", "WRITE_NAME=NO", nullptr};
    OGRLayer* layer = dataset->CreateLayer(
        layerName.toUtf8().constData(),
        system ? const_cast<OGRSpatialReference*>(&system->Reference()) : nullptr, wkbLineString25D,
        format == TVectorFormat::GeoJson && system ? const_cast<char**>(geoJsonOptions) : nullptr);
    if (!layer)
        GdalFailed(target, "creating the layer");
    if (withAttributes && !dxf) {
        OGRFieldDefn level("level", OFTReal);
        OGRFieldDefn index("index", OFTInteger);
        index.SetSubType(OFSTBoolean);
        if (layer->CreateField(&level) != OGRERR_NONE || layer->CreateField(&index) != OGRERR_NONE)
            GdalFailed(target, "creating the fields");
    }
    for (const TVectorLine& line : lines) {
        OGRFeature feature(layer->GetLayerDefn());
        if (withAttributes && !dxf) {
            feature.SetField("level", line.Level);
            feature.SetField("index", line.Index ? 1 : 0);
        }
        if (dxf)
            feature.SetField("Layer", line.DxfLayer.toUtf8().constData());
        OGRLineString geometry;
        geometry.setNumPoints(static_cast<int>(line.Points.size()));
        for (std::size_t i = 0; i < line.Points.size(); ++i)
            geometry.setPoint(static_cast<int>(i), line.Points[i][0], line.Points[i][1],
                              line.Points[i][2]);
        feature.SetGeometry(&geometry);
        if (layer->CreateFeature(&feature) != OGRERR_NONE)
            GdalFailed(target, "writing a line");
    }
    // Closing writes what is left; a failure there is reported through GDAL's errors, which
    // the caller checks.
    dataset.reset();
}
} // namespace

void WriteVectorLines(const QString& name, TVectorFormat format, const QString& layerName,
                      const std::vector<TVectorLine>& lines, bool withAttributes,
                      const TCoordinateSystem* system) {
    const QString fileName = WithFormatExtension(name, format);
    SaveWithGdal(fileName, [&](const std::string& path) {
        WriteLayer(fileName, path, format, layerName, lines, withAttributes, system);
    });
}

void WriteVectorPolygon(const QString& name, TVectorFormat format, const QString& layerName,
                        const TBoundary& polygon, const TCoordinateSystem* system) {
    const QString fileName = WithFormatExtension(name, format);
    SaveWithGdal(fileName, [&](const std::string& path) {
        TDataset dataset = CreateDataset(fileName, path, format);
        const char* geoJsonOptions[] = {"RFC7946=YES", "WRITE_NAME=NO", nullptr};
        OGRLayer* layer = dataset->CreateLayer(
            layerName.toUtf8().constData(),
            system ? const_cast<OGRSpatialReference*>(&system->Reference()) : nullptr, wkbPolygon,
            format == TVectorFormat::GeoJson && system ? const_cast<char**>(geoJsonOptions)
                                                       : nullptr);
        if (!layer)
            GdalFailed(fileName, "creating the layer");
        OGRPolygon shape;
        for (const auto& ring : polygon.Rings) {
            OGRLinearRing linear;
            for (const TPlanPoint& p : ring)
                linear.addPoint(p.X, p.Y);
            linear.closeRings();
            shape.addRing(&linear);
        }
        OGRFeature feature(layer->GetLayerDefn());
        if (format == TVectorFormat::Dxf)
            feature.SetField("Layer", "BOUNDARY");
        feature.SetGeometry(&shape);
        if (layer->CreateFeature(&feature) != OGRERR_NONE)
            GdalFailed(fileName, "writing the polygon");
    });
}
