#include "model/Geometry.h"

#include <gtest/gtest.h>

namespace {
struct TMeshFixture : ::testing::Test {
    TTriVertex* Vertex(double e, double n, double v = 0) {
        auto* vertex = mesh.Vertices().CreateVertex(e, n, v);
        mesh.Vertices().Add(vertex);
        vertex->Number = mesh.Vertices().Count();
        return vertex;
    }
    TTriangle* Triangle(TTriVertex* a, TTriVertex* b, TTriVertex* c) {
        auto* triangle = mesh.Triangles().CreateTriangle(a, b, c);
        mesh.Triangles().Add(triangle);
        triangle->Number = mesh.Triangles().Count();
        return triangle;
    }
    TTriangleMesh mesh;
};
} // namespace

TEST(MeshTest, SidesRunRoundTheTriangle) {
    EXPECT_EQ(NextSide(1), 2);
    EXPECT_EQ(NextSide(3), 1);
    EXPECT_EQ(PrevSide(1), 3);
    EXPECT_EQ(PrevSide(2), 1);
}

TEST_F(TMeshFixture, SideOfAndIndexOfVertex) {
    TTriVertex *a = Vertex(0, 0), *b = Vertex(1, 0), *c = Vertex(0, 1), *d = Vertex(5, 5);
    TTriangle* t = Triangle(a, b, c);
    EXPECT_EQ(t->SideOf(b, a), 1);
    EXPECT_EQ(t->SideOf(a, b), 1);
    EXPECT_EQ(t->SideOf(a, c), 3);
    EXPECT_EQ(t->SideOf(c, b), 2);
    EXPECT_EQ(t->IndexOfVertex(b), 2);
    EXPECT_EQ(t->IndexOfVertex(d), 3) << "a stranger reads as the third vertex";
}

TEST_F(TMeshFixture, ExtentOfNoneOneAndMany) {
    double e0, n0, v0, e1, n1, v1;
    mesh.Vertices().GetExtent(e0, n0, v0, e1, n1, v1);
    EXPECT_EQ(e0, 1e99);
    EXPECT_EQ(v1, -1e99);
    Vertex(3, 4, 5);
    mesh.Vertices().GetExtent(e0, n0, v0, e1, n1, v1);
    EXPECT_EQ((std::vector<double>{e0, n0, v0, e1, n1, v1}),
              (std::vector<double>{3, 4, 5, 3, 4, 5}));
    Vertex(-1, 10, 2);
    mesh.Vertices().GetExtent(e0, n0, v0, e1, n1, v1);
    EXPECT_EQ((std::vector<double>{e0, n0, v0, e1, n1, v1}),
              (std::vector<double>{-1, 4, 2, 3, 10, 5}));
}

TEST_F(TMeshFixture, ChooseTriangleTakesTheSmallerOrTheSecondOrTheHandlersChoice) {
    TTriVertex *a = Vertex(0, 0), *b = Vertex(2, 0), *c = Vertex(0, 2), *d = Vertex(2, 2),
               *e = Vertex(1, 0);
    TTriangle* big = Triangle(a, b, c);
    TTriangle* same = Triangle(b, d, c);
    TTriangle* small = Triangle(a, e, c);
    EXPECT_EQ(mesh.Triangles().ChooseTriangle(big, small), small);
    EXPECT_EQ(mesh.Triangles().ChooseTriangle(big, same), same);
    mesh.Triangles().OnChooseTriangle = [&](TTriangle*, TTriangle*, TTriangle*& chosen) {
        chosen = big;
    };
    EXPECT_EQ(mesh.Triangles().ChooseTriangle(small, same), big);
}

TEST_F(TMeshFixture, RemovingATriangleDoesNotFreeItClearFreesEverything) {
    TTriangle* t = Triangle(Vertex(0, 0), Vertex(1, 0), Vertex(0, 1));
    EXPECT_EQ(mesh.Triangles().Remove(t), 0);
    EXPECT_EQ(t->Vertex(2)->Easting, 1) << "still alive";
    delete t;
    Triangle(mesh.Vertices().Vertex(0), mesh.Vertices().Vertex(1), mesh.Vertices().Vertex(2));
    mesh.Clear();
    EXPECT_EQ(mesh.Triangles().Count(), 0);
    EXPECT_EQ(mesh.Vertices().Capacity(), 0);
}

TEST_F(TMeshFixture, TypedAccessRefusesOtherClasses) {
    mesh.Triangles().Add(Vertex(0, 0));
    EXPECT_THROW(mesh.Triangles().Triangle(0), EInvalidCast);
    mesh.Triangles().Clear(); // the vertex belongs to the vertex collection
}
