#include "VrkInfo.h"
#include "TerrainGenerator.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

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
    EXPECT_EQ(missing.Err, "Cannot open file " + dir.filePath("none.vrk") + "\n");
    EXPECT_TRUE(missing.Out.isEmpty());

    const QString damaged = dir.filePath("damaged.vrk");
    std::vector<char> bytes = WriteModel(TModelData{});
    bytes[5] = 'x';
    SaveBytes(damaged.toStdString(), bytes);
    const TRun rejected = RunTool({"extents", damaged});
    EXPECT_EQ(rejected.Status, 1);
    EXPECT_EQ(rejected.Err, "File is not a Vandrel TIN Model.\n");

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
