#include "VectorFiles.h"
#include "CoordinateSystem.h"
#include "GdalFiles.h"
#include "model/Geometry.h"
#include "model/Mesh.h"

#include <QFileInfo>

#include <cpl_vsi.h>
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

// DXF as CAD programs read it, mended in the text GDAL wrote: the header's units are the
// model's, not GDAL's inches, and a polyline whose last vertex is its first is closed by its
// flag (the repeated vertex dropped), as rings are in CAD.
class TDxfText {
public:
    explicit TDxfText(const QByteArray& text) {
        // Codes compare trimmed; values keep their own spacing, as GDAL wrote them.
        const QList<QByteArray> lines = text.split('\n');
        for (qsizetype i = 0; i + 1 < lines.size(); i += 2)
            FPairs.push_back({lines[i].trimmed(), Chopped(lines[i + 1])});
    }
    QByteArray Text() const {
        QByteArray text;
        for (const auto& [code, value] : FPairs)
            text += Code(code) + '\n' + value + '\n';
        return text;
    }
    void SetHeader(const char* variable, int value) {
        for (size_t i = 0; i + 1 < FPairs.size(); ++i)
            if (FPairs[i].first == "9" && FPairs[i].second.trimmed() == variable)
                FPairs[i + 1].second = Number(value);
    }
    void CloseRings() {
        std::vector<std::pair<QByteArray, QByteArray>> out;
        for (size_t i = 0; i < FPairs.size();) {
            const size_t end = EntityEnd(i);
            std::vector<std::pair<QByteArray, QByteArray>> entity(FPairs.begin() + i,
                                                                  FPairs.begin() + end);
            std::vector<std::pair<QByteArray, QByteArray>> vertices;
            if (Is(FPairs[i], "LWPOLYLINE"))
                CloseLightPolyline(entity);
            const size_t next =
                Is(FPairs[i], "POLYLINE") ? ClosePolyline(end, entity, vertices) : end;
            out.insert(out.end(), entity.begin(), entity.end());
            out.insert(out.end(), vertices.begin(), vertices.end());
            i = next;
        }
        FPairs = std::move(out);
    }

private:
    static QByteArray Code(const QByteArray& code) { return code.rightJustified(3, ' '); }
    static QByteArray Chopped(QByteArray line) {
        if (line.endsWith('\r'))
            line.chop(1);
        return line;
    }
    static QByteArray Number(int value) { return QByteArray::number(value).rightJustified(6, ' '); }
    static bool Is(const std::pair<QByteArray, QByteArray>& pair, const char* entity) {
        return pair.first == "0" && pair.second.trimmed() == entity;
    }
    size_t EntityEnd(size_t start) const {
        size_t i = start + 1;
        while (i < FPairs.size() && FPairs[i].first != "0")
            ++i;
        return i;
    }
    static void SetFlag(std::vector<std::pair<QByteArray, QByteArray>>& entity) {
        for (auto& [code, value] : entity)
            if (code == "70") {
                value = Number(value.trimmed().toInt() | 1);
                return;
            }
        entity.insert(entity.begin() + 1, {"70", Number(1)});
    }
    static void CloseLightPolyline(std::vector<std::pair<QByteArray, QByteArray>>& entity) {
        std::vector<size_t> xs;
        for (size_t i = 0; i + 1 < entity.size(); ++i)
            if (entity[i].first == "10" && entity[i + 1].first == "20")
                xs.push_back(i);
        if (xs.size() < 4 ||
            entity[xs.front()].second.trimmed() != entity[xs.back()].second.trimmed() ||
            entity[xs.front() + 1].second.trimmed() != entity[xs.back() + 1].second.trimmed())
            return;
        entity.erase(entity.begin() + long(xs.back()), entity.begin() + long(xs.back()) + 2);
        for (auto& [code, value] : entity)
            if (code == "90")
                value = Number(value.trimmed().toInt() - 1);
        SetFlag(entity);
    }
    // The VERTEX entities from start, up to SEQEND, into vertices; the polyline they belong to
    // closed when its last vertex is its first, which goes. Returns where SEQEND begins.
    size_t ClosePolyline(size_t start, std::vector<std::pair<QByteArray, QByteArray>>& polyline,
                         std::vector<std::pair<QByteArray, QByteArray>>& vertices) const {
        std::vector<std::pair<size_t, size_t>> ranges;
        size_t i = start;
        while (i < FPairs.size() && Is(FPairs[i], "VERTEX")) {
            ranges.push_back({i, EntityEnd(i)});
            i = ranges.back().second;
        }
        auto place = [&](const std::pair<size_t, size_t>& vertex) {
            QByteArray where;
            for (size_t k = vertex.first; k < vertex.second; ++k)
                if (FPairs[k].first == "10" || FPairs[k].first == "20" || FPairs[k].first == "30")
                    where += FPairs[k].second.trimmed() + ' ';
            return where;
        };
        if (ranges.size() >= 4 && place(ranges.front()) == place(ranges.back())) {
            SetFlag(polyline);
            ranges.pop_back();
        }
        for (const auto& [from, to] : ranges)
            vertices.insert(vertices.end(), FPairs.begin() + long(from), FPairs.begin() + long(to));
        return i;
    }
    std::vector<std::pair<QByteArray, QByteArray>> FPairs;
};

// Mends the DXF file GDAL wrote at path (one of GDAL's memory files).
void FinishDxf(const QString& target, const std::string& path, int lengthUnits) {
    vsi_l_offset length = 0;
    const GByte* bytes = VSIGetMemFileBuffer(path.c_str(), &length, FALSE);
    if (!bytes)
        GdalFailed(target, "reading the DXF text back");
    TDxfText dxf(QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(length)));
    const bool feet = lengthUnits == 2 || lengthUnits == 3;
    dxf.SetHeader("$INSUNITS", feet ? 2 : 6);
    dxf.SetHeader("$MEASUREMENT", feet ? 0 : 1);
    dxf.CloseRings();
    const QByteArray text = dxf.Text();
    VSILFILE* file = VSIFOpenL(path.c_str(), "wb");
    if (!file)
        GdalFailed(target, "mending the DXF text");
    const bool whole =
        VSIFWriteL(text.constData(), 1, size_t(text.size()), file) == size_t(text.size());
    if (VSIFCloseL(file) != 0 || !whole)
        GdalFailed(target, "mending the DXF text");
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
                bool withAttributes, const TCoordinateSystem* system, int lengthUnits) {
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
    if (dxf)
        FinishDxf(target, path, lengthUnits);
}
} // namespace

void WriteVectorLines(const QString& name, TVectorFormat format, const QString& layerName,
                      const std::vector<TVectorLine>& lines, bool withAttributes,
                      const TCoordinateSystem* system, int lengthUnits) {
    const QString fileName = WithFormatExtension(name, format);
    SaveWithGdal(fileName, [&](const std::string& path) {
        WriteLayer(fileName, path, format, layerName, lines, withAttributes, system, lengthUnits);
    });
}

void WriteVectorPolygon(const QString& name, TVectorFormat format, const QString& layerName,
                        const TBoundary& polygon, const TCoordinateSystem* system,
                        int lengthUnits) {
    const QString fileName = WithFormatExtension(name, format);
    if (format == TVectorFormat::Dxf) { // outlines, not a filled hatch: each ring closed
        std::vector<TVectorLine> rings;
        for (const auto& ring : polygon.Rings) {
            TVectorLine line;
            line.DxfLayer = "BOUNDARY";
            line.Closed = true;
            for (const TPlanPoint& p : ring)
                line.Points.push_back({p.X, p.Y, 0});
            if (!ring.empty() && !(ring.front() == ring.back()))
                line.Points.push_back({ring.front().X, ring.front().Y, 0});
            rings.push_back(std::move(line));
        }
        return WriteVectorLines(fileName, format, layerName, rings, false, system, lengthUnits);
    }
    SaveWithGdal(fileName, [&](const std::string& path) {
        TDataset dataset = CreateDataset(fileName, path, format);
        const char* geoJsonOptions[] = {"RFC7946=YES", "WRITE_NAME=NO", nullptr};
        OGRLayer* layer = dataset->CreateLayer(
            layerName.toUtf8().constData(),
            system ? const_cast<OGRSpatialReference*>(&system->Reference()) : nullptr,
            polygon.AreaStarts.empty() ? wkbPolygon : wkbMultiPolygon,
            format == TVectorFormat::GeoJson && system ? const_cast<char**>(geoJsonOptions)
                                                       : nullptr);
        if (!layer)
            GdalFailed(fileName, "creating the layer");
        OGRMultiPolygon areas;
        OGRPolygon area;
        for (std::size_t r = 0; r < polygon.Rings.size(); ++r) {
            if (r > 0 && IsOuterRing(polygon, r)) {
                areas.addGeometry(&area);
                area.empty();
            }
            OGRLinearRing linear;
            for (const TPlanPoint& p : polygon.Rings[r])
                linear.addPoint(p.X, p.Y);
            linear.closeRings();
            area.addRing(&linear);
        }
        OGRFeature feature(layer->GetLayerDefn());
        if (areas.IsEmpty()) {
            feature.SetGeometry(&area);
        } else {
            areas.addGeometry(&area);
            feature.SetGeometry(&areas);
        }
        if (layer->CreateFeature(&feature) != OGRERR_NONE)
            GdalFailed(fileName, "writing the polygon");
    });
}
