#include "HealthCheck.h"
#include "model/Geometry.h"
#include "platform/Shares.h"
#include "vrk/VRKModel.h"

#include <cmath>
#include <utility>
#include <vector>

namespace {
constexpr double CoincidenceTolerance = 0.0001; // on the squared distance
constexpr double MinimumAltitude = 0.000001;
constexpr double MinimumThinness = 0.005;
const char OutsideLimits[] = "Outside header limits";
const QString PointOutsideLimits = QStringLiteral("Coordinates outside header limits");
const QString ValueNotANumber = QStringLiteral("Value is not a number");

// Written so that a value that is not a number lies outside any limits.
bool Within(double value, double minimum, double maximum) {
    return value >= minimum && value <= maximum && std::isfinite(value);
}

// Counts the rows it passes on.
class TCountingReport : public THealthReport {
public:
    explicit TCountingReport(THealthReport& target) : FTarget(target) {}
    void AddProblem(const QString& entity, const QString& problem, TTriangle* triangle) override {
        FTarget.AddProblem(entity, problem, triangle);
        ++Count;
    }
    void AddEntityProblem(TEntityKind kind, int number, const QString& problem,
                          TTriangle* triangle) override {
        FTarget.AddEntityProblem(kind, number, problem, triangle);
        ++Count;
    }
    int Count = 0;

private:
    THealthReport& FTarget;
};

const QString* PointProblem(const TTriVertex& v, const TVRKHeader& h) {
    if (!Within(v.Easting, h.MinimumEasting, h.MaximumEasting) ||
        !Within(v.Northing, h.MinimumNorthing, h.MaximumNorthing))
        return &PointOutsideLimits;
    if (!std::isfinite(v.Value)) // its coordinates may be fine: its own text
        return &ValueNotANumber;
    return nullptr;
}

// The triangle tests wait on memory: a triangle's vertices and neighbours may lie anywhere.
// Asking for them some triangles ahead lets those reads overlap. Asking also for the neighbours'
// vertices would first wait for the neighbour itself: that made the check of a model stored in
// spatial order a third slower, and one built from scattered points no faster.
void PrefetchAhead(const TTriangles& triangles, int i, int last) {
    constexpr int Links = 24;
    if (i + Links < last)
        if (const TTriangle* ahead = triangles.TriangleAt(i + Links))
            ahead->PrefetchLinks();
}

// A triangle's corners, each read once: the check runs over tens of millions of triangles.
struct TCorners {
    explicit TCorners(const TTriangle& t) : Vertex{t.Vertex(1), t.Vertex(2), t.Vertex(3)} {}
    const TTriVertex* Vertex[3];
};

// Side k (0..2) runs from corner k to corner k + 1.
int Next(int k) {
    return k == 2 ? 0 : k + 1;
}
int Previous(int k) {
    return k == 0 ? 2 : k - 1;
}

// The neighbour tests of every side in turn; the first that fails.
const char* NeighbourProblem(const TTriangle& t, const TCorners& corners,
                             const TPoint3D (&corner)[3]) {
    const TTriangle* neighbours[3] = {t.Neighbour(1), t.Neighbour(2), t.Neighbour(3)};
    for (int k = 0; k < 3; ++k) {
        const TTriangle* neighbour = neighbours[k];
        if (!neighbour)
            continue;
        if (neighbour == &t)
            return "Neighbour is itself";
        if (neighbour == neighbours[Next(k)])
            return "Duplicate neighbours";
        const TCorners across(*neighbour);
        const TTriVertex* a = corners.Vertex[k];
        const TTriVertex* b = corners.Vertex[Next(k)];
        auto cornerOf = [&](const TTriVertex* v) { // as TTriangle::IndexOfVertex, from 0
            return v == across.Vertex[0] ? 0 : v == across.Vertex[1] ? 1 : 2;
        };
        const int ia = cornerOf(a), ib = cornerOf(b);
        if (across.Vertex[ia] != a || across.Vertex[ib] != b)
            return "Neighbour does not share points";
        // The neighbour's side from a to b in either direction (TTriangle::SideOf), and the
        // corner opposite it: on the same side of the line as this triangle's third corner,
        // the two triangles overlap.
        const int side = across.Vertex[Next(ia)] == b ? ia : Previous(ia);
        const TPoint3D apex = VertexPoint(*across.Vertex[Previous(side)]);
        const TPoint3D& pa = corner[k];
        const TPoint3D& pb = corner[Next(k)];
        if (IsRightOf(pa, pb, corner[Previous(k)]) == IsRightOf(pa, pb, apex))
            return "Crossing triangles";
    }
    return nullptr;
}

// The triangle's tests in order, with the arithmetic of the triangle's own geometry functions,
// so that every row is theirs to the last bit. The squared length of a side is also its
// corners' squared distance: one sum serves both tests.
const char* FirstTriangleProblem(const TTriangle& t) {
    const TCorners corners(t);
    const TTriVertex *v1 = corners.Vertex[0], *v2 = corners.Vertex[1], *v3 = corners.Vertex[2];
    if (v1 == v2 || v1 == v3 || v2 == v3)
        return "Duplicate vertex index";
    const TPoint3D corner[3] = {VertexPoint(*v1), VertexPoint(*v2), VertexPoint(*v3)};
    double squared[3];
    for (int k = 0; k < 3; ++k) {
        const TPoint3D d = Subtract3D(corner[k], corner[Next(k)]);
        squared[k] = d.X * d.X + d.Y * d.Y + d.Z * d.Z;
    }
    // Coincidence is asked of 1-2, 1-3 and 2-3; side 3 runs 3-1, whose squares are the same.
    if (squared[0] <= CoincidenceTolerance || squared[2] <= CoincidenceTolerance ||
        squared[1] <= CoincidenceTolerance)
        return "Duplicate vertex coordinates";
    double shortest = std::sqrt(squared[0]), longest = shortest;
    for (int k = 1; k < 3; ++k) {
        const double side = std::sqrt(squared[k]);
        if (side > longest)
            longest = side;
        if (side < shortest)
            shortest = side;
    }
    if (shortest == 0)
        return "Zero-length side";
    const double altitude = TriangleArea3D(corner[0], corner[1], corner[2]) / longest * 2;
    if (altitude < MinimumAltitude)
        return "Zero-area triangle";
    if (const char* problem = NeighbourProblem(t, corners, corner))
        return problem;
    if (altitude / longest < MinimumThinness)
        return "Thin triangle";
    return nullptr;
}

struct TRow {
    int Number;
    QString Problem;
    TTriangle* Triangle;
};
using TSharedRows = std::vector<std::vector<TRow>>;

void ReportInOrder(const TSharedRows& shares, TEntityKind kind, THealthReport& report) {
    for (const auto& rows : shares)
        for (const TRow& row : rows)
            report.AddEntityProblem(kind, row.Number, row.Problem, row.Triangle);
}
} // namespace

QString EntityText(TEntityKind kind, int number) {
    static const char* const names[] = {"Point", "Triangle", "Edge", "Start point"};
    return QString("%1 %2").arg(names[kind]).arg(number);
}

QString ProblemSummary(int problemCount) {
    return QString("%1 problems found").arg(problemCount);
}

int CheckModel(const TVandrelTINModel& model, THealthReport& target, int shares) {
    TCountingReport report(target);
    const TVRKHeader& h = model.Header;
    const double minE = h.MinimumEasting, maxE = h.MaximumEasting;
    const double minN = h.MinimumNorthing, maxN = h.MaximumNorthing;
    const double northingOffset = h.NorthingOffsetValue, eastingOffset = h.EastingOffsetValue;
    if (!Within(northingOffset, minN, maxN))
        report.AddProblem("NorthingOffsetValue", OutsideLimits, nullptr);
    if (!Within(eastingOffset, minE, maxE))
        report.AddProblem("EastingOffsetValue", OutsideLimits, nullptr);

    // The tests of different points, and of different triangles, are independent: consecutive
    // shares on every core collect their problems, which are reported share after share, in
    // the order of one core.
    const TTriVertices& vertices = model.Vertices();
    const TTriangles& triangles = model.Triangles();
    if (shares <= 0)
        shares = SharesFor(triangles.Count());
    TSharedRows pointRows(shares);
    RunInShares(shares, vertices.Count(), [&](int share, int first, int last) {
        auto& rows = pointRows[size_t(share)];
        for (int i = first; i < last; ++i)
            if (const TTriVertex* v = vertices.VertexAt(i))
                if (const QString* problem = PointProblem(*v, h))
                    rows.push_back({i, *problem, nullptr});
    });
    ReportInOrder(pointRows, ekPoint, report);

    TSharedRows triangleRows(shares);
    RunInShares(shares, triangles.Count(), [&](int share, int first, int last) {
        auto& rows = triangleRows[size_t(share)];
        for (int i = first; i < last; ++i) {
            PrefetchAhead(triangles, i, last);
            TTriangle* t = triangles.TriangleAt(i);
            if (!t)
                continue;
            if (const char* problem = FirstTriangleProblem(*t))
                rows.push_back({t->Number, problem, t});
        }
    });
    ReportInOrder(triangleRows, ekTriangle, report);
    return report.Count;
}
