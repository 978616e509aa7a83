// What the writers write, read back.
#include "SurfaceModel.h"
#include "export/ContourGeoJson.h"
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
