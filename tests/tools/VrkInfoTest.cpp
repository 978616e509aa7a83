#include "VrkInfo.h"
#include "MemoryLimit.h"
#include "TerrainGenerator.h"
#include "gis/GdalFiles.h"
#include "gis/RasterFiles.h"
#include "gis/VectorFiles.h"

#include "platform/FileNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {
struct TRun {
    int Status;
    QString Out, Err;
};

TRun RunTool(const QStringList& arguments) {
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int status = RunVrkInfo(arguments, outStream, errStream);
    outStream.flush();
    errStream.flush();
    return {status, out, err};
}

struct VrkInfoTest : ::testing::Test {
    void SetUp() override {
        TModelData data;
        data.Vertices = {{0, 0, 10}, {10, 0, 20}, {0, 10, 30}, {10, 10, 40}};
        data.Triangles = {{{1, 2, 3}, {-1, 2, -1}}, {{2, 4, 3}, {-1, -1, 1}}};
        data.Edges = {1, 2};
        file = dir.filePath("two.vrk");
        SaveBytes(file.toStdString(), WriteModel(data));
    }
    QTemporaryDir dir;
    QString file;
};
} // namespace

TEST_F(VrkInfoTest, HeaderListsTheTwentyNineFields) {
    const TRun run = RunTool({"header", file});
    EXPECT_EQ(run.Status, 0);
    const QStringList lines = run.Out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 29);
    EXPECT_EQ(lines[3], "DTMModelInternalName\tTest model");
    EXPECT_EQ(lines[12], "MaximumEasting\t10");
}

TEST_F(VrkInfoTest, ExtentsAndFind) {
    EXPECT_EQ(RunTool({"extents", file}).Out, "0\t0\t10\t10\t10\t40\n");
    const TRun found = RunTool({"find", file, "2", "2", "20", "20", "7.5", "5"});
    EXPECT_EQ(found.Status, 0);
    EXPECT_EQ(found.Out, "1\t16\nnone\n2\t27.5\n");
}

TEST_F(VrkInfoTest, SummaryNamesTheModel) {
    const TRun run = RunTool({file});
    EXPECT_EQ(run.Status, 0);
    EXPECT_TRUE(run.Out.contains("Model: Test model"));
    EXPECT_TRUE(run.Out.contains("Triangles: 2"));
}

TEST_F(VrkInfoTest, UnreadableFilesAndWrongUsage) {
    const TRun missing = RunTool({"header", dir.filePath("none.vrk")});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Err,
              "vrkinfo: " + dir.filePath("none.vrk") + ": No such file or directory\n");
    EXPECT_EQ(RunTool({"header", dir.path()}).Err, "vrkinfo: " + dir.path() + ": Is a directory\n");
    EXPECT_TRUE(missing.Out.isEmpty());

    const QString damaged = dir.filePath("damaged.vrk");
    std::vector<char> bytes = WriteModel(TModelData{});
    bytes[5] = 'x';
    SaveBytes(damaged.toStdString(), bytes);
    const TRun rejected = RunTool({"extents", damaged});
    EXPECT_EQ(rejected.Status, 1);
    EXPECT_EQ(rejected.Err, "vrkinfo: " + damaged + ": File is not a Vandrel TIN Model.\n");

    EXPECT_EQ(RunTool({}).Status, 2);
    EXPECT_EQ(RunTool({"find", file, "1"}).Status, 2);
    EXPECT_EQ(RunTool({"find", file, "1", "north"}).Status, 2);
    // A coordinate must be a finite number; the one that is not is named.
    for (const char* word : {"abc", "nan", "inf", "-inf", "1e999", ""}) {
        const TRun run = RunTool({"find", file, "1", word});
        EXPECT_EQ(run.Status, 2) << word;
        EXPECT_TRUE(run.Err.startsWith(QString("vrkinfo: not a number: '%1'\n").arg(word)))
            << run.Err.toStdString();
        EXPECT_TRUE(run.Out.isEmpty());
    }
    EXPECT_EQ(RunTool({"frobnicate", file}).Status, 2);
}

TEST_F(VrkInfoTest, CheckListsProblemsAndExitsWithThree) {
    const TRun clean = RunTool({"check", file});
    EXPECT_EQ(clean.Status, 0);
    EXPECT_EQ(clean.Out, "0 problems found\n");

    TModelData data;
    data.Vertices = {{0, 0, 10}, {10, 0, 20}, {0, 10, 30}};
    data.Triangles = {{{1, 1, 3}, {-1, -1, -1}}};
    const QString bad = dir.filePath("bad.vrk");
    SaveBytes(bad.toStdString(), WriteModel(data));
    const TRun problems = RunTool({"check", bad});
    EXPECT_EQ(problems.Status, 3);
    EXPECT_EQ(problems.Out, "Triangle 1\tDuplicate vertex index\n1 problems found\n");
}

TEST_F(VrkInfoTest, HelpVersionAndWrongUsageFollowTheCommandLineConventions) {
    for (const char* help : {"--help", "-h"}) {
        const TRun run = RunTool({help});
        EXPECT_EQ(run.Status, 0);
        EXPECT_TRUE(run.Err.isEmpty());
        for (const char* word : {"header", "extents", "find", "check", "convert", "contours",
                                 "profile", "--json", "Exit status"})
            EXPECT_TRUE(run.Out.contains(word)) << word;
    }
    const TRun version = RunTool({"--version"});
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out, "vrkinfo 2.1.0.34\n");
    for (const QStringList& wrong : {QStringList{},
                                     {"--frobnicate", file},
                                     {"header", file, file},
                                     {"find", file},
                                     {"convert", file},
                                     {"contours", file, "out.geojson"},
                                     {"profile", file, "1", "2"},
                                     {"--format"},
                                     {"check"},
                                     {"header"},
                                     {"profile"},
                                     {"--json", "extents"},
                                     {"convert", "--json", file, "out.obj"}}) {
        const TRun run = RunTool(wrong);
        EXPECT_EQ(run.Status, 2) << wrong.join(' ').toStdString();
        const QStringList lines = run.Err.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 2) << run.Err.toStdString();
        EXPECT_TRUE(lines[0].startsWith("vrkinfo: "));
        EXPECT_EQ(lines[1], "Try 'vrkinfo --help'.");
        EXPECT_TRUE(run.Out.isEmpty());
    }
}

TEST_F(VrkInfoTest, ManyFilesEachUnderItsNameWithTheWorstStatus) {
    const QString broken = dir.filePath("broken.vrk");
    SaveBytes(broken.toStdString(), std::vector<char>(10, 'x'));
    TModelData bad;
    bad.Vertices = {{0, 0, 0}, {10, 0, 0}, {20, 0, 0}};
    bad.Triangles = {{{1, 2, 3}, {-1, -1, -1}}};
    const QString problems = dir.filePath("problems.vrk");
    SaveBytes(problems.toStdString(), WriteModel(bad));

    const TRun check = RunTool({"check", file, problems});
    EXPECT_EQ(check.Status, 3);
    EXPECT_TRUE(check.Out.startsWith("==> " + file + " <==\n0 problems found\n\n==> " + problems +
                                     " <==\n"))
        << check.Out.toStdString();
    const TRun all = RunTool({"check", broken, file, problems});
    EXPECT_EQ(all.Status, 1) << "unreadable is worst";
    EXPECT_TRUE(all.Out.contains("==> " + problems + " <==")) << "the others still ran";
    EXPECT_TRUE(all.Err.contains("Stream read error") || all.Err.contains("not a Vandrel"));
    const TRun summaries = RunTool({file, problems});
    EXPECT_EQ(summaries.Status, 0);
    EXPECT_EQ(summaries.Out.count("==> "), 2);
    EXPECT_EQ(summaries.Out.count("Triangles: "), 2);
}

TEST_F(VrkInfoTest, JsonDocumentsWithExactNumbersAndStableKeys) {
    auto json = [](const TRun& run) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(run.Out.toUtf8(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << run.Out.toStdString();
        return document;
    };
    const QJsonDocument header = json(RunTool({"--json", "header", file}));
    EXPECT_EQ(header["rows"].toArray().size(), 29);
    EXPECT_EQ(header["rows"][0]["name"].toString(), "FileMajorVersion");
    EXPECT_EQ(header["fields"]["NumberOfTriangles"].toInt(), 2);
    EXPECT_EQ(header["fields"]["FileSignature"].toString(), "QDS TIN DTM FILE");

    const QJsonDocument found = json(RunTool({"find", "--json", file, "2.5", "2.5", "99", "99"}));
    EXPECT_EQ(found["points"][0]["triangle"].toInt(), 1);
    EXPECT_DOUBLE_EQ(found["points"][0]["value"].toDouble(), 17.5);
    EXPECT_TRUE(found["points"][1]["triangle"].isNull());

    const QJsonDocument check = json(RunTool({"--json", "check", file}));
    EXPECT_EQ(check["count"].toInt(), 0);
    EXPECT_EQ(check["summary"].toString(), "0 problems found");
    EXPECT_TRUE(check["problems"].isArray());

    // A number that needs all 17 digits comes back exactly.
    TModelData data;
    data.Vertices = {{0.1 + 0.2, 1.0 / 3, 2.0 / 7}, {10, 0, 0}, {0, 10, 0}};
    data.Triangles = {{{1, 2, 3}, {-1, -1, -1}}};
    const QString exact = dir.filePath("exact.vrk");
    SaveBytes(exact.toStdString(), WriteModel(data));
    const QJsonDocument extents = json(RunTool({"--json", "extents", exact}));
    EXPECT_EQ(extents["extents"]["minValue"].toDouble(), 0.0);
    EXPECT_EQ(extents["extents"]["maxValue"].toDouble(), 2.0 / 7);
    const QJsonDocument summary = json(RunTool({"--json", exact}));
    EXPECT_EQ(summary["triangles"].toInt(), 1);
    EXPECT_EQ(summary["extents"]["maxValue"].toDouble(), 2.0 / 7);
    const QJsonDocument many = json(RunTool({"--json", exact, file}));
    ASSERT_TRUE(many.isArray());
    EXPECT_EQ(many[1]["file"].toString(), file);
}

TEST_F(VrkInfoTest, ConvertContoursAndProfileWriteWholeFilesOrNone) {
    const QString obj = dir.filePath("model.obj");
    EXPECT_EQ(RunTool({"convert", file, obj}).Status, 0);
    QFile written(obj);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll().count("\nv "), 4);
    const QString forced = dir.filePath("model.mesh");
    EXPECT_EQ(RunTool({"convert", "--format", "2dm", file, forced}).Status, 0);
    EXPECT_TRUE(QFile::exists(forced));
    // Another program's surface to a model file and back: the same figures, no new problem.
    const QString vrk = dir.filePath("again.vrk");
    EXPECT_EQ(RunTool({"convert", obj, vrk}).Status, 0);
    EXPECT_EQ(RunTool({"extents", vrk}).Out, RunTool({"extents", file}).Out);
    EXPECT_EQ(RunTool({"check", vrk}).Out, "0 problems found\n");
    EXPECT_EQ(RunTool({"convert", file, dir.filePath("model.txt")}).Status, 2) << "no format";
    const TRun unwritable = RunTool({"convert", file, dir.filePath("no/such/dir/model.ply")});
    EXPECT_EQ(unwritable.Status, 1);
    EXPECT_EQ(unwritable.Err, "vrkinfo: " + dir.filePath("no/such/dir/model.ply") +
                                  ": No such file or directory\n");

    const QString geojson = dir.filePath("contours.geojson");
    EXPECT_EQ(RunTool({"contours", file, "--interval", "5", geojson}).Status, 0);
    QFile contours(geojson);
    ASSERT_TRUE(contours.open(QIODevice::ReadOnly));
    EXPECT_EQ(QJsonDocument::fromJson(contours.readAll())["features"].toArray().size(), 5)
        << "15, 20, 25, 30, 35 over 10..40";
    // Every second level from the base 0 an index contour: 20 and 30.
    EXPECT_EQ(RunTool({"contours", file, "--interval", "5", "--index", "2", geojson}).Status, 0);
    contours.close();
    ASSERT_TRUE(contours.open(QIODevice::ReadOnly));
    QList<double> index;
    for (const QJsonValue feature :
         QJsonDocument::fromJson(contours.readAll())["features"].toArray())
        if (feature["properties"]["index"].toBool())
            index << feature["properties"]["level"].toDouble();
    EXPECT_EQ(index, (QList<double>{20, 30}));
    EXPECT_EQ(RunTool({"contours", file, "--interval", "5", "--index", "0", geojson}).Status, 2);
    const TRun zero = RunTool({"contours", file, "--interval", "0", dir.filePath("zero.geojson")});
    EXPECT_EQ(zero.Status, 2);
    EXPECT_FALSE(QFile::exists(dir.filePath("zero.geojson")));

    // A grid on an extent of its own: from its north-west corner, no data off the model.
    const QString grid = dir.filePath("grid.tif");
    EXPECT_EQ(
        RunTool({"raster", file, "--cell", "1", "--extent", "-5", "-5", "20", "15", grid}).Status,
        0);
    {
        InitGdal();
        std::unique_ptr<GDALDataset> tif(
            GDALDataset::FromHandle(GDALOpen(grid.toUtf8().constData(), GA_ReadOnly)));
        ASSERT_TRUE(tif);
        EXPECT_EQ(tif->GetRasterXSize(), 25);
        EXPECT_EQ(tif->GetRasterYSize(), 20);
        double at[6];
        ASSERT_EQ(tif->GetGeoTransform(at), CE_None);
        EXPECT_EQ(at[0], -5);
        EXPECT_EQ(at[3], 15);
        float inside = 0, outside = 0; // the plane 10 + x + 2y at (2.5, 2.5); (-4.5, 14.5)
        ASSERT_EQ(
            tif->GetRasterBand(1)->RasterIO(GF_Read, 7, 12, 1, 1, &inside, 1, 1, GDT_Float32, 0, 0),
            CE_None);
        ASSERT_EQ(
            tif->GetRasterBand(1)->RasterIO(GF_Read, 0, 0, 1, 1, &outside, 1, 1, GDT_Float32, 0, 0),
            CE_None);
        EXPECT_EQ(inside, 17.5f);
        EXPECT_EQ(outside, GridNoData);
    }
    EXPECT_EQ(RunTool({"raster", file, "--cell", "1", "--extent", "5", "0", "1", "9", grid}).Status,
              2);
    EXPECT_EQ(RunTool({"raster", file, "--cell", "1", "--extent", "5", "0", grid}).Status, 2);
    // A grid like another: its extent, its cells and its system, cell on cell.
    const QString placed = dir.filePath("placed.tif"), like = dir.filePath("like.tif");
    ASSERT_EQ(RunTool({"raster", file, "--cell", "2.5", "--extent", "-5", "-5", "20", "15", "--crs",
                       "EPSG:32616", placed})
                  .Status,
              0);
    EXPECT_EQ(RunTool({"raster", file, "--like", placed, like}).Status, 0);
    {
        std::unique_ptr<GDALDataset> a(
            GDALDataset::FromHandle(GDALOpen(placed.toUtf8().constData(), GA_ReadOnly)));
        std::unique_ptr<GDALDataset> b(
            GDALDataset::FromHandle(GDALOpen(like.toUtf8().constData(), GA_ReadOnly)));
        ASSERT_TRUE(a && b);
        double at[6], likeAt[6];
        ASSERT_EQ(a->GetGeoTransform(at), CE_None);
        ASSERT_EQ(b->GetGeoTransform(likeAt), CE_None);
        EXPECT_TRUE(std::equal(at, at + 6, likeAt));
        EXPECT_EQ(b->GetRasterXSize(), 10);
        EXPECT_EQ(b->GetRasterYSize(), 8);
        ASSERT_TRUE(b->GetSpatialRef());
        EXPECT_STREQ(b->GetSpatialRef()->GetAuthorityCode(nullptr), "32616");
    }
    for (const auto& [arguments, status] :
         {std::pair{QStringList{"--like", placed, "--cell", "1"}, 2},
          {QStringList{"--like", placed, "--crs", "EPSG:32617"}, 1}, // not the grid's system
          {QStringList{"--like", file}, 1}}) {                       // not a grid
        const TRun run = RunTool(QStringList{"raster", file} + arguments + QStringList{like});
        EXPECT_EQ(run.Status, status) << arguments.join(' ').toStdString();
        EXPECT_FALSE(run.Err.isEmpty());
    }

    const TRun profile = RunTool({"profile", file, "-5", "5", "15", "5"});
    EXPECT_EQ(profile.Status, 0);
    const QStringList rows = profile.Out.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(rows[0], "distance,easting,northing,elevation,triangle");
    EXPECT_EQ(rows[1], "0,-5,5,,") << "starts off the mesh";
    EXPECT_EQ(rows.last(), "20,15,5,,");
}

namespace {
QByteArray Contents(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

// Lets the process write files of at most this many bytes, as a nearly full disk would: a
// write past it is cut short, then fails with "File too large".
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes) {
        ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &FBefore);
        const rlimit limit{bytes, FBefore.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &FBefore); }

private:
    rlimit FBefore{};
};

// The real program, its standard output sent where the test says.
struct TProcessRun {
    int Status;
    QString Err;
};
TProcessRun RunProgram(const QStringList& arguments, const QString& standardOutput) {
    QProcess process;
    process.setStandardOutputFile(standardOutput);
    process.start(VRK_INFO_PATH, arguments);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardError())};
}
} // namespace

TEST_F(VrkInfoTest, AWriteThatFailsExitsOneWithTheReasonAndKeepsTheOldFile) {
    TModelData data = GenerateTerrain(40, 40, 10);
    const QString big = dir.filePath("big.vrk");
    SaveBytes(big.toStdString(), WriteModel(data));
    for (const char* name :
         {"old.obj", "old.2dm", "old.ply", "old.xml", "old.vrk", "old.geojson"}) {
        const QString output = dir.filePath(name);
        SaveBytes(output.toStdString(), std::vector<char>(100, 'k'));
        const QStringList arguments =
            QString(name).endsWith("geojson")
                ? QStringList{"contours", big, "--interval", "0.5", output}
                : QStringList{"convert", big, output};
        TRun run;
        {
            const TFileSizeLimit nearlyFull(8192);
            run = RunTool(arguments);
        }
        EXPECT_EQ(run.Status, 1) << name;
        EXPECT_TRUE(run.Err.endsWith("vrkinfo: " + output + ": File too large\n")) << name;
        EXPECT_EQ(Contents(output), QByteArray(100, 'k')) << name << ": the old file stays";
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3) << "no temporary left";
        QFile::remove(output);
    }
    // Standard output that cannot be written: exit 1 with the reason, whatever the command.
    for (const QStringList& command : {QStringList{"check", file},
                                       {"header", file},
                                       {"--json", file},
                                       {"--help"},
                                       {file},
                                       {"profile", file, "0", "0", "10", "10"}}) {
        const TProcessRun run = RunProgram(command, "/dev/full");
        EXPECT_EQ(run.Status, 1) << command.join(' ').toStdString();
        EXPECT_EQ(run.Err, "vrkinfo: write error: No space left on device\n");
    }
    EXPECT_EQ(RunProgram({"check", file}, dir.filePath("check.txt")).Status, 0);
    EXPECT_EQ(Contents(dir.filePath("check.txt")), "0 problems found\n");
}

TEST_F(VrkInfoTest, EveryOutputOfEveryCommandKeepsTheOldFileOnAFullDisk) {
    const QString big = dir.filePath("big.vrk"), other = dir.filePath("other.vrk");
    SaveBytes(big.toStdString(), WriteModel(GenerateTerrain(40, 40, 10)));
    SaveBytes(other.toStdString(), WriteModel(GenerateTerrain(40, 40, 10, 2)));
    const QString crs = "EPSG:32616";
    // {arguments before the output, the option that names it (none: the last argument)}
    const std::vector<std::pair<QStringList, QString>> commands{
        {{"contours", big, "--interval", "0.5", "--crs", crs}, ""},
        {{"contours", big, "--interval", "0.5"}, ""},
        {{"profile", big, "0", "0", "390", "390", "--crs", crs}, "--output"},
        {{"volume", big, other, "--crs", crs}, "--zero-line"},
    };
    for (const auto& [arguments, option] : commands)
        for (const char* extension : {"geojson", "gpkg", "shp", "dxf"}) {
            const QString output = dir.filePath(QString("old.") + extension);
            SaveBytes(output.toStdString(), std::vector<char>(100, 'k'));
            TRun run;
            {
                const TFileSizeLimit nearlyFull(256);
                run = RunTool(option.isEmpty() ? arguments + QStringList{output}
                                               : arguments + QStringList{option, output});
            }
            const std::string what = arguments.join(' ').toStdString() + " " + extension;
            EXPECT_EQ(run.Status, 1) << what;
            EXPECT_TRUE(run.Err.contains(output + ": File too large")) << what;
            EXPECT_EQ(Contents(output), QByteArray(100, 'k')) << what << ": the old file stays";
            for (const QString& name :
                 QDir(dir.path()).entryList({"old*", ".old*"}, QDir::Files | QDir::Hidden))
                QFile::remove(dir.filePath(name));
        }
    const QString grid = dir.filePath("old.tif");
    SaveBytes(grid.toStdString(), std::vector<char>(100, 'k'));
    {
        const TFileSizeLimit nearlyFull(4096);
        EXPECT_EQ(RunTool({"raster", big, "--cell", "1", grid}).Status, 1);
    }
    EXPECT_EQ(Contents(grid), QByteArray(100, 'k'));
}

TEST_F(VrkInfoTest, GisOutputsKeepTheNameTheLinkAndNoOldParts) {
    const auto contours = [&](const QString& output, QStringList more = {}) {
        return RunTool(QStringList{"contours", file, "--interval", "5"} + more +
                       QStringList{output});
    };
    // Bytes that are not UTF-8, a link written through, capitals kept.
    const QByteArray bytes = QFile::encodeName(dir.path()) + "/bad\xFF\xFE.gpkg";
    EXPECT_EQ(contours(FileNameFromBytes(bytes)).Status, 0);
    struct stat status;
    EXPECT_EQ(::stat(bytes.constData(), &status), 0) << "written under its own bytes";
    ::unlink(bytes.constData());
    SaveBytes(dir.filePath("target.gpkg").toStdString(), {'x'});
    ASSERT_TRUE(QFile::link("target.gpkg", dir.filePath("link.gpkg")));
    EXPECT_EQ(contours(dir.filePath("link.gpkg")).Status, 0);
    EXPECT_TRUE(QFileInfo(dir.filePath("link.gpkg")).isSymLink());
    EXPECT_TRUE(Contents(dir.filePath("target.gpkg")).startsWith("SQLite format 3"));
    EXPECT_EQ(contours(dir.filePath("U.SHP")).Status, 0);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("U.SHP")) &&
                QFileInfo::exists(dir.filePath("U.DBF")));
    EXPECT_EQ(contours(dir.filePath("named"), {"--format", "shp"}).Status, 0);
    EXPECT_TRUE(QFileInfo(dir.filePath("named.shp")).isFile());
    // A shapefile written again without a system loses the old one's .prj.
    const QString shapefile = dir.filePath("c.shp"), prj = dir.filePath("c.prj");
    EXPECT_EQ(contours(shapefile, {"--crs", "EPSG:32616"}).Status, 0);
    EXPECT_TRUE(QFileInfo::exists(prj));
    EXPECT_EQ(contours(shapefile).Status, 0);
    EXPECT_FALSE(QFileInfo::exists(prj));
    const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : left)
        EXPECT_FALSE(name.startsWith('.')) << "no temporary left: " << name.toStdString();
}

TEST_F(VrkInfoTest, FaultsAtTheEdgesOfTheCommandsAreNamed) {
    // A level whose volume overflows, degrees given eastings and northings.
    const TRun far = RunTool({"volume", file, "--level", "1e307"}); // 100 square units of it
    EXPECT_EQ(far.Status, 2);
    EXPECT_TRUE(far.Err.contains("overflows")) << far.Err.toStdString();
    EXPECT_EQ(far.Out, "");
    const QString survey = dir.filePath("survey.vrk");
    SaveBytes(survey.toStdString(), WriteModel(GenerateTerrain(4, 4, 10, 1, 485000, 3650000)));
    const TRun degrees = RunTool(
        {"contours", survey, "--interval", "5", "--crs", "EPSG:4326", dir.filePath("d.gpkg")});
    EXPECT_EQ(degrees.Status, 2);
    EXPECT_TRUE(degrees.Err.contains("not longitudes and latitudes")) << degrees.Err.toStdString();
    // A .prj GDAL can read but not use is named with the failure it causes.
    const QString local = dir.filePath("local.vrk"), prj = dir.filePath("local.prj");
    ASSERT_TRUE(QFile::copy(file, local));
    QFile system(prj);
    ASSERT_TRUE(system.open(QIODevice::WriteOnly));
    system.write("LOCAL_CS[\"site grid\",UNIT[\"metre\",1]]");
    system.close();
    const TRun unusable =
        RunTool({"contours", local, "--interval", "5", dir.filePath("l.geojson")});
    EXPECT_EQ(unusable.Status, 1);
    EXPECT_TRUE(unusable.Err.contains(prj)) << unusable.Err.toStdString();
    // GeoJSON without a system says so, whichever command writes it.
    for (const QStringList& command :
         {QStringList{"profile", file, "0", "0", "10", "10", "--output", dir.filePath("p.geojson")},
          {"volume", file, file, "--zero-line", dir.filePath("z.geojson")}}) {
        const TRun run = RunTool(command);
        EXPECT_EQ(run.Status, 0) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains("no coordinate system")) << command[0].toStdString();
    }
    // The usage names every command form.
    const TRun usage = RunTool({"--help"});
    for (const char* form :
         {"raster [--crs SYSTEM] FILE --cell SIZE OUT.tif", "[--output OUT", "[--zero-line OUT"})
        EXPECT_TRUE(usage.Out.contains(form)) << form;
    // The smallest pictures, and no word from Qt on standard error.
    for (const char* size : {"1x1", "3x2", "1x300"}) {
        const QString png = dir.filePath(QString("small-%1.png").arg(size));
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("XDG_RUNTIME_DIR");
        process.setProcessEnvironment(environment);
        process.start(VRK_INFO_PATH, {"picture", file, png, "--size", size});
        process.waitForFinished(60000);
        EXPECT_EQ(process.exitCode(), 0) << size;
        EXPECT_EQ(process.readAllStandardError(), "") << size;
        EXPECT_EQ(QString("%1x%2").arg(QImage(png).width()).arg(QImage(png).height()), size);
    }
}

TEST_F(VrkInfoTest, BuildMakesAModelOfSurveyPointsAndRefusesWhatItCannotRead) {
    const QString csv = dir.filePath("points.csv"), pnezd = dir.filePath("points.txt");
    QFile points(csv), plain(pnezd);
    ASSERT_TRUE(points.open(QIODevice::WriteOnly) && plain.open(QIODevice::WriteOnly));
    points.write("Point,Easting,Northing,Elevation\n");
    for (int i = 0; i < 10; ++i)
        for (int j = 0; j < 8; ++j) {
            points.write(QString("%1,%2,%3,%4\n")
                             .arg(i * 8 + j)
                             .arg(485000 + i * 3.5, 0, 'f', 3)
                             .arg(3650000 + j * 2.5, 0, 'f', 3)
                             .arg(100 + i * j * 0.1, 0, 'f', 3)
                             .toUtf8());
            plain.write(QString("%1 %2 %3 %4 GND\n")
                            .arg(i * 8 + j)
                            .arg(3650000 + j * 2.5, 0, 'f', 3)
                            .arg(485000 + i * 3.5, 0, 'f', 3)
                            .arg(100)
                            .toUtf8());
        }
    points.write("99,485000,3650000,7\n"); // a repeat, another elevation
    points.close();
    plain.close();
    const QString model = dir.filePath("built.vrk");
    const TRun built = RunTool({"build", "--name", "Site", csv, model});
    EXPECT_EQ(built.Status, 0) << built.Err.toStdString();
    EXPECT_TRUE(built.Err.contains("1 points at the place of an earlier one left out (1 of them "
                                   "with another elevation)"));
    EXPECT_EQ(RunTool({"check", model}).Out, "0 problems found\n");
    EXPECT_TRUE(RunTool({model}).Out.contains("Model: Site"));
    EXPECT_TRUE(RunTool({model}).Out.contains("Vertices: 80"));
    EXPECT_EQ(RunTool({"find", model, "485000", "3650000"}).Out.split('\t').last(), "100\n")
        << "the first point at a place stays";
    const QString xml = dir.filePath("built.xml");
    EXPECT_EQ(RunTool({"build", "--columns", "PNEZD", pnezd, xml}).Status, 0);
    // Points of a GIS layer (with elevations) and a mesh's vertices.
    const QString layer = dir.filePath("points.geojson");
    QFile gis(layer);
    ASSERT_TRUE(gis.open(QIODevice::WriteOnly));
    gis.write(
        R"({"type":"MultiPoint","coordinates":[[485000,3650000,1],[485010,3650000,2],[485000,3650010,3]]})");
    gis.close();
    EXPECT_EQ(RunTool({"build", layer, dir.filePath("gis.vrk")}).Status, 0);
    // The plane through them: z = 1 + 0.1 e + 0.2 n from the first.
    const QStringList found =
        RunTool({"find", dir.filePath("gis.vrk"), "485002", "3650002"}).Out.trimmed().split('\t');
    ASSERT_EQ(found.size(), 2);
    EXPECT_NEAR(found[1].toDouble(), 1.6, 1e-9);
    EXPECT_EQ(RunTool({"build", xml, dir.filePath("again.vrk")}).Status, 2)
        << "LandXML is no point file: its columns are not named";
    EXPECT_EQ(RunTool({"convert", model, dir.filePath("built.obj")}).Status, 0);
    EXPECT_EQ(RunTool({"build", dir.filePath("built.obj"), dir.filePath("again.vrk")}).Status, 0);
    EXPECT_EQ(RunTool({"extents", dir.filePath("again.vrk")}).Out, RunTool({"extents", model}).Out);
    // Usage errors name the choices; a file that cannot be read is named.
    for (const QStringList& wrong : {QStringList{"build", pnezd, model},
                                     {"build", "--columns", "PNEQ", pnezd, model},
                                     {"build", "--max-edge", "0", csv, model},
                                     {"build", "--class", "x", csv, model},
                                     {"build", csv}})
        EXPECT_EQ(RunTool(wrong).Status, 2) << wrong.join(' ').toStdString();
    const TRun missing = RunTool({"build", dir.filePath("none.csv"), model});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_TRUE(missing.Err.contains("none.csv")) << missing.Err.toStdString();
    // A full disk keeps the old model.
    const QByteArray before = Contents(model);
    {
        const TFileSizeLimit nearlyFull(512);
        EXPECT_EQ(RunTool({"build", csv, model}).Status, 1);
    }
    EXPECT_EQ(Contents(model), before);
}

TEST_F(VrkInfoTest, DevicesAreWrittenInPlaceDirectoriesRefusedAndNamesKeptByteForByte) {
    // A link to the null device stands for a device node of the user's: written to, not replaced.
    const QString device = dir.filePath("null");
    ASSERT_TRUE(QFile::link("/dev/null", device));
    EXPECT_EQ(RunTool({"convert", "--format", "obj", file, device}).Status, 0);
    EXPECT_TRUE(QFileInfo(device).isSymLink());
    struct stat status;
    ASSERT_EQ(::stat("/dev/null", &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode));
    const TRun full = RunTool({"convert", "--format", "ply", file, "/dev/full"});
    EXPECT_EQ(full.Status, 1);
    EXPECT_EQ(full.Err, "vrkinfo: /dev/full: No space left on device\n");
    const TRun folder = RunTool({"convert", "--format", "obj", file, dir.path()});
    EXPECT_EQ(folder.Status, 1);
    EXPECT_EQ(folder.Err, "vrkinfo: " + dir.path() + ": Is a directory\n");

    // A name that is not UTF-8, as the program's main gives it.
    const QByteArray bytes = QFile::encodeName(dir.path()) + "/caf\xE9-\xFF.obj";
    EXPECT_EQ(RunTool({"convert", file, FileNameFromBytes(bytes)}).Status, 0);
    EXPECT_EQ(::stat(bytes.constData(), &status), 0) << "written under its own bytes";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(VrkInfoTest, ContourAndProfileSettingsThatCannotWorkAreUsageErrors) {
    const QString out = dir.filePath("c.geojson");
    for (const QStringList& settings : {QStringList{"--interval", "1", "--base", "1e16"},
                                        {"--interval", "1e-320"},
                                        {"--interval", "-1"}}) {
        const TRun run = RunTool(QStringList{"contours", file} + settings + QStringList{out});
        EXPECT_EQ(run.Status, 2) << settings.join(' ').toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
    const TRun unknown = RunTool({"contours", file, "--interval", "100", dir.filePath("c.dwg")});
    EXPECT_EQ(unknown.Status, 2);
    EXPECT_TRUE(unknown.Err.contains("gpkg, shp, dxf or geojson")) << unknown.Err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("c.dwg")));

    // A point at infinity: the levels are those of the finite elevations.
    TModelData spike;
    spike.Vertices = {{0, 0, 10}, {10, 0, 20}, {0, 10, 15}, {10, 10, INFINITY}};
    spike.Triangles = {{{1, 2, 3}, {-1, 2, -1}}, {{2, 4, 3}, {-1, -1, 1}}};
    const QString spiked = dir.filePath("spike.vrk");
    SaveBytes(spiked.toStdString(), WriteModel(spike));
    EXPECT_EQ(RunTool({"contours", spiked, "--interval", "0.01", out}).Status, 0);
    EXPECT_EQ(QJsonDocument::fromJson(Contents(out))["features"].toArray().size(), 999)
        << "10.01 to 19.99 in the one finite triangle";

    for (const QStringList& line : {QStringList{"-1e308", "5", "1e308", "5"},
                                    {"5", "5", "5", "5"},
                                    {"5", "5", "5", "5", "5", "5"}}) {
        const TRun run = RunTool(QStringList{"profile", file} + line);
        EXPECT_EQ(run.Status, 2) << line.join(' ').toStdString();
        EXPECT_TRUE(run.Out.isEmpty());
    }
}

TEST_F(VrkInfoTest, RandomFilesAndSettingsNeverCrashConvertContoursOrProfile) {
    // Damaged copies of a small terrain with random bytes changed, and random numbers for the
    // settings: every run ends with a status of the contract.
    std::mt19937 random(20);
    const std::vector<char> clean = WriteModel(GenerateTerrain(6, 5, 10));
    const char* numbers[] = {"0",      "1",      "-1",    "1e16", "1e-320", "1e308",
                             "-1e308", "nan",    "inf",   "0.5",  "7",      "1e300",
                             "-3.25",  "5e-324", "1e-10", "2e15", "100",    "1e-5"};
    auto number = [&] { return QString(numbers[random() % std::size(numbers)]); };
    const QString model = dir.filePath("fuzz.vrk");
    for (int round = 0; round < 300; ++round) {
        std::vector<char> bytes = clean;
        for (int k = int(random() % 4); k > 0; --k)
            bytes[random() % bytes.size()] = char(random());
        SaveBytes(model.toStdString(), bytes);
        QStringList arguments;
        switch (random() % 3) {
        case 0:
            arguments = {
                "convert", model,
                dir.filePath(QStringList{"f.xml", "f.ply", "f.obj", "f.2dm"}[random() % 4])};
            break;
        case 1:
            arguments = {"contours",
                         model,
                         "--interval",
                         number(),
                         "--base",
                         number(),
                         dir.filePath("f.geojson")};
            break;
        default:
            arguments = {"profile", model};
            for (int p = 0; p < 2 + int(random() % 3); ++p)
                arguments << number() << number();
        }
        const int status = RunTool(arguments).Status;
        EXPECT_TRUE(status == 0 || status == 1 || status == 2) << arguments.join(' ').toStdString();
    }
}

TEST_F(VrkInfoTest, RunningOutOfMemoryEndsWithItsMessageAndWritesNothing) {
    SKIP_UNDER_ADDRESS_SANITIZER();
    const QString model = dir.filePath("big.vrk");
    SaveBytes(model.toStdString(), WriteModel(GenerateTerrain(200, 200, 10)));
    const QString out = dir.filePath("c.geojson");
    const QStringList extents = RunTool({"extents", model}).Out.trimmed().split('\t');
    const QString interval =
        QString::number((extents[5].toDouble() - extents[2].toDouble()) / 9990);
    // Tens of millions of pieces at almost 10,000 levels do not fit in 150 MB more.
    EXPECT_EQ(InChildWithMemoryLimit(
                  150u << 20,
                  [&] {
                      const TRun run = RunTool({"contours", model, "--interval", interval, out});
                      if (run.Status != 1)
                          return 1;
                      if (run.Err != "vrkinfo: Out of memory\n")
                          return 2;
                      return QFile::exists(out) ? 3 : 0;
                  }),
              0);
}

TEST_F(VrkInfoTest, VolumeToALevelAndMeasureAlongTheGround) {
    // The two triangles are the plane z = 10 + x + 2y over the 10 m square, 10 to 40: at level
    // 25, its mean, the cut and the fill balance.
    const TRun volume = RunTool({"volume", file, "--level", "25"});
    EXPECT_EQ(volume.Status, 0) << volume.Err.toStdString();
    const QStringList lines = volume.Out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_TRUE(lines[0].startsWith("cut\t"));
    EXPECT_EQ(lines[2], "net\t0");
    EXPECT_EQ(lines[5], "area\t100");
    const QJsonDocument json =
        QJsonDocument::fromJson(RunTool({"--json", "volume", file, "--level", "40"}).Out.toUtf8());
    EXPECT_DOUBLE_EQ(json["fill"].toDouble(), 100 * (40 - 25.0)) << "the level over it all";
    EXPECT_DOUBLE_EQ(json["cut"].toDouble(), 0);
    EXPECT_DOUBLE_EQ(json["fillArea"].toDouble(), 100);
    // Within 5 of the level the ground counts as unchanged: d = 15 - x - 2y is above 5 where
    // x + 2y < 10 and below -5 where x + 2y > 20, triangles of 25 each; the volumes stay.
    const QJsonDocument tolerant = QJsonDocument::fromJson(
        RunTool({"--json", "volume", file, "--level", "25", "--tolerance", "5"}).Out.toUtf8());
    EXPECT_DOUBLE_EQ(tolerant["fillArea"].toDouble(), 25);
    EXPECT_DOUBLE_EQ(tolerant["cutArea"].toDouble(), 25);
    EXPECT_DOUBLE_EQ(tolerant["unchangedArea"].toDouble(), 50);
    EXPECT_DOUBLE_EQ(tolerant["cut"].toDouble(), lines[0].section('\t', 1).toDouble());
    EXPECT_EQ(RunTool({"volume", file, "--level", "25", "--tolerance", "-1"}).Status, 2);
    // The report a client is given: its particulars and the figures, in four formats.
    const QString report = dir.filePath("report");
    EXPECT_EQ(
        RunTool({"volume", file, "--level", "25", "--tolerance", "5", "--report", report + ".json"})
            .Status,
        0);
    const QJsonDocument particulars = QJsonDocument::fromJson(Contents(report + ".json"));
    for (const char* key : {"created", "program", "model_file", "convention"})
        EXPECT_FALSE(particulars[key].toString().isEmpty()) << key;
    EXPECT_EQ(particulars["boundary"].toString(), "whole overlap");
    EXPECT_EQ(particulars["tolerance"].toDouble(), 5);
    EXPECT_EQ(particulars["unchangedArea"].toDouble(), 50);
    EXPECT_EQ(RunTool({"volume", file, "--level", "25", "--report", report + ".html"}).Status, 0);
    EXPECT_TRUE(Contents(report + ".html").contains("<h1>Volume report</h1>"));
    EXPECT_EQ(RunTool({"volume", file, "--level", "25", "--report", report + ".csv"}).Status, 0);
    EXPECT_TRUE(Contents(report + ".csv").contains("boundary,\"whole overlap\","));
    EXPECT_EQ(
        RunProgram({"volume", file, "--level", "25", "--report", report + ".pdf"}, "/dev/null")
            .Status,
        0);
    EXPECT_TRUE(Contents(report + ".pdf").startsWith("%PDF"));
    EXPECT_TRUE(Contents(report + ".pdf").contains("/Subtype /Image")) << "the map";
    EXPECT_EQ(RunTool({"volume", file, "--level", "25", "--report", report + ".txt"}).Status, 2);
    EXPECT_EQ(RunTool({"volume", file}).Status, 2) << "no level";
    EXPECT_EQ(RunTool({"volume", file, "--level", "high"}).Status, 2);

    // Along y = 5 from x = 0 to 10 the ground rises 10: hypot(10, 10) on the ground.
    const TRun measure = RunTool({"measure", file, "0", "5", "10", "5"});
    EXPECT_EQ(measure.Status, 0);
    const QStringList measured = measure.Out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(measured.size(), 2);
    EXPECT_EQ(measured[0], "plan length\t10");
    EXPECT_NEAR(measured[1].section('\t', 1).toDouble(), std::hypot(10, 10), 1e-12);
    EXPECT_EQ(RunTool({"measure", file, "5", "5", "5", "5"}).Status, 2) << "no length";
}

TEST_F(VrkInfoTest, AnotherSurfaceABoundaryAndAPolygon) {
    // The same plane as an OBJ 5 m higher over the square's lower half only: all fill, 5 * 50.
    const QString other = dir.filePath("higher.obj");
    const QByteArray obj = "v 0 0 15\nv 10 0 25\nv 10 5 35\nv 0 5 25\nf 1 2 3 4\n";
    SaveBytes(other.toStdString(), std::vector<char>(obj.begin(), obj.end()));
    const QJsonDocument json =
        QJsonDocument::fromJson(RunTool({"--json", "volume", file, other}).Out.toUtf8());
    EXPECT_DOUBLE_EQ(json["fill"].toDouble(), 250);
    EXPECT_DOUBLE_EQ(json["area"].toDouble(), 50);
    // 5 apart: unchanged within a tolerance of 5, filled beyond one of 4.9; the volume stays.
    for (const auto& [tolerance, fillArea] : {std::pair{"5", 0.0}, {"4.9", 50.0}}) {
        const QJsonDocument within = QJsonDocument::fromJson(
            RunTool({"--json", "volume", file, other, "--tolerance", tolerance}).Out.toUtf8());
        EXPECT_DOUBLE_EQ(within["fillArea"].toDouble(), fillArea);
        EXPECT_DOUBLE_EQ(within["unchangedArea"].toDouble(), 50 - fillArea);
        EXPECT_DOUBLE_EQ(within["fill"].toDouble(), 250);
    }
    EXPECT_EQ(RunTool({"volume", file, other, "--level", "3"}).Status, 2) << "both";
    // The existing and the design ground of one LandXML file: the design 2 higher, all fill.
    const QString ground = dir.filePath("ground.xml");
    auto surface = [](const char* name, int z) {
        return QString("<Surface name=\"%1\"><Definition surfType=\"TIN\"><Pnts>"
                       "<P id=\"1\">0 0 %2</P><P id=\"2\">0 10 %2</P><P id=\"3\">10 10 %2</P>"
                       "<P id=\"4\">10 0 %2</P></Pnts><Faces><F>1 2 3</F><F>1 3 4</F></Faces>"
                       "</Definition></Surface>")
            .arg(name)
            .arg(z);
    };
    const QByteArray xml =
        ("<LandXML><Surfaces>" + surface("EG", 0) + surface("FG", 2) + "</Surfaces></LandXML>")
            .toUtf8();
    SaveBytes(ground.toStdString(), std::vector<char>(xml.begin(), xml.end()));
    const QJsonDocument both = QJsonDocument::fromJson(
        RunTool({"--json", "volume", ground, ground, "--surface", "EG", "--other-surface", "FG"})
            .Out.toUtf8());
    EXPECT_DOUBLE_EQ(both["fill"].toDouble(), 200);
    EXPECT_DOUBLE_EQ(both["cut"].toDouble(), 0);
    EXPECT_EQ(RunTool({"volume", ground, "--level", "1", "--other-surface", "FG"}).Status, 2);
    // A LandXML file's own system, where no .prj names one, goes with what is written.
    const QString placed = dir.filePath("placed.xml");
    const QByteArray withSystem =
        "<LandXML><CoordinateSystem name=\"UTM 16N\" epsgCode=\"32616\"/><Surfaces>"
        "<Surface name=\"EG\"><Definition surfType=\"TIN\"><Pnts>"
        "<P id=\"1\">4000000 500000 1</P><P id=\"2\">4000010 500000 2</P>"
        "<P id=\"3\">4000010 500010 3</P></Pnts><Faces><F>1 2 3</F></Faces>"
        "</Definition></Surface></Surfaces></LandXML>";
    SaveBytes(placed.toStdString(), std::vector<char>(withSystem.begin(), withSystem.end()));
    const QString copy = dir.filePath("copy.xml");
    EXPECT_EQ(RunTool({"convert", placed, copy}).Status, 0);
    EXPECT_TRUE(Contents(copy).contains("epsgCode=\"32616\""));
    // The surfaces are 5 apart everywhere they overlap: they never meet.
    const QString zero = dir.filePath("zero.geojson");
    EXPECT_EQ(RunTool({"volume", file, other, "--zero-line", zero, "--crs", "EPSG:32616"}).Status,
              0);
    EXPECT_TRUE(QJsonDocument::fromJson(Contents(zero))["features"].toArray().isEmpty());
    EXPECT_EQ(RunTool({"volume", file, "--level", "3", "--zero-line", zero}).Status, 2);
    // Inside the triangle (0,0), (4,0), (0,4): 8 of plan area, the level 30 above the plane
    // 10 + x + 2y everywhere there.
    const QString polygon = dir.filePath("corner.geojson");
    const QByteArray corner = R"({"type":"Polygon","coordinates":[[[0,0],[4,0],[0,4],[0,0]]]})";
    SaveBytes(polygon.toStdString(), std::vector<char>(corner.begin(), corner.end()));
    const QJsonDocument bounded = QJsonDocument::fromJson(
        RunTool({"--json", "volume", file, "--level", "30", "--boundary", polygon}).Out.toUtf8());
    // The mean of 30 - (10 + x + 2y) over the triangle: 20 - 4/3 - 8/3 = 16.
    EXPECT_NEAR(bounded["fill"].toDouble(), 8 * 16, 1e-12);
    EXPECT_DOUBLE_EQ(bounded["area"].toDouble(), 8);
    // Its surface area: the plane's slope stretches every square metre by |(-1, -2, 1)|.
    const TRun area = RunTool({"measure", file, "--polygon", polygon});
    EXPECT_EQ(area.Out.section('\n', 0, 0), "plan area\t8");
    EXPECT_NEAR(area.Out.section('\n', 1, 1).section('\t', 1).toDouble(), 8 * std::sqrt(6.0),
                1e-12);
    // Boundaries from any GIS file: a GeoPackage of two areas, a MultiPolygon taken as the union of
    // its parts, the features a condition picks.
    const QString gpkg = dir.filePath("site.gpkg");
    WriteVectorPolygon(
        gpkg, TVectorFormat::GeoPackage, "site",
        TBoundary{{{{0, 0}, {5, 0}, {5, 5}, {0, 5}}, {{7, 7}, {9, 7}, {9, 9}, {7, 9}}}, {1}},
        nullptr);
    const QString multi = dir.filePath("multi.geojson");
    const QByteArray parts =
        R"({"type":"MultiPolygon","coordinates":[[[[0,0],[6,0],[6,4],[0,4],[0,0]]],)"
        R"([[[4,0],[10,0],[10,4],[4,4],[4,0]]]]})";
    SaveBytes(multi.toStdString(), std::vector<char>(parts.begin(), parts.end()));
    const QString named = dir.filePath("named.geojson");
    const QByteArray features =
        R"({"type":"FeatureCollection","features":[)"
        R"({"type":"Feature","properties":{"name":"yard"},"geometry":{"type":"Polygon",)"
        R"("coordinates":[[[7,7],[9,7],[9,9],[7,9],[7,7]]]}},)"
        R"({"type":"Feature","properties":{"name":"site"},"geometry":{"type":"Polygon",)"
        R"("coordinates":[[[0,0],[3,0],[3,3],[0,3],[0,0]]]}}]})";
    SaveBytes(named.toStdString(), std::vector<char>(features.begin(), features.end()));
    for (const auto& [arguments, planArea] :
         {std::pair{QStringList{"--polygon", gpkg}, QString("29")},
          {QStringList{"--polygon", multi}, QString("40")},
          {QStringList{"--polygon", named, "--boundary-where", "name='site'"}, QString("9")}}) {
        const TRun measured = RunTool(QStringList{"measure", file} + arguments);
        EXPECT_EQ(measured.Out.section('\n', 0, 0), "plan area\t" + planArea)
            << measured.Err.toStdString();
    }
    // Both features: two separate areas, 9 and 4. Against the level 30 the plane is 15.5 below
    // it on average over the site and 4 above it over the yard.
    EXPECT_EQ(RunTool({"measure", file, "--polygon", named}).Out.section('\n', 0, 0),
              "plan area\t13");
    const QJsonDocument areas = QJsonDocument::fromJson(
        RunTool({"--json", "volume", file, "--level", "30", "--boundary", named}).Out.toUtf8());
    EXPECT_NEAR(areas["fill"].toDouble(), 9 * 15.5, 1e-12);
    EXPECT_NEAR(areas["cut"].toDouble(), 4 * 4, 1e-12);

    // Files that are not what they should be: exit 1 naming the file and the place.
    const QString broken = dir.filePath("broken.obj");
    SaveBytes(broken.toStdString(), {'v', ' ', '1', '\n'});
    const TRun bad = RunTool({"volume", file, broken});
    EXPECT_EQ(bad.Status, 1);
    EXPECT_EQ(bad.Err, "vrkinfo: " + broken + ": line 1: 'v' needs 3 numbers\n");
    SaveBytes(polygon.toStdString(), {'{', '}'});
    const TRun noPolygon = RunTool({"volume", file, "--level", "1", "--boundary", polygon});
    EXPECT_EQ(noPolygon.Status, 1);
    EXPECT_TRUE(noPolygon.Err.startsWith("vrkinfo: " + polygon + ": "))
        << noPolygon.Err.toStdString();
    EXPECT_EQ(noPolygon.Err.count(polygon), 1);
    EXPECT_EQ(RunTool({"measure", file, "--polygon", dir.filePath("none.geojson")}).Status, 1);
}

TEST_F(VrkInfoTest, DamagedSurfacesOfOtherProgramsAreRefusedOrReadNeverCrash) {
    std::mt19937 random(21);
    const QString model = dir.filePath("terrain.vrk");
    SaveBytes(model.toStdString(), WriteModel(GenerateTerrain(5, 4, 10)));
    for (const char* extension : {"xml", "ply", "obj", "2dm"}) {
        const QString clean = dir.filePath(QString("clean.") + extension);
        ASSERT_EQ(RunTool({"convert", model, clean}).Status, 0);
        const QByteArray bytes = Contents(clean);
        const QString damaged = dir.filePath(QString("damaged.") + extension);
        for (int round = 0; round < 60; ++round) {
            QByteArray copy = bytes;
            for (int k = int(random() % 4); k >= 0; --k)
                copy[qsizetype(random() % copy.size())] = char(random());
            if (random() % 3 == 0)
                copy.truncate(qsizetype(random() % copy.size()));
            SaveBytes(damaged.toStdString(), std::vector<char>(copy.begin(), copy.end()));
            const std::vector<QStringList> commands{{"check", damaged},
                                                    {"volume", model, damaged},
                                                    {"volume", damaged, "--level", "5"}};
            const int status = RunTool(commands[random() % 3]).Status;
            EXPECT_TRUE(status == 0 || status == 1 || status == 3) << copy.toStdString();
        }
    }
}

namespace {
// The pixels of a difference picture in the cut colour (red) and the fill colour (blue).
std::pair<int, int> CutAndFillPixels(const QImage& picture) {
    int red = 0, blue = 0;
    for (int y = 0; y < picture.height(); y += 2)
        for (int x = 0; x < picture.width(); x += 2) {
            const QColor c = picture.pixelColor(x, y);
            red += c.red() > c.blue() + 60;
            blue += c.blue() > c.red() + 60;
        }
    return {red, blue};
}

// A ridge running north, the same on both sides of it: seen from azimuths A and -A its
// silhouette is mirrored.
TModelData SymmetricRidge() {
    TModelData data;
    constexpr int Half = 20, Rows = 30;
    for (int j = 0; j <= Rows; ++j)
        for (int i = -Half; i <= Half; ++i)
            data.Vertices.push_back(
                {i * 5.0, j * 5.0, 40 - std::abs(i) * 1.5 + 6 * std::cos(j * 0.3)});
    auto at = [&](int i, int j) { return int32_t(j * (2 * Half + 1) + (i + Half) + 1); };
    for (int j = 0; j < Rows; ++j)
        for (int i = -Half; i < Half; ++i) {
            // Diagonals mirrored across the ridge.
            const int32_t a = at(i, j), b = at(i + 1, j), c = at(i, j + 1), d = at(i + 1, j + 1);
            if (i < 0) {
                data.Triangles.push_back({{a, b, d}, {-1, -1, -1}});
                data.Triangles.push_back({{a, d, c}, {-1, -1, -1}});
            } else {
                data.Triangles.push_back({{a, b, c}, {-1, -1, -1}});
                data.Triangles.push_back({{b, d, c}, {-1, -1, -1}});
            }
        }
    return data;
}

// The share of pixels where one picture shows the model and the other, mirrored, does not.
double MirrorMismatch(const QImage& a, const QImage& b) {
    const QRgb background = a.pixel(0, 0);
    int differ = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differ +=
                (a.pixel(x, y) != background) != (b.pixel(a.width() - 1 - x, y) != background);
    return double(differ) / (a.width() * a.height());
}
} // namespace

TEST_F(VrkInfoTest, PictureDrawsThePlanOrThe3DViewAndRefusesWhatItCannotDraw) {
    const QString big = dir.filePath("big.vrk");
    SaveBytes(big.toStdString(), WriteModel(GenerateTerrain(40, 40, 10)));
    const QString png = dir.filePath("plan.png");
    ASSERT_EQ(RunProgram({"picture", big, png, "--size", "320x200", "--colours", "--contours", "2"},
                         "/dev/null")
                  .Status,
              0);
    const QImage plan(png);
    EXPECT_EQ(plan.size(), QSize(320, 200));
    std::set<QRgb> colours;
    for (int y = 0; y < plan.height(); y += 3)
        for (int x = 0; x < plan.width(); x += 3)
            colours.insert(plan.pixel(x, y));
    EXPECT_GT(colours.size(), 30u) << "the elevation ramp";
    for (const char* name : {"plan.svg", "plan.pdf"})
        EXPECT_EQ(RunProgram({"picture", big, dir.filePath(name)}, "/dev/null").Status, 0);
    EXPECT_TRUE(Contents(dir.filePath("plan.svg")).contains("<svg"));
    EXPECT_TRUE(Contents(dir.filePath("plan.pdf")).startsWith("%PDF"));
    // The difference with a level in the middle of the ground, or with another surface: cut
    // red and fill blue, as the viewer's layer.
    const QString lower = dir.filePath("lower.vrk");
    SaveBytes(lower.toStdString(), WriteModel(GenerateTerrain(40, 40, 10, 2)));
    const QString extents = RunTool({"extents", big}).Out;
    const QString middle = QString::number(
        (extents.section('\t', 2, 2).toDouble() + extents.section('\t', 5, 5).toDouble()) / 2);
    for (const QStringList& compare : {QStringList{"--level", middle}, {"--compare", lower}}) {
        ASSERT_EQ(
            RunProgram(QStringList{"picture", big, png, "--size", "320x200"} + compare, "/dev/null")
                .Status,
            0);
        const auto [red, blue] = CutAndFillPixels(QImage(png));
        EXPECT_GT(red + blue, 1000) << compare.join(' ').toStdString();
    }

    for (const QStringList& wrong : {QStringList{"picture", big, png, "--size", "0x5"},
                                     {"picture", big, png, "--level", "1", "--compare", lower},
                                     {"picture", big, dir.filePath("p.tif")},
                                     {"picture", big, dir.filePath("p.svg"), "--3d"},
                                     {"picture", big, png, "--azimuth", "30"},
                                     {"picture", big, png, "--exaggeration", "-1"},
                                     {"picture", big, png, "--contours", "0"},
                                     {big, "--colours"}})
        EXPECT_EQ(RunProgram(wrong, "/dev/null").Status, 2) << wrong.join(' ').toStdString();

    // A picture that cannot be written whole leaves the old file.
    SaveBytes(png.toStdString(), std::vector<char>(100, 'k'));
    {
        const TFileSizeLimit nearlyFull(8192);
        const TProcessRun run = RunProgram({"picture", big, png}, "/dev/null");
        EXPECT_EQ(run.Status, 1);
        EXPECT_TRUE(run.Err.endsWith("vrkinfo: " + png + ": File too large\n"))
            << run.Err.toStdString();
    }
    EXPECT_EQ(Contents(png), QByteArray(100, 'k'));

    // The 3D view needs OpenGL: on a display it draws, symmetric views give mirrored pictures.
    const QString ridge = dir.filePath("ridge.vrk");
    SaveBytes(ridge.toStdString(), WriteModel(SymmetricRidge()));
    const QString left = dir.filePath("left.png"), right = dir.filePath("right.png");
    const TProcessRun leftRun = RunProgram(
        {"picture", ridge, left, "--3d", "--size", "300x240", "--azimuth", "150"}, "/dev/null");
    if (qEnvironmentVariableIsEmpty("VRK_REQUIRE_OPENGL") && leftRun.Status == 1) {
        EXPECT_TRUE(leftRun.Err.contains("OpenGL")) << leftRun.Err.toStdString();
        return;
    }
    ASSERT_EQ(leftRun.Status, 0) << leftRun.Err.toStdString();
    ASSERT_EQ(RunProgram({"picture", ridge, right, "--3d", "--size", "300x240", "--azimuth", "210"},
                         "/dev/null")
                  .Status,
              0);
    const QImage a(left), b(right);
    ASSERT_EQ(a.size(), QSize(300, 240));
    int covered = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            covered += a.pixel(x, y) != a.pixel(0, 0);
    EXPECT_GT(covered, a.width() * a.height() / 10);
    EXPECT_LT(MirrorMismatch(a, b), 0.01);
    // Against a level in 3D too: the ridge's top above it red, its flanks below it blue.
    const QString level = dir.filePath("level.png");
    ASSERT_EQ(RunProgram({"picture", ridge, level, "--3d", "--size", "300x240", "--level", "30"},
                         "/dev/null")
                  .Status,
              0);
    const auto [cut, fill] = CutAndFillPixels(QImage(level));
    EXPECT_GT(cut, 200);
    EXPECT_GT(fill, 200);
    // And against another surface: a plane at 30 over the ridge gives cut and fill where the level
    // does, without the level's translucent plane over them.
    const QStringList box = RunTool({"extents", ridge}).Out.trimmed().split('\t');
    const QString plane = dir.filePath("plane.obj");
    const std::string obj = QString("v %1 %2 30\nv %3 %2 30\nv %3 %4 30\nv %1 %4 30\nf 1 2 3 4\n")
                                .arg(box[0], box[1], box[3], box[4])
                                .toStdString();
    SaveBytes(plane.toStdString(), std::vector<char>(obj.begin(), obj.end()));
    const QString surface = dir.filePath("surface.png");
    ASSERT_EQ(
        RunProgram({"picture", ridge, surface, "--3d", "--size", "300x240", "--compare", plane},
                   "/dev/null")
            .Status,
        0);
    const auto [surfaceCut, surfaceFill] = CutAndFillPixels(QImage(surface));
    EXPECT_NEAR(surfaceCut, cut, cut / 5);
    EXPECT_GT(surfaceFill, 200);
}
