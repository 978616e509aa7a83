// Survey points from text files and LAS point clouds, and the files refused, each named.
#include "build/SurveyPoints.h"
#include "build/SurfaceBuild.h"
#include "build/SurveyLines.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

namespace {
struct SurveyPointsTest : ::testing::Test {
    std::string Saved(const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName().toStdString();
    }
    std::string Refusal(const std::string& path, const QString& columns = {}) {
        try {
            IsLasFile(path) ? ReadLasPoints(path) : ReadTextPoints(path, columns);
        } catch (const ESurfaceReadError& error) {
            return error.Message().substr(path.size() + 2); // after "PATH: "
        }
        return "(read)";
    }
    QTemporaryDir dir;
};

using TPoints = std::vector<std::array<double, 3>>;
TPoints Triples(const std::vector<TSurfacePoint>& points) {
    TPoints triples;
    for (const TSurfacePoint& p : points)
        triples.push_back({p.Easting, p.Northing, p.Value});
    return triples;
}

template <class T> void Put(QByteArray& bytes, int at, T value) {
    std::memcpy(bytes.data() + at, &value, sizeof value);
}

// A LAS file of the version and point format with three points of classes 2, 7 and 2; X, Y, Z
// stored as whole thousandths from an offset.
QByteArray Las(int minor, int format) {
    const int headerSize = minor >= 4 ? 375 : 227, recordLength = format >= 6 ? 30 : 28;
    QByteArray bytes(headerSize + 3 * recordLength, '\0');
    std::memcpy(bytes.data(), "LASF", 4);
    bytes[24] = 1;
    bytes[25] = char(minor);
    Put<uint16_t>(bytes, 94, uint16_t(headerSize));
    Put<uint32_t>(bytes, 96, uint32_t(headerSize));
    bytes[104] = char(format);
    Put<uint16_t>(bytes, 105, uint16_t(recordLength));
    Put<uint32_t>(bytes, 107, minor >= 4 ? 0 : 3);
    if (minor >= 4)
        Put<uint64_t>(bytes, 247, 3);
    for (int axis = 0; axis < 3; ++axis) {
        Put<double>(bytes, 131 + 8 * axis, 0.001);
        Put<double>(bytes, 155 + 8 * axis, axis == 0 ? 485000 : axis == 1 ? 3650000 : 0);
    }
    const int classes[3] = {2, 7, 2};
    for (int i = 0; i < 3; ++i) {
        const int record = headerSize + i * recordLength;
        Put<int32_t>(bytes, record, 1500 * i);
        Put<int32_t>(bytes, record + 4, 2250 * i);
        Put<int32_t>(bytes, record + 8, 100000 + i);
        bytes[record + (format >= 6 ? 16 : 15)] = char(classes[i]);
    }
    return bytes;
}
} // namespace

TEST_F(SurveyPointsTest, TextPointsByTheirNamedColumnsThreeNumbersOrTheLettersGiven) {
    const TPoints expected{{485000.5, 3650000.25, 101}, {485001, 3650002, 102.5}};
    const struct {
        const char* Text;
        const char* Columns;
    } cases[] = {
        {"Point,Northing,Easting,Elevation,Code\n1,3650000.25,485000.5,101,TOP\n"
         "2,3650002,485001,102.5,\"kerb, west\"\n",
         ""},
        {"x;y;z\r\n485000.5;3650000.25;101\r\n\r\n485001;3650002;102.5\r\n", ""},
        {"485000.5\t3650000.25\t101\n485001\t3650002\t102.5\n", ""},
        {"1 3650000.25 485000.5 101 TOP\n2 3650002 485001 102.5 KERB\n", "PNEZD"},
        {"1,485000.5,3650000.25,101\n2,485001,3650002,102.5\n", "penz"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Triples(ReadTextPoints(Saved("p.txt", c.Text), c.Columns)), expected) << c.Text;
    EXPECT_TRUE(ColumnLettersValid("PENZD"));
    for (const char* wrong : {"PNE", "PNEZZ", "PNEZQ", ""})
        EXPECT_FALSE(ColumnLettersValid(wrong)) << wrong;
}

TEST_F(SurveyPointsTest, TextRefusalsNameTheLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"1 3650000 485000 101 TOP\n", "line 1: the columns are not named"},
        {"485000 3650000 101\n485001 x 102\n", "line 2: a coordinate is not a number"},
        {"485000 3650000 101\n485001 3650001 nan\n", "line 2: a coordinate is not a finite number"},
        {"x,y,z\n485000,3650000\n", "line 2: the line has too few fields"},
    };
    for (const auto& [text, refusal] : cases)
        EXPECT_EQ(Refusal(Saved("bad.txt", text)).rfind(refusal, 0), 0u) << text;
    EXPECT_THROW(ReadTextPoints(Saved("n.txt", "1 3650000 485000 101 TOP\n"), ""), EColumnsNeeded);
}

TEST_F(SurveyPointsTest, LasPointsOfEveryVersionAndFormatWithTheirClasses) {
    const TPoints all{
        {485000, 3650000, 100}, {485001.5, 3650002.25, 100.001}, {485003, 3650004.5, 100.002}};
    for (const auto& [minor, format] : {std::pair{0, 0}, {2, 1}, {3, 3}, {4, 6}, {4, 10}}) {
        const std::string path = Saved("p.las", Las(minor, format));
        ASSERT_TRUE(IsLasFile(path));
        const TPoints read = Triples(ReadLasPoints(path));
        ASSERT_EQ(read.size(), 3u) << minor << " " << format;
        for (size_t i = 0; i < 3; ++i)
            for (size_t k = 0; k < 3; ++k)
                EXPECT_NEAR(read[i][k], all[i][k], 1e-9);
        EXPECT_EQ(ReadLasPoints(path, {2}).size(), 2u) << "the ground class alone";
        EXPECT_EQ(ReadLasPoints(path, {2, 7}).size(), 3u);
    }
    QByteArray compressed = Las(2, 1);
    compressed[104] = char(0x81);
    EXPECT_NE(Refusal(Saved("c.las", compressed)).find("compressed LAZ"), std::string::npos);
    EXPECT_NE(Refusal(Saved("p.laz", Las(2, 1))).find("compressed LAZ"), std::string::npos);
    QByteArray cut = Las(2, 1);
    cut.chop(10);
    EXPECT_EQ(Refusal(Saved("cut.las", cut)), "header: it counts more points than the file holds");
}

TEST_F(SurveyPointsTest, BreaklinesAndABoundaryFromGisFiles) {
    const std::string lines = Saved("lines.geojson",
                                    R"({"type":"FeatureCollection","features":[
{"type":"Feature","properties":{},"geometry":{"type":"LineString","coordinates":[[0,0,5],[10,0,6]]}},
{"type":"Feature","properties":{},"geometry":{"type":"MultiLineString","coordinates":[[[0,5],[10,5]]]}}]})");
    const std::vector<TBreakline> read = ReadBreaklines(lines);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].Points[1][2], 6);
    EXPECT_TRUE(std::isnan(read[1].Points[0][2])) << "no elevation given";
    const std::string polygon = Saved(
        "site.geojson",
        R"({"type":"Polygon","coordinates":[[[0,0],[10,0],[10,10],[0,10],[0,0]],[[2,2],[4,2],[4,4],[2,2]]]})");
    const TBoundary boundary = ReadBoundaryPolygon(polygon);
    ASSERT_EQ(boundary.Rings.size(), 2u);
    EXPECT_EQ(boundary.Rings[0].size(), 4u) << "the closing corner dropped";
    const std::string bowTie = Saved(
        "bow.geojson", R"({"type":"Polygon","coordinates":[[[0,0],[10,10],[10,0],[0,10],[0,0]]]})");
    for (const std::string& refused : {bowTie, Saved("none.geojson", "{}"), polygon + ".missing"})
        EXPECT_THROW(ReadBoundaryPolygon(refused), ESurfaceReadError) << refused;
    EXPECT_THROW(ReadBreaklines(polygon + ".missing"), ESurfaceReadError);
}

// Damaged files of every kind the build reads: each is read, or refused with a message that
// begins with its name; the sanitizer build watches for anything worse.
TEST_F(SurveyPointsTest, DamagedFilesOfEveryKindAreReadOrRefusedByName) {
    const std::pair<const char*, QByteArray> kinds[] = {
        {"p.csv", "x,y,z\n0,0,1\n10,0,2\n10,10,3\n0,10,4\n5,5,9\n"},
        {"p.txt", "1 0 0 1 a\n2 0 10 2 b\n3 10 10 3 c\n4 10 0 4 d\n"},
        {"p.las", Las(2, 1)},
        {"q.las", Las(4, 6)},
        {"lines.geojson", R"({"type":"FeatureCollection","features":[{"type":"Feature",)"
                          R"("properties":{},"geometry":{"type":"LineString","coordinates":)"
                          R"([[1,1,5],[9,9,6]]}}]})"},
        {"site.geojson", R"({"type":"Polygon","coordinates":[[[0,0],[10,0],[10,10],[0,0]]]})"}};
    std::mt19937 random(11);
    const char replacements[] = "0123456789-.,; \n\te\"[]{}:\0\xff";
    int refused = 0, read = 0;
    for (const auto& [name, clean] : kinds) {
        for (int round = 0; round < 120; ++round) {
            QByteArray bytes = clean;
            for (int k = int(random() % 4); k >= 0; --k) {
                const auto at = qsizetype(random() % bytes.size());
                if (random() % 5 == 0)
                    bytes.remove(at, qsizetype(random() % 8));
                else
                    bytes[at] = random() % 2 ? char(random())
                                             : replacements[random() % (sizeof replacements - 1)];
            }
            const std::string path = Saved(name, bytes);
            const QString file = QString::fromStdString(path);
            TSurveyFiles files;
            if (file.endsWith("lines.geojson"))
                files.Breaklines = {file};
            else if (file.endsWith("site.geojson"))
                files.Boundary = file;
            files.Points = {files.Breaklines.isEmpty() && files.Boundary.isEmpty()
                                ? file
                                : QString::fromStdString(Saved("base.csv", kinds[0].second))};
            files.Columns = file.endsWith(".txt") ? "PNEZD" : "";
            try {
                TTriangulationReport report;
                BuildSurface(files, {}, report);
                ++read;
            } catch (const ESurfaceReadError& error) {
                ++refused;
                EXPECT_EQ(error.Message().rfind(path, 0), 0u) << error.Message();
            }
        }
    }
    EXPECT_GT(refused, 100);
    EXPECT_GT(read, 40);
}
