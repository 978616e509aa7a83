// What GIS and CAD programs read back from the files written for them, through GDAL's own
// API: the driver, the layer, the attributes, the coordinate system and the coordinates; GeoJSON
// in longitude and latitude checked against PROJ directly; the elevation grid cell by cell
// against the look-up; and failures that leave nothing behind.
#include "ModelWriter.h"
#include "SurfaceModel.h"
#include "compare/Difference.h"
#include "gis/CoordinateSystem.h"
#include "gis/GdalFiles.h"
#include "gis/RasterFiles.h"
#include "gis/VectorFiles.h"
#include "model/Geometry.h"
#include "platform/Exceptions.h"
#include "platform/Streams.h"
#include "terrain/Contours.h"
#include "vrk/VRKModel.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>
#include <proj.h>

#include <cmath>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {
struct TClose {
    void operator()(GDALDataset* d) const { GDALClose(d); }
};
using TOpened = std::unique_ptr<GDALDataset, TClose>;

TOpened Open(const QString& path, unsigned flags) {
    InitGdal();
    return TOpened(GDALDataset::Open(QFile::encodeName(path).constData(), flags));
}

TCoordinateSystem Utm16() {
    QString problem;
    return *TCoordinateSystem::FromText("EPSG:32616", problem);
}

struct GisFilesTest : ::testing::Test {
    void SetUp() override {
        // A hill at UTM coordinates in zone 16.
        TModelData data = SurfaceModel(12, 10, 10, [](double x, double y) {
            return 200 + 30 * std::exp(-((x - 60) * (x - 60) + (y - 50) * (y - 50)) / 900);
        });
        for (auto& v : data.Vertices) {
            v.Easting += 512000;
            v.Northing += 4641000;
        }
        TMemoryStream stream(WriteModel(data));
        model.ReadFromStream(stream);
        TContourSettings settings;
        settings.Interval = 5;
        settings.IndexEvery = 2;
        contours = TraceContours(model.Triangles(), settings);
    }
    QTemporaryDir dir;
    TVandrelTINModel model;
    std::vector<TContourLine> contours;
};
} // namespace

TEST(CoordinateSystemTest, FromAnEpsgCodeWktOrProjStringAndBesideTheModel) {
    QString problem;
    const auto utm = TCoordinateSystem::FromText("EPSG:32616", problem);
    ASSERT_TRUE(utm) << problem.toStdString();
    EXPECT_EQ(utm->Name(), "WGS 84 / UTM zone 16N");
    EXPECT_EQ(utm->Epsg(), 32616);
    EXPECT_FALSE(utm->IsGeographic());
    // Its WKT, read back, is the same system.
    const auto again = TCoordinateSystem::FromText(utm->Wkt(), problem);
    ASSERT_TRUE(again) << problem.toStdString();
    EXPECT_TRUE(again->Reference().IsSame(&utm->Reference()));
    const auto proj = TCoordinateSystem::FromText("+proj=utm +zone=16 +datum=WGS84", problem);
    ASSERT_TRUE(proj);
    EXPECT_EQ(proj->Epsg(), 32616) << "a PROJ string of a known system gets its code";
    EXPECT_TRUE(utm->OgcWkt().startsWith("PROJCS[\"WGS 84 / UTM zone 16N\""));
    EXPECT_TRUE(utm->OgcWkt().contains("AUTHORITY[\"EPSG\",\"32616\"]")) << "OGC, not ESRI";
    // Degrees cannot hold eastings and northings; a projected system takes any numbers.
    const auto degrees = TCoordinateSystem::FromText("EPSG:4326", problem);
    ASSERT_TRUE(degrees);
    EXPECT_EQ(degrees->RangeProblem(-88, 30, -87, 31), "");
    EXPECT_NE(degrees->RangeProblem(485000, 3650000, 486000, 3651000), "");
    EXPECT_EQ(utm->RangeProblem(485000, 3650000, 486000, 3651000), "");
    EXPECT_FALSE(TCoordinateSystem::FromText("EPSG:99999999", problem));
    EXPECT_FALSE(problem.isEmpty());
    EXPECT_FALSE(TCoordinateSystem::FromText("my own grid", problem));
    EXPECT_FALSE(TCoordinateSystem::FromText("  ", problem));

    QTemporaryDir dir;
    const QString model = dir.filePath("site.vrk");
    EXPECT_FALSE(TCoordinateSystem::BesideModel(model, problem)) << "no .prj, no system";
    QFile prj(dir.filePath("site.prj"));
    ASSERT_TRUE(prj.open(QIODevice::WriteOnly));
    prj.write(utm->Wkt().toUtf8());
    prj.close();
    problem.clear();
    const auto beside = TCoordinateSystem::BesideModel(model, problem);
    ASSERT_TRUE(beside) << problem.toStdString();
    EXPECT_EQ(beside->Epsg(), 32616);
    ASSERT_TRUE(prj.open(QIODevice::WriteOnly | QIODevice::Truncate));
    prj.write("garbage");
    prj.close();
    EXPECT_FALSE(TCoordinateSystem::BesideModel(model, problem));
    EXPECT_TRUE(problem.startsWith(dir.filePath("site.prj"))) << problem.toStdString();

    // A file of NUL bytes is named without them; a pipe is not waited on; --crs names a file.
    ASSERT_TRUE(prj.open(QIODevice::WriteOnly | QIODevice::Truncate));
    prj.write(QByteArray(64, '\0'));
    prj.close();
    EXPECT_FALSE(TCoordinateSystem::BesideModel(model, problem));
    EXPECT_FALSE(problem.contains(QChar(0))) << problem.toStdString();
    EXPECT_TRUE(prj.remove());
    ASSERT_EQ(::mkfifo(QFile::encodeName(prj.fileName()).constData(), 0600), 0);
    EXPECT_FALSE(TCoordinateSystem::BesideModel(model, problem));
    EXPECT_EQ(problem, prj.fileName() + ": not a regular file");
    const QString named = dir.filePath("named.prj");
    QFile file(named);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(utm->Wkt().toUtf8());
    file.close();
    const auto fromFile = TCoordinateSystem::FromText(named, problem);
    ASSERT_TRUE(fromFile) << problem.toStdString();
    EXPECT_EQ(fromFile->Epsg(), 32616);
}

TEST_F(GisFilesTest, ContoursOpenWithTheirDriverLayerAttributesSystemAndCoordinates) {
    const TCoordinateSystem utm = Utm16();
    ASSERT_FALSE(contours.empty());
    for (const auto& [name, driver] : {std::pair{"c.gpkg", "GPKG"}, {"c.shp", "ESRI Shapefile"}}) {
        const QString path = dir.filePath(name);
        TVectorFormat format;
        ASSERT_TRUE(VectorFormatFromExtension(path, format));
        WriteVectorLines(path, format, "contours", ContourVectorLines(contours), true, &utm);
        const TOpened opened = Open(path, GDAL_OF_VECTOR);
        ASSERT_TRUE(opened) << name;
        EXPECT_STREQ(opened->GetDriver()->GetDescription(), driver);
        OGRLayer* layer = opened->GetLayer(0);
        // A shapefile's layer is named by its file.
        EXPECT_STREQ(layer->GetName(), format == TVectorFormat::Shapefile ? "c" : "contours");
        EXPECT_EQ(layer->GetFeatureCount(), GIntBig(contours.size()));
        ASSERT_NE(layer->GetSpatialRef(), nullptr);
        EXPECT_TRUE(layer->GetSpatialRef()->IsSame(&utm.Reference())) << name;
        layer->ResetReading();
        for (const TContourLine& contour : contours) {
            std::unique_ptr<OGRFeature> feature(layer->GetNextFeature());
            ASSERT_TRUE(feature);
            EXPECT_EQ(feature->GetFieldAsDouble("level"), contour.Level);
            EXPECT_EQ(feature->GetFieldAsInteger("index"), contour.Index ? 1 : 0);
            const auto* line = feature->GetGeometryRef()->toLineString();
            ASSERT_EQ(line->getNumPoints(), int(contour.Points.size()));
            EXPECT_EQ(line->getX(0), contour.Points[0].X);
            EXPECT_EQ(line->getY(0), contour.Points[0].Y);
            EXPECT_EQ(line->getZ(0), contour.Level);
        }
    }
}

TEST_F(GisFilesTest, DxfHasThreeDimensionalPolylinesOnTwoLayers) {
    const QString path = dir.filePath("c.dxf");
    WriteVectorLines(path, TVectorFormat::Dxf, "contours", ContourVectorLines(contours), true,
                     nullptr);
    const TOpened opened = Open(path, GDAL_OF_VECTOR);
    ASSERT_TRUE(opened);
    EXPECT_STREQ(opened->GetDriver()->GetDescription(), "DXF");
    OGRLayer* entities = opened->GetLayer(0);
    int index = 0, intermediate = 0;
    for (auto& feature : *entities) {
        const std::string layer = feature->GetFieldAsString("Layer");
        (layer == "CONTOUR_INDEX" ? index : intermediate) += 1;
        EXPECT_TRUE(layer == "CONTOUR_INDEX" || layer == "CONTOUR") << layer;
        const auto* line = feature->GetGeometryRef()->toLineString();
        EXPECT_TRUE(line->Is3D());
        EXPECT_EQ(std::fmod(line->getZ(0), 5), 0) << "at a contour's level";
    }
    EXPECT_GT(index, 0);
    EXPECT_GT(intermediate, 0);
    EXPECT_EQ(index + intermediate, int(contours.size()));
}

namespace {
// The values of a DXF group code in a DXF text, trimmed, in order.
QStringList DxfValues(const QString& path, const QString& code) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QStringList values;
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2)
        if (lines[i].trimmed() == code)
            values << QString::fromLatin1(lines[i + 1].trimmed());
    return values;
}
} // namespace

TEST_F(GisFilesTest, DxfNamesTheModelsUnitsAndClosesRings) {
    const QString metres = dir.filePath("m.dxf"), feet = dir.filePath("f.dxf");
    WriteVectorLines(metres, TVectorFormat::Dxf, "contours", ContourVectorLines(contours), true,
                     nullptr, 1);
    WriteVectorLines(feet, TVectorFormat::Dxf, "contours", ContourVectorLines(contours), true,
                     nullptr, 2);
    // The units, read as the next value after the variable's name.
    for (const auto& [path, insunits, measurement] :
         {std::tuple{metres, "6", "1"}, std::tuple{feet, "2", "0"}}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = file.readAll().split('\n');
        for (auto& line : lines)
            line = line.trimmed();
        EXPECT_EQ(lines[lines.indexOf("$INSUNITS") + 2], insunits);
        EXPECT_EQ(lines[lines.indexOf("$MEASUREMENT") + 2], measurement);
    }
    // Rings closed by their flag, and read back closed.
    const auto closed = std::count_if(contours.begin(), contours.end(),
                                      [](const TContourLine& c) { return c.Closed; });
    ASSERT_GT(closed, 0);
    const TOpened opened = Open(metres, GDAL_OF_VECTOR);
    ASSERT_TRUE(opened);
    int readClosed = 0;
    for (auto& feature : *opened->GetLayer(0))
        readClosed += feature->GetGeometryRef()->toLineString()->get_IsClosed();
    EXPECT_EQ(readClosed, closed);
    // A boundary is closed outlines on a layer of its own, no hatch.
    const TBoundary holed{{{{512010, 4641010}, {512100, 4641010}, {512100, 4641080}},
                           {{512080, 4641020}, {512090, 4641020}, {512090, 4641030}}}};
    const QString boundary = dir.filePath("b.dxf");
    WriteVectorPolygon(boundary, TVectorFormat::Dxf, "boundary", holed, nullptr);
    EXPECT_FALSE(DxfValues(boundary, "0").contains("HATCH"));
    const TOpened rings = Open(boundary, GDAL_OF_VECTOR);
    ASSERT_TRUE(rings);
    int outlines = 0;
    for (auto& feature : *rings->GetLayer(0)) {
        EXPECT_STREQ(feature->GetFieldAsString("Layer"), "BOUNDARY");
        EXPECT_TRUE(feature->GetGeometryRef()->toLineString()->get_IsClosed());
        ++outlines;
    }
    EXPECT_EQ(outlines, 2);
}

TEST_F(GisFilesTest, GeoJsonWithASystemIsInLongitudeAndLatitude) {
    const TCoordinateSystem utm = Utm16();
    const QString path = dir.filePath("c.geojson");
    WriteVectorLines(path, TVectorFormat::GeoJson, "contours", ContourVectorLines(contours), true,
                     &utm);
    const TOpened opened = Open(path, GDAL_OF_VECTOR);
    ASSERT_TRUE(opened);
    OGRLayer* layer = opened->GetLayer(0);
    std::unique_ptr<OGRFeature> feature(layer->GetNextFeature());
    const auto* line = feature->GetGeometryRef()->toLineString();
    // The same point through PROJ itself, to longitude and latitude.
    PJ_CONTEXT* context = proj_context_create();
    PJ* raw = proj_create_crs_to_crs(context, "EPSG:32616", "OGC:CRS84", nullptr);
    ASSERT_NE(raw, nullptr);
    PJ* transform = proj_normalize_for_visualization(context, raw);
    const PJ_COORD utmPoint = proj_coord(contours[0].Points[0].X, contours[0].Points[0].Y, 0, 0);
    const PJ_COORD lonLat = proj_trans(transform, PJ_FWD, utmPoint);
    proj_destroy(transform);
    proj_destroy(raw);
    proj_context_destroy(context);
    EXPECT_NEAR(line->getX(0), lonLat.lp.lam, 1e-7);
    EXPECT_NEAR(line->getY(0), lonLat.lp.phi, 1e-7);
    EXPECT_NEAR(line->getX(0), -86.85, 0.1) << "just east of zone 16's central meridian, 87 W";
    EXPECT_NEAR(line->getY(0), 41.9, 0.1);
}

TEST_F(GisFilesTest, TheZeroLineHasItsElevationUpToTheEdgeOfBothSurfaces) {
    // z = x against the level 15 over the same square: they meet on x = 15, edge to edge,
    // on a column of vertices (an edge point lies on a side of both surfaces).
    const auto load = [](const TModelData& data) {
        auto model = std::make_unique<TVandrelTINModel>();
        TMemoryStream stream(WriteModel(data));
        model->ReadFromStream(stream);
        return model;
    };
    for (const double level : {15.0, 12.5}) {
        const auto slope = load(SurfaceModel(4, 4, 10, [](double x, double) { return x; }));
        const auto flat = load(SurfaceModel(4, 4, 10, [&](double, double) { return level; }));
        const std::vector<TVectorLine> lines =
            ZeroLineVectorLines(CompareSurfaces(*slope, *flat).ZeroLine, *slope);
        ASSERT_EQ(lines.size(), 1u) << level;
        EXPECT_FALSE(lines[0].Closed);
        const auto& points = lines[0].Points;
        EXPECT_EQ(std::min(points.front()[1], points.back()[1]), 0);
        EXPECT_EQ(std::max(points.front()[1], points.back()[1]), 40);
        for (const auto& point : points) {
            EXPECT_EQ(point[0], level);
            EXPECT_EQ(point[2], level) << "at " << point[0] << ", " << point[1];
        }
    }
    // A surface against itself: d is 0 at every vertex (the difference layer is white there).
    const auto slope = load(SurfaceModel(4, 4, 10, [](double x, double y) { return x + 2 * y; }));
    const TSurfaceDifference self = CompareSurfaces(*slope, *slope);
    for (const double d : self.AtModelVertex)
        EXPECT_EQ(d, 0);
    EXPECT_EQ(self.Low, 0);
    EXPECT_EQ(self.High, 0);
}

TEST_F(GisFilesTest, TheElevationGridHasNoHolesWhereCellCentresPassThroughVertices) {
    // Cells of 2 over a grid of 1 put every centre on a vertex, and cells of 1 on the
    // vertical sides between; the plane z = 2x + 3y + 1 is exact in doubles there.
    TVandrelTINModel plane;
    TMemoryStream stream(
        WriteModel(SurfaceModel(10, 10, 1, [](double x, double y) { return 2 * x + 3 * y + 1; })));
    plane.ReadFromStream(stream);
    for (const double cell : {2.0, 1.0, 0.5}) {
        const TGridFrame frame = GridFrameOver(plane, cell);
        const TLargeArray<float> values = SampleElevations(plane, frame, GridNoData);
        for (int r = 0; r < frame.Rows; ++r)
            for (int c = 0; c < frame.Columns; ++c)
                ASSERT_EQ(values[size_t(r) * frame.Columns + c],
                          float(2 * frame.CentreX(c) + 3 * frame.CentreY(r) + 1))
                    << cell << ' ' << r << ' ' << c;
    }
}

TEST_F(GisFilesTest, TheElevationGridIsTheLookUpAtEveryCellCentre) {
    // Overlapping, thin and missing triangles make "the first in collection order" count.
    TModelData data = SurfaceModel(6, 5, 10, [](double x, double y) { return x * 0.5 - y; });
    data.Vertices.push_back({5, 5, 1000});
    data.Vertices.push_back({35, 35, 1000});
    data.Vertices.push_back({60, 60.0000001, 7});
    const int32_t n = int32_t(data.Vertices.size());
    data.Triangles.push_back({{n - 2, n - 1, n}, {-1, -1, -1}}); // a thin sliver across it all
    TModelData::Triangle overlapping{};
    overlapping.Vertices = {n - 2, 1, n - 1};
    overlapping.Neighbours = {-1, -1, -1};
    data.Triangles.insert(data.Triangles.begin() + 3, overlapping);
    TVandrelTINModel grid;
    TMemoryStream stream(WriteModel(data));
    grid.ReadFromStream(stream);
    EXPECT_TRUE(GridFrameProblem(grid, 0.7, 1000000).isEmpty());
    EXPECT_FALSE(GridFrameProblem(grid, 0, 1000).isEmpty());
    EXPECT_FALSE(GridFrameProblem(grid, 0.001, 1000).isEmpty()) << "too many cells";
    EXPECT_EQ(GridFrameOver(grid, 0.7).Columns, 86); // 60 / 0.7 rounded up
    // Cells of 2.5 and 5 put centres exactly on the cells' diagonals and sides.
    for (const double cell : {2.5, 5.0, 0.7}) {
        const TGridFrame frame = GridFrameOver(grid, cell);
        const TLargeArray<float> values = SampleElevations(grid, frame, GridNoData);
        int known = 0;
        for (int r = 0; r < frame.Rows; ++r)
            for (int c = 0; c < frame.Columns; ++c) {
                double value = NullValue;
                const TTriangle* found =
                    grid.FindTriangle(frame.CentreX(c), frame.CentreY(r), value);
                const float want = found && value != NullValue ? float(value) : GridNoData;
                ASSERT_EQ(values[size_t(r) * frame.Columns + c], want)
                    << cell << ' ' << r << ' ' << c;
                known += found != nullptr;
            }
        EXPECT_GT(known, frame.Rows * frame.Columns / 2);
    }
    const TGridFrame frame = GridFrameOver(grid, 0.7);
    const TLargeArray<float> values = SampleElevations(grid, frame, GridNoData);

    const TCoordinateSystem utm = Utm16();
    const QString path = dir.filePath("grid.tif");
    WriteElevationGeoTiff(path, frame, values, &utm);
    const TOpened opened = Open(path, GDAL_OF_RASTER);
    ASSERT_TRUE(opened);
    EXPECT_STREQ(opened->GetDriver()->GetDescription(), "GTiff");
    EXPECT_STREQ(opened->GetMetadataItem("COMPRESSION", "IMAGE_STRUCTURE"), "DEFLATE");
    EXPECT_EQ(opened->GetRasterXSize(), frame.Columns);
    EXPECT_EQ(opened->GetRasterYSize(), frame.Rows);
    double transform[6];
    ASSERT_EQ(opened->GetGeoTransform(transform), CE_None);
    EXPECT_EQ(transform[0], frame.West);
    EXPECT_EQ(transform[1], 0.7);
    EXPECT_EQ(transform[3], frame.North);
    EXPECT_EQ(transform[5], -0.7);
    EXPECT_TRUE(opened->GetSpatialRef()->IsSame(&utm.Reference()));
    GDALRasterBand* band = opened->GetRasterBand(1);
    EXPECT_EQ(band->GetRasterDataType(), GDT_Float32);
    int hasNoData = 0;
    EXPECT_EQ(band->GetNoDataValue(&hasNoData), double(GridNoData));
    EXPECT_TRUE(hasNoData);
    std::vector<float> read(values.size());
    ASSERT_EQ(band->RasterIO(GF_Read, 0, 0, frame.Columns, frame.Rows, read.data(), frame.Columns,
                             frame.Rows, GDT_Float32, 0, 0),
              CE_None);
    EXPECT_TRUE(std::equal(read.begin(), read.end(), values.data()));
}

TEST_F(GisFilesTest, APictureLandsInPlace) {
    QImage picture(40, 30, QImage::Format_ARGB32);
    picture.fill(QColor(10, 200, 30));
    const TPictureFrame frame{512000, 4641300, 2.5, 2.5};
    const QString path = dir.filePath("view.tif");
    WritePictureGeoTiff(path, picture, frame, nullptr);
    const TOpened opened = Open(path, GDAL_OF_RASTER);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->GetRasterCount(), 4);
    EXPECT_STREQ(opened->GetMetadataItem("COMPRESSION", "IMAGE_STRUCTURE"), "DEFLATE");
    double transform[6];
    opened->GetGeoTransform(transform);
    EXPECT_EQ(transform[0], 512000);
    EXPECT_EQ(transform[5], -2.5);
    uint8_t green = 0;
    ASSERT_EQ(opened->GetRasterBand(2)->RasterIO(GF_Read, 5, 5, 1, 1, &green, 1, 1, GDT_Byte, 0, 0),
              CE_None);
    EXPECT_EQ(green, 200);
    EXPECT_EQ(WorldFileText(frame), "2.5\n0\n0\n-2.5\n512001.25\n4641298.75\n");
    EXPECT_EQ(WorldFileName("/a/b.png"), "/a/b.pgw");
    EXPECT_EQ(WorldFileName("b.JPG"), "./b.jgw");
}

TEST_F(GisFilesTest, AFailedWriteLeavesNothingAndNamesTheReason) {
    const QString path = dir.filePath("c.gpkg");
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit before{};
    ::getrlimit(RLIMIT_FSIZE, &before);
    const rlimit limit{4096, before.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::string message;
    try {
        WriteVectorLines(path, TVectorFormat::GeoPackage, "contours", ContourVectorLines(contours),
                         true, nullptr);
    } catch (const EFWriteError& error) {
        message = error.Message();
    }
    ::setrlimit(RLIMIT_FSIZE, &before);
    EXPECT_FALSE(message.empty()) << "the failure is reported";
    EXPECT_EQ(message.rfind("Cannot write file " + path.toStdString(), 0), 0u) << message;
    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"c.gpkg"})
        << "no temporary left";
    EXPECT_THROW(WriteVectorLines(dir.path(), TVectorFormat::GeoJson, "x", {}, false, nullptr),
                 EFWriteError)
        << "a folder is refused";
}

TEST_F(GisFilesTest, ABoundaryAndTheLineWhereTwoSurfacesMeet) {
    const TBoundary holed{{{{512010, 4641010}, {512090, 4641010}, {512090, 4641080}},
                           {{512060, 4641020}, {512080, 4641020}, {512080, 4641030}}}};
    const QString path = dir.filePath("boundary.gpkg");
    const TCoordinateSystem utm = Utm16();
    WriteVectorPolygon(path, TVectorFormat::GeoPackage, "boundary", holed, &utm);
    const TOpened opened = Open(path, GDAL_OF_VECTOR);
    ASSERT_TRUE(opened);
    std::unique_ptr<OGRFeature> feature(opened->GetLayer(0)->GetNextFeature());
    const auto* polygon = feature->GetGeometryRef()->toPolygon();
    EXPECT_EQ(polygon->getNumInteriorRings(), 1);
    EXPECT_DOUBLE_EQ(polygon->get_Area(), PlanArea(holed));

    // The hill against the plane at 215: they meet on a ring round the top, at 215.
    TModelData flat = SurfaceModel(5, 4, 25, [](double, double) { return 215; });
    for (auto& v : flat.Vertices) {
        v.Easting += 512000;
        v.Northing += 4641000;
    }
    TVandrelTINModel plane;
    TMemoryStream stream(WriteModel(flat));
    plane.ReadFromStream(stream);
    const TSurfaceDifference difference = CompareSurfaces(model, plane);
    const std::vector<TVectorLine> lines = ZeroLineVectorLines(difference.ZeroLine, model);
    ASSERT_EQ(lines.size(), 1u) << "the pieces joined into one ring";
    EXPECT_TRUE(lines[0].Closed);
    for (const TVectorLine& line : lines)
        for (const auto& point : line.Points)
            EXPECT_NEAR(point[2], 215, 1e-9);
    const QString zero = dir.filePath("zero.shp");
    WriteVectorLines(zero, TVectorFormat::Shapefile, "zero_line", lines, false, &utm);
    const TOpened zeroOpened = Open(zero, GDAL_OF_VECTOR);
    ASSERT_TRUE(zeroOpened);
    EXPECT_EQ(zeroOpened->GetLayer(0)->GetFeatureCount(), GIntBig(lines.size()));
}
