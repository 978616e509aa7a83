// The mending edits, checked in integer arithmetic on surfaces of whole-metre points: every
// face anticlockwise, no side used twice in one direction, every point used, the plan area
// what the edit leaves; a filled hole Delaunay; a breakline covered by sides; and each edit
// undone gives back the surface face for face.
#include "edit/EditCommand.h"
#include "vrk/VRKModel.h"

#include <QUndoStack>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <set>

namespace {
struct TWhole {
    int64_t X, Y;
};
TWhole Whole(const TSurfacePoint& p) {
    EXPECT_EQ(p.Easting, std::floor(p.Easting));
    EXPECT_EQ(p.Northing, std::floor(p.Northing));
    return {int64_t(p.Easting), int64_t(p.Northing)};
}
int64_t Turn(TWhole a, TWhole b, TWhole c) {
    return (b.X - a.X) * (c.Y - a.Y) - (b.Y - a.Y) * (c.X - a.X);
}
// Positive when d lies inside the circle through the anticlockwise a, b, c.
int64_t InCircle(TWhole a, TWhole b, TWhole c, TWhole d) {
    const int64_t ax = a.X - d.X, ay = a.Y - d.Y, bx = b.X - d.X, by = b.Y - d.Y, cx = c.X - d.X,
                  cy = c.Y - d.Y;
    return (ax * ax + ay * ay) * (bx * cy - by * cx) - (bx * bx + by * by) * (ax * cy - ay * cx) +
           (cx * cx + cy * cy) * (ax * by - ay * bx);
}
TWhole Corner(const TSurfaceData& s, uint32_t i) {
    return Whole(s.Points[i]);
}

// Checks the surface is sound and returns twice its plan area.
int64_t SoundArea(const TSurfaceData& s) {
    std::set<std::pair<uint32_t, uint32_t>> sides;
    std::vector<bool> used(s.Points.size(), false);
    int64_t area = 0;
    for (const TFace& f : s.Faces) {
        const int64_t turn = Turn(Corner(s, f[0]), Corner(s, f[1]), Corner(s, f[2]));
        EXPECT_GT(turn, 0) << "anticlockwise, not flat";
        area += turn;
        for (int k = 0; k < 3; ++k) {
            EXPECT_TRUE(sides.insert({f[k], f[(k + 1) % 3]}).second) << "a side used twice";
            used[f[k]] = true;
        }
    }
    EXPECT_EQ(std::count(used.begin(), used.end(), false), 0) << "a point no face uses";
    return area;
}

// Every shared side among the faces from `first` on passes the in-circle test.
void ExpectDelaunayFrom(const TSurfaceData& s, std::size_t first) {
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> opposite;
    for (std::size_t i = first; i < s.Faces.size(); ++i)
        for (int k = 0; k < 3; ++k)
            opposite[{s.Faces[i][k], s.Faces[i][(k + 1) % 3]}] = s.Faces[i][(k + 2) % 3];
    for (const auto& [side, corner] : opposite)
        if (const auto other = opposite.find({side.second, side.first}); other != opposite.end()) {
            EXPECT_LE(InCircle(Corner(s, side.first), Corner(s, side.second), Corner(s, corner),
                               Corner(s, other->second)),
                      0);
        }
}

// Sides lying on the segment a-b cover it from end to end.
void ExpectCovered(const TSurfaceData& s, TWhole a, TWhole b) {
    const int64_t length = (b.X - a.X) * (b.X - a.X) + (b.Y - a.Y) * (b.Y - a.Y);
    auto along = [&](TWhole p) { return (p.X - a.X) * (b.X - a.X) + (p.Y - a.Y) * (b.Y - a.Y); };
    std::vector<std::pair<int64_t, int64_t>> pieces;
    for (const TFace& f : s.Faces)
        for (int k = 0; k < 3; ++k) {
            const TWhole u = Corner(s, f[k]), v = Corner(s, f[(k + 1) % 3]);
            if (Turn(a, b, u) == 0 && Turn(a, b, v) == 0)
                pieces.emplace_back(std::min(along(u), along(v)), std::max(along(u), along(v)));
        }
    std::sort(pieces.begin(), pieces.end());
    int64_t reached = 0;
    for (const auto& [from, to] : pieces)
        if (from <= reached)
            reached = std::max(reached, to);
    EXPECT_GE(reached, length) << "the breakline is covered by sides";
}

// A 5 x 5 grid of points 10 m apart, elevation 100 + x + 2y, each cell cut from its lower left
// to its upper right corner.
TSurfaceData Grid() {
    TSurfaceData s;
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 5; ++i)
            s.Points.push_back({10.0 * i, 10.0 * j, 100.0 + i + 2 * j});
    for (uint32_t j = 0; j < 4; ++j)
        for (uint32_t i = 0; i < 4; ++i) {
            const uint32_t p = 5 * j + i;
            s.Faces.push_back({p, p + 1, p + 6});
            s.Faces.push_back({p, p + 6, p + 5});
        }
    return s;
}
uint32_t GridPoint(int i, int j) {
    return uint32_t(5 * j + i);
}

struct TEditCase {
    const char* Name;
    std::function<TSurfaceChange(const TSurfaceData&)> Edit;
    int64_t AreaChange; // twice the plan area the edit adds
    int FacesChange;
    bool Delaunay = false; // the new faces: a filled hole
};
} // namespace

TEST(SurfaceEdits, EveryEditLeavesASoundSurfaceOfTheRightAreaAndUndoesExactly) {
    const TEditCase cases[] = {
        {"delete a triangle", [](auto& s) { return DeleteFaces(s, {3}); }, -100, -1},
        {"delete inside a polygon",
         [](auto& s) {
             return DeleteFaces(s, FacesInsidePolygon(s, {{9, 9}, {31, 9}, {31, 31}, {9, 31}}));
         },
         -800, -8},
        {"swap a diagonal", [](auto& s) { return SwapSide(s, 0, 1); }, 0, 0},
        {"add a point inside a triangle",
         [](auto& s) {
             return AddPoint(s, {13, 12, 50});
         },
         0, 2},
        {"add a point on a shared side",
         [](auto& s) {
             return AddPoint(s, {15, 15, 50});
         },
         0, 2},
        {"add a point on the outline",
         [](auto& s) {
             return AddPoint(s, {15, 0, 50});
         },
         0, 1},
        {"delete an inner point", [](auto& s) { return DeletePoint(s, GridPoint(2, 2)); }, 0, -2,
         true},
        {"delete a corner", [](auto& s) { return DeletePoint(s, GridPoint(0, 0)); }, -100, -1,
         true},
        {"delete a point of a straight outline",
         [](auto& s) { return DeletePoint(s, GridPoint(2, 0)); }, 0, -1, true},
        {"add a breakline",
         [](auto& s) {
             return AddBreakline(s, {{5, 5, 90}, {35, 25, 95}});
         },
         0, 4},
    };
    for (const TEditCase& edit : cases) {
        SCOPED_TRACE(edit.Name);
        const TSurfaceData before = Grid();
        TSurfaceData s = before;
        const TSurfaceChange change = edit.Edit(s);
        ApplyChange(s, change);
        EXPECT_EQ(SoundArea(s), SoundArea(before) + edit.AreaChange);
        EXPECT_EQ(int(s.Faces.size()), int(before.Faces.size()) + edit.FacesChange);
        if (edit.Delaunay)
            ExpectDelaunayFrom(s, s.Faces.size() - change.AddedFaces.size());
        RevertChange(s, change);
        EXPECT_EQ(s.Faces, before.Faces);
        EXPECT_EQ(s.Points.size(), before.Points.size());
        for (std::size_t i = 0; i < s.Points.size(); ++i)
            EXPECT_EQ(s.Points[i].Value, before.Points[i].Value);
    }
}

TEST(SurfaceEdits, ABreaklineBecomesSidesWithItsElevations) {
    TSurfaceData s = Grid();
    // Through a point of the grid (20, 20 lies on the second segment) and across many sides.
    const std::vector<TSurfacePoint> line{{3, 1, 90}, {14, 14, 91}, {26, 26, 92}, {37, 8, 93}};
    ApplyChange(s, AddBreakline(s, line));
    SoundArea(s);
    for (std::size_t i = 1; i < line.size(); ++i)
        ExpectCovered(s, Whole(line[i - 1]), Whole(line[i]));
    for (const TSurfacePoint& corner : line) {
        const auto found = std::find_if(s.Points.begin(), s.Points.end(), [&](auto& p) {
            return p.Easting == corner.Easting && p.Northing == corner.Northing;
        });
        ASSERT_NE(found, s.Points.end());
        EXPECT_EQ(found->Value, corner.Value);
    }
    EXPECT_EQ(s.Points[GridPoint(2, 2)].Value, 106) << "a point on the line keeps its elevation";
}

TEST(SurfaceEdits, AHoleIsFilledDelaunay) {
    // An uneven ring round a centre: only one of its triangulations is Delaunay.
    TSurfaceData s;
    s.Points = {{0, 0, 0},   {40, -3, 1},  {61, 30, 2}, {35, 58, 3},
                {-9, 52, 4}, {-30, 20, 5}, {12, 22, 9}};
    for (uint32_t i = 0; i < 6; ++i)
        s.Faces.push_back({i, (i + 1) % 6, 6});
    const int64_t area = SoundArea(s);
    ApplyChange(s, DeletePoint(s, 6));
    EXPECT_EQ(SoundArea(s), area);
    EXPECT_EQ(s.Faces.size(), 4u);
    ExpectDelaunayFrom(s, 0);
}

TEST(SurfaceEdits, EditsThatCannotBeMadeAreRefusedWithTheSurfaceUntouched) {
    TSurfaceData dart; // a quadrilateral with a reflex corner at (4, 2)
    dart.Points = {{0, 0, 0}, {10, 0, 0}, {4, 2, 0}, {0, 10, 0}};
    dart.Faces = {{0, 1, 2}, {0, 2, 3}};
    const TSurfaceData grid = Grid();
    const std::function<void()> refused[] = {
        [&] { SwapSide(dart, 0, 1); },
        [&] { SwapSide(grid, 0, 5); }, // no shared side
        [&] {
            AddPoint(grid, {50, 50, 0});
        },
        [&] {
            AddPoint(grid, {10, 10, 0});
        }, // a point is there
        [&] {
            AddPoint(grid, {5, 5, NAN});
        },
        [&] {
            AddBreakline(grid, {{5, 5, 0}, {60, 5, 0}});
        },
        [&] {
            AddBreakline(grid, {{5, 5, 0}, {5, 5, 1}});
        },
        [&] {
            AddBreakline(grid, {{5, 5, 0}, {35, 35, 0}, {35, 6, 0}, {5, 36, 0}});
        }, // crosses
        [&] {
            DeleteFaces(grid, FacesInsidePolygon(grid, {{-1, -1}, {41, -1}, {41, 41}, {-1, 41}}));
        },
        [&] { DeleteFaces(grid, {32}); },
        [&] { DeletePoint(grid, 25); },
    };
    for (std::size_t i = 0; i < std::size(refused); ++i)
        EXPECT_THROW(refused[i](), EEditRefused) << "case " << i;
}

TEST(SurfaceEdits, LongOutlineTrianglesGoFromTheOutlineInward) {
    // A row of points and one far above: the fan's outer triangles have long sides, and as
    // they go the next ones reach the outline.
    TSurfaceData s;
    for (int i = 0; i < 5; ++i)
        s.Points.push_back({10.0 * i, 0, 0});
    s.Points.push_back({20, 100, 0});
    s.Points.push_back({20, -5, 0});
    for (uint32_t i = 0; i < 4; ++i)
        s.Faces.push_back({i, i + 1, 5}); // sides of about 100 m
    for (uint32_t i = 0; i < 4; ++i)
        s.Faces.push_back({i + 1, i, 6}); // sides of at most 21 m
    EXPECT_EQ(LongOutlineFaces(s, 50), (std::vector<uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(LongOutlineFaces(s, 200), std::vector<uint32_t>{});
    EXPECT_EQ(LongOutlineFaces(s, 0), std::vector<uint32_t>{});
}

TEST(SurfaceEdits, TheModelIsEditedAsItsOwnPointsAndFacesAndUndoneOnTheStack) {
    TSurfaceData grid = Grid();
    grid.Name = "Grid";
    TVandrelTINModel model;
    BuildModel(model, TSurfaceData(grid));
    TSurfaceData s = SurfaceOfModel(model);
    EXPECT_EQ(s.Faces, grid.Faces);
    EXPECT_EQ(s.Name, "Grid");

    int shown = 0;
    QUndoStack stack;
    auto push = [&](TSurfaceChange change) {
        ApplyChange(s, change);
        stack.push(new TEditCommand("Edit", s, std::move(change), [&] { ++shown; }));
    };
    push(DeleteFaces(s, {0}));
    push(AddPoint(s, {25, 25, 7}));
    EXPECT_EQ(shown, 0) << "the push makes no edit twice";
    const TSurfaceData edited = s;
    stack.undo();
    stack.undo();
    EXPECT_EQ(s.Faces, grid.Faces);
    stack.redo();
    stack.redo();
    EXPECT_EQ(s.Faces, edited.Faces);
    EXPECT_EQ(shown, 4);
}
