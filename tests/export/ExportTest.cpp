// What the writers write, read back.
#include "SurfaceModel.h"
#include "export/ContourGeoJson.h"
#include "export/MapSheet.h"
#include "export/ProfileCsv.h"
#include "export/SavedFile.h"
#include "platform/Exceptions.h"
#include "platform/Streams.h"
#include "vrk/VRKModel.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(ExportTest, ContoursAsGeoJsonKeepEveryCoordinateExactly) {
    TVandrelTINModel model;
    TMemoryStream stream(WriteModel(
        SurfaceModel(7, 5, 3.3, [](double x, double y) { return std::sin(x / 3) * 10 + y / 7; })));
    model.ReadFromStream(stream);
    TContourSettings settings;
    settings.Interval = 0.7;
    const std::vector<TContourLine> lines = TraceContours(model.Triangles(), settings);
    ASSERT_GT(lines.size(), 5u);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteContoursGeoJson(lines, buffer);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(buffer.data(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_EQ(document["type"].toString(), "FeatureCollection");
    const QJsonArray features = document["features"].toArray();
    ASSERT_EQ(size_t(features.size()), lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const QJsonObject feature = features[qsizetype(i)].toObject();
        EXPECT_EQ(feature["geometry"]["type"].toString(), "LineString");
        EXPECT_EQ(feature["properties"]["level"].toDouble(), lines[i].Level);
        EXPECT_EQ(feature["properties"]["index"].toBool(), lines[i].Index);
        const QJsonArray points = feature["geometry"]["coordinates"].toArray();
        ASSERT_EQ(size_t(points.size()), lines[i].Points.size());
        for (size_t k = 0; k < lines[i].Points.size(); ++k) {
            ASSERT_EQ(points[qsizetype(k)][0].toDouble(), lines[i].Points[k].X);
            ASSERT_EQ(points[qsizetype(k)][1].toDouble(), lines[i].Points[k].Y);
        }
    }
}

TEST(ExportTest, ProfileAsCsvHasARowABreakpointAndEmptyFieldsOffTheMesh) {
    TVandrelTINModel model;
    TMemoryStream stream(
        WriteModel(SurfaceModel(2, 1, 10, [](double x, double) { return x / 3; })));
    model.ReadFromStream(stream);
    const auto profile = ComputeProfile(model, {{-5, 5}, {25, 5}});
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteProfileCsv(profile, buffer);
    const QStringList rows = QString::fromLatin1(buffer.data()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(size_t(rows.size()), profile.size() + 1);
    EXPECT_EQ(rows[0], "distance,easting,northing,elevation,triangle");
    EXPECT_EQ(rows[1], "0,-5,5,,") << "off the mesh: no elevation, no triangle";
    for (size_t i = 0; i < profile.size(); ++i) {
        const QStringList fields = rows[qsizetype(i + 1)].split(',');
        ASSERT_EQ(fields.size(), 5);
        EXPECT_EQ(fields[0].toDouble(), profile[i].Distance);
        EXPECT_EQ(fields[1].toDouble(), profile[i].Easting);
        if (!std::isnan(profile[i].Value)) {
            EXPECT_EQ(fields[3].toDouble(), profile[i].Value)
                << "exact: " << fields[3].toStdString();
        }
        EXPECT_EQ(fields[4],
                  profile[i].Triangle ? QString::number(profile[i].Triangle->Number) : "");
    }
}

TEST(ExportTest, AFileIsWrittenWholeOrNotAtAll) {
    QTemporaryDir dir;
    const QString target = dir.filePath("out.txt");
    SaveFile(target, [](QIODevice& out) { out.write("first"); });
    EXPECT_THROW(SaveFile(target,
                          [](QIODevice& out) {
                              out.write("half");
                              throw Exception("interrupted");
                          }),
                 Exception);
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "first") << "the old file stays";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"out.txt"}) << "no leftovers";
    try {
        SaveFile(dir.filePath("no/such/folder/out.txt"), [](QIODevice&) {});
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(QString(e.what()), "Cannot create file " +
                                         dir.filePath("no/such/folder/out.txt") +
                                         ": No such file or directory");
    }
}

TEST(ExportTest, ReplacingAFileKeepsItsPermissionsAndWritesThroughALink) {
    QTemporaryDir dir;
    const QString target = dir.filePath("shared.csv");
    SaveFile(target, [](QIODevice& out) { out.write("old"); });
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    SaveFile(target, [](QIODevice& out) { out.write("new"); });
    struct stat status;
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    // A link stays a link; the file it names is replaced.
    const QString link = dir.filePath("latest.csv");
    ASSERT_TRUE(QFile::link(target, link));
    SaveFile(link, [](QIODevice& out) { out.write("newest"); });
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "newest");
}

TEST(ExportTest, ANameWithoutExtensionTakesTheChosenTypes) {
    EXPECT_EQ(WithFilterExtension("/tmp/view", "SVG drawings (*.svg)"), "/tmp/view.svg");
    EXPECT_EQ(WithFilterExtension("/tmp/view.png", "SVG drawings (*.svg)"), "/tmp/view.png");
    EXPECT_EQ(WithFilterExtension("/tmp/lines", "GeoJSON files (*.geojson *.json)"),
              "/tmp/lines.geojson");
    EXPECT_EQ(WithFilterExtension("/tmp/any", "All files (*)"), "/tmp/any");
    EXPECT_EQ(WithFilterExtension("", "PNG pictures (*.png)"), "") << "a cancelled dialog";
}

TEST(ExportTest, MapSheetScalesAndTicksAreRoundAndExact) {
    const double inf = INFINITY, nan = NAN;
    const struct {
        double Scale, Rounded;
    } scales[] = {{1000, 1000}, {1001, 1250}, {999.9, 1000}, {2600, 3000}, {7600, 10000},
                  {0.3, 0.3},   {0, 0},       {-5, 0},       {inf, 0},     {nan, 0}};
    for (const auto& c : scales)
        EXPECT_EQ(RoundScaleUp(c.Scale), c.Rounded) << c.Scale;

    const struct {
        const char* Text;
        std::optional<double> Scale;
    } texts[] = {{"1:500", 500}, {" 1 : 2 500 ", 2500}, {"1:2,500", 2500}, {"1:2.500", 2500},
                 {"1250", 1250}, {"1:2.5", {}},         {"1:0", {}},       {"1:-5", {}},
                 {"1:", {}},     {"Fit", {}},           {"", {}},          {"1:1e3", {}}};
    for (const auto& c : texts)
        EXPECT_EQ(ParseScale(c.Text), c.Scale) << c.Text;

    // Ticks land on the round values themselves (0.3, not 0.30000000000000004), the ends
    // included, and never more than asked for.
    const struct {
        double From, To;
        int Most;
        std::vector<double> Ticks;
    } ticks[] = {{0, 1000, 5, {0, 500, 1000}},
                 {-3, 7, 5, {-2, 0, 2, 4, 6}},
                 {0.05, 0.95, 4, {0.2, 0.4, 0.6, 0.8}},
                 {0.25, 0.35, 1, {0.3}},
                 {100, 200, 2, {100, 200}},
                 {5000000.1, 5000000.9, 4, {5000000.2, 5000000.4, 5000000.6, 5000000.8}},
                 {1e20, 1e20 + 16384, 3, {1e20, 1e20 + 16384}}, // where adding 1 is lost
                 {1, 1, 3, {}},
                 {0, inf, 3, {}},
                 {0, 10, 0, {}}};
    for (const auto& c : ticks)
        EXPECT_EQ(FrameTicks(c.From, c.To, c.Most), c.Ticks) << c.From << " " << c.To;
}

TEST(ExportTest, MapSheetShowsTheGroundAtItsScale) {
    // A4 across less 10 mm margins: 277 x 190 mm, of which the map takes 265 x 148 mm.
    const QSizeF a4(277, 190);
    const TGroundRect view{1000, 2000, 100, 50};
    const struct {
        double Scale, MetresPerUnit, Width; // the ground across the map, worked out by hand
    } cases[] = {{1000, 1, 265},            // a millimetre is a metre
                 {0, 1, 106},               // fitted: 100 m over 265 mm needs 1:377, so 1:400
                 {1200, 0.3048, 265 / 25.4 * 100}, // an inch is a hundred feet
                 {500, MetresPerUnit(3), 132.5 / (1200.0 / 3937)}};
    for (const auto& c : cases) {
        const std::optional<TSheetPlan> plan = PlanSheet(a4, view, c.Scale, c.MetresPerUnit);
        ASSERT_TRUE(plan);
        EXPECT_EQ(plan->Map, QRectF(6, 18, 265, 148));
        EXPECT_NEAR(plan->Ground.Width, c.Width, 1e-9 * c.Width);
        EXPECT_NEAR(plan->Ground.Height / plan->Ground.Width, 148.0 / 265, 1e-12);
        EXPECT_DOUBLE_EQ(plan->Ground.Left + plan->Ground.Width / 2, 1050) << "centred on the view";
        EXPECT_DOUBLE_EQ(plan->Ground.Bottom + plan->Ground.Height / 2, 2025);
        ASSERT_FALSE(plan->Eastings.empty());
        EXPECT_GE(plan->Eastings.front(), plan->Ground.Left);
        EXPECT_LE(plan->Eastings.back(), plan->Ground.Left + plan->Ground.Width);
    }
    EXPECT_EQ(PlanSheet(a4, view, 0, 1)->Scale, 400);
    EXPECT_FALSE(PlanSheet(QSizeF(30, 40), view, 0, 1)) << "no room for a map";
    EXPECT_FALSE(PlanSheet(a4, {0, 0, 0, 50}, 0, 1)) << "a view without width";
    EXPECT_FALSE(PlanSheet(a4, {0, 0, NAN, 50}, 1000, 1));
    EXPECT_FALSE(PlanSheet(a4, view, 1e308, 1)) << "the ground shown overflows";
}
