// Files that are valid but claim millions of records in a few hundred bytes (a record size of 0
// repeats one record): read and checked in a child process under a memory limit, the reader runs
// out of memory with its error, gives every byte back, and the check keeps its rows in
// proportion to the mesh.
#include "MemoryLimit.h"
#include "ModelWriter.h"
#include "inspect/HealthCheckRows.h"
#include "model/ObjectPool.h"
#include "platform/Streams.h"
#include "vrk/VRKModel.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <new>

namespace {
// One record claimed count times.
std::vector<char> Claimed(const TModelData& data, const std::function<void(TVRKHeader&)>& claim) {
    std::vector<char> bytes = WriteModel(data);
    PatchHeader(bytes, claim);
    return bytes;
}

std::vector<char> TrianglesClaimed(int count) {
    TModelData data;
    data.Vertices = {{0, 0, 1}, {0, 10, 1}, {10, 0, 1}};
    data.Triangles = {{{1, 2, 3}, {-1, -1, -1}}};
    return Claimed(data, [&](TVRKHeader& h) {
        h.NumberOfTriangles = count;
        h.TriangleRecordSize = 0;
    });
}

std::vector<char> PointsClaimed(int count) {
    TModelData data;
    data.Vertices = {{5, 5, 5}};
    return Claimed(data, [&](TVRKHeader& h) {
        h.NumberOfVertices = count;
        h.VertexRecordSize = 0;
        h.MinimumEasting = h.MinimumNorthing = 0;
        h.MaximumEasting = h.MaximumNorthing = 1; // every copy of the point lies outside
    });
}

constexpr size_t MB = 1u << 20;
} // namespace

TEST(OutOfMemoryTest, AReadThatRunsOutOfMemoryGivesEveryByteBack) {
    SKIP_UNDER_ADDRESS_SANITIZER();
    const std::vector<char> bytes = TrianglesClaimed(50000000); // about 3.6 GB of triangles
    ASSERT_LT(bytes.size(), 300u);
    EXPECT_EQ(InChildWithMemoryLimit(600 * MB,
                                     [&] {
                                         TVandrelTINModel model;
                                         TMemoryStream stream(bytes);
                                         try {
                                             model.ReadFromStream(stream);
                                             return 1;
                                         } catch (const std::bad_alloc&) {
                                         }
                                         if (model.Triangles().Count() != 0 ||
                                             model.Vertices().Count() != 0)
                                             return 2;
                                         if (ObjectPool::MappedBytes() != 0)
                                             return 3;
                                         // What the read held is free for the next large
                                         // allocation.
                                         char* block = static_cast<char*>(std::malloc(500 * MB));
                                         if (!block)
                                             return 4;
                                         std::memset(block, 1, 500 * MB);
                                         std::free(block);
                                         return 0;
                                     }),
              0);
}

TEST(OutOfMemoryTest, TheCheckOfMillionsOfProblemsKeepsSixteenBytesARow) {
    SKIP_UNDER_ADDRESS_SANITIZER();
    const int points = 4000000;
    const std::vector<char> bytes = PointsClaimed(points);
    ASSERT_LT(bytes.size(), 200u);
    // The model needs about 200 MB; rows of two texts and two widget items each would need
    // over a gigabyte more.
    EXPECT_EQ(InChildWithMemoryLimit(600 * MB,
                                     [&] {
                                         TVandrelTINModel model;
                                         TMemoryStream stream(bytes);
                                         model.ReadFromStream(stream);
                                         THealthCheckRows rows;
                                         if (CheckModel(model, rows) != points)
                                             return 1;
                                         if (rows.Cell(0, points) != "Point 3999999" ||
                                             rows.Cell(1, 1) != "Coordinates outside header limits")
                                             return 2;
                                         // Grown five at a time: last at row 3,999,997, to
                                         // 4,000,002 rows.
                                         return rows.GridRowCount() == points + 2 ? 0 : 3;
                                     }),
              0);
}
