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

bool SharesBothPoints(const TTriangle& neighbour, const TTriVertex* p, const TTriVertex* q) {
    return neighbour.Vertex(neighbour.IndexOfVertex(p)) == p &&
           neighbour.Vertex(neighbour.IndexOfVertex(q)) == q;
}

QString NeighbourProblem(const TTriangle& t) {
    for (int k = 1; k <= 3; ++k) {
        const TTriangle* neighbour = t.Neighbour(k);
        if (!neighbour)
            continue;
        if (neighbour == &t)
            return "Neighbour is itself";
        if (neighbour == t.Neighbour(NextSide(k)))
            return "Duplicate neighbours";
        if (!SharesBothPoints(*neighbour, t.Vertex(k), t.Vertex(NextSide(k))))
            return "Neighbour does not share points";
        if (t.CrossesNeighbour(k))
            return "Crossing triangles";
    }
    return {};
}
const QString* PointProblem(const TTriVertex& v, const TVRKHeader& h) {
    if (!Within(v.Easting, h.MinimumEasting, h.MaximumEasting) ||
        !Within(v.Northing, h.MinimumNorthing, h.MaximumNorthing))
        return &PointOutsideLimits;
    if (!std::isfinite(v.Value)) // its coordinates may be fine: its own text
        return &ValueNotANumber;
    return nullptr;
}

// The triangle tests wait on memory: a triangle's vertices and neighbours, and the neighbours'
// vertices, may lie anywhere. Asking for them some triangles ahead lets those reads overlap.
void PrefetchAhead(const TTriangles& triangles, int i, int last) {
    constexpr int Links = 24, NeighbourCorners = 8;
    if (i + Links < last)
        if (const TTriangle* ahead = triangles.TriangleAt(i + Links))
            ahead->PrefetchLinks();
    if (i + NeighbourCorners < last)
        if (const TTriangle* ahead = triangles.TriangleAt(i + NeighbourCorners))
            for (int k = 1; k <= 3; ++k)
                if (const TTriangle* neighbour = ahead->Neighbour(k))
                    neighbour->PrefetchLinks();
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

QString TriangleProblem(const TTriangle& t) {
    const TTriVertex *v1 = t.Vertex(1), *v2 = t.Vertex(2), *v3 = t.Vertex(3);
    if (v1 == v2 || v1 == v3 || v2 == v3)
        return "Duplicate vertex index";
    if (VerticesCoincide(v1, v2, CoincidenceTolerance) ||
        VerticesCoincide(v1, v3, CoincidenceTolerance) ||
        VerticesCoincide(v2, v3, CoincidenceTolerance))
        return "Duplicate vertex coordinates";
    int shortestSide, longestSide;
    double shortest, longest;
    t.SideLengths(shortestSide, longestSide, shortest, longest);
    if (shortest == 0)
        return "Zero-length side";
    const double altitude = t.Area() / longest * 2;
    if (altitude < MinimumAltitude)
        return "Zero-area triangle";
    if (QString problem = NeighbourProblem(t); !problem.isEmpty())
        return problem;
    if (altitude / longest < MinimumThinness)
        return "Thin triangle";
    return {};
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
        shares = triangles.Count() < 100000 ? 1 : CoreCount();
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
            if (QString problem = TriangleProblem(*t); !problem.isEmpty())
                rows.push_back({t->Number, std::move(problem), t});
        }
    });
    ReportInOrder(triangleRows, ekTriangle, report);
    return report.Count;
}
