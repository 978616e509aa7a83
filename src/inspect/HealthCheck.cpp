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

    const TTriVertices& vertices = model.Vertices();
    for (int i = 0; i < vertices.Count(); ++i) {
        const TTriVertex* v = vertices.VertexAt(i);
        if (!v)
            continue;
        if (!Within(v->Easting, minE, maxE) || !Within(v->Northing, minN, maxN))
            report.AddEntityProblem(ekPoint, i, PointOutsideLimits, nullptr);
        else if (!std::isfinite(v->Value)) // its coordinates may be fine: its own text
            report.AddEntityProblem(ekPoint, i, ValueNotANumber, nullptr);
    }

    // The triangles' tests are independent: consecutive shares on every core collect their
    // problems, which are reported share after share, in the order of one core.
    const TTriangles& triangles = model.Triangles();
    if (shares <= 0)
        shares = triangles.Count() < 100000 ? 1 : CoreCount();
    std::vector<std::vector<std::pair<TTriangle*, QString>>> found(static_cast<size_t>(shares));
    RunInShares(shares, triangles.Count(), [&](int share, int first, int last) {
        auto& problems = found[size_t(share)];
        for (int i = first; i < last; ++i) {
            TTriangle* t = triangles.TriangleAt(i);
            if (!t)
                continue;
            if (QString problem = TriangleProblem(*t); !problem.isEmpty())
                problems.emplace_back(t, std::move(problem));
        }
    });
    for (const auto& problems : found)
        for (const auto& [t, problem] : problems)
            report.AddEntityProblem(ekTriangle, t->Number, problem, t);
    return report.Count;
}
