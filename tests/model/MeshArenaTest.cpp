#include "model/Mesh.h"
#include "model/ObjectPool.h"

#include <gtest/gtest.h>
#include <memory>
#include <sys/mman.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
constexpr bool Pooled = false; // every object has an allocation of its own there
#else
constexpr bool Pooled = true;
#endif

TEST(MeshArenaTest, TrianglesGiveBackTheObjectsTheyWereGivenWhereverTheyLive) {
    auto pooledA = std::make_unique<TTriVertex>(0, 0, 0);
    auto pooledB = std::make_unique<TTriVertex>(1, 0, 0);
    TTriVertex onStack(0, 1, 0);
    EXPECT_EQ(MeshArena::Contains(pooledA.get()), Pooled);
    EXPECT_FALSE(MeshArena::Contains(&onStack));

    auto triangle = std::make_unique<TTriangle>(pooledA.get(), pooledB.get(), &onStack);
    TTriangle neighbourOnStack(&onStack, pooledB.get(), pooledA.get());
    triangle->SetNeighbour(2, &neighbourOnStack);
    neighbourOnStack.SetNeighbour(2, triangle.get());
    EXPECT_EQ(triangle->Vertex(1), pooledA.get());
    EXPECT_EQ(triangle->Vertex(2), pooledB.get());
    EXPECT_EQ(triangle->Vertex(3), &onStack);
    EXPECT_EQ(triangle->Neighbour(1), nullptr);
    EXPECT_EQ(triangle->Neighbour(2), &neighbourOnStack);
    EXPECT_EQ(neighbourOnStack.Neighbour(2), triangle.get());
    triangle->SetVertex(3, nullptr);
    EXPECT_EQ(triangle->Vertex(3), nullptr);
    EXPECT_EQ(MeshArena::Object(MeshArena::Reference(nullptr)), nullptr);
}

TEST(MeshArenaTest, ObjectsOutsideTheArenaKeepOneReferenceEachAcrossTheTablesBlocks) {
    // More objects than one block of the table holds.
    std::vector<double> objects(70000);
    std::vector<uint32_t> references;
    for (const double& object : objects)
        references.push_back(MeshArena::Reference(&object));
    for (size_t i = 0; i < objects.size(); ++i) {
        ASSERT_NE(references[i] & MeshArena::Outside, 0u);
        ASSERT_EQ(MeshArena::Object(references[i]), &objects[i]) << i;
        ASSERT_EQ(MeshArena::Reference(&objects[i]), references[i]) << i;
    }
}

TEST(MeshArenaTest, TheArenaStartsAgainOnceEmptyAndReusesThePlaceOfAnEmptiedPool) {
    if (!Pooled)
        GTEST_SKIP() << "the pools are off under AddressSanitizer";
    // Enough vertices for chunks of every size, up to the huge-page ones.
    std::vector<std::unique_ptr<TTriVertex>> vertices;
    for (int i = 0; i < 600000; ++i)
        vertices.push_back(std::make_unique<TTriVertex>(i, 0, 0));
    const TTriVertex* first = vertices.front().get();
    for (const auto& vertex : vertices)
        ASSERT_TRUE(MeshArena::Contains(vertex.get()));
    EXPECT_GE(ObjectPool::MappedBytes(), 600000 * sizeof(TTriVertex));
    vertices.clear();
    EXPECT_EQ(ObjectPool::MappedBytes(), 0u);
    auto again = std::make_unique<TTriVertex>(0, 0, 0);
    EXPECT_EQ(again.get(), first) << "an empty arena starts again from its base";

    // A list's slot block, from another pool, keeps the arena in use while the vertices go.
    TObjectList list;
    list.SetCapacity(2 * TBigList::BlockSlots);
    const size_t withList = ObjectPool::MappedBytes();
    again.reset();
    EXPECT_LT(ObjectPool::MappedBytes(), withList) << "the vertices' chunk is given back";
    ASSERT_GT(ObjectPool::MappedBytes(), 0u) << "while the list's block stays";
    auto reused = std::make_unique<TTriVertex>(0, 0, 0);
    EXPECT_EQ(reused.get(), first) << "the next chunk of that size takes its place";
    reused.reset();
    list.Clear();
    EXPECT_EQ(ObjectPool::MappedBytes(), 0u);
}

TEST(MeshArenaTest, APlaceInTheArenaTakenByAnotherMappingIsPassedOver) {
    if (!Pooled)
        GTEST_SKIP() << "the pools are off under AddressSanitizer";
    ASSERT_EQ(ObjectPool::MappedBytes(), 0u);
    void* base = reinterpret_cast<void*>(MeshArena::Base);
    void* other = ::mmap(base, 4096, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    ASSERT_EQ(other, base);
    {
        auto vertex = std::make_unique<TTriVertex>(1, 2, 3);
        EXPECT_TRUE(MeshArena::Contains(vertex.get()));
        EXPECT_NE(static_cast<void*>(vertex.get()), base);
        TTriangle triangle(vertex.get(), vertex.get(), vertex.get());
        EXPECT_EQ(triangle.Vertex(2), vertex.get());
    }
    ::munmap(other, 4096);
    EXPECT_EQ(ObjectPool::MappedBytes(), 0u);
}
