#include "Volumes.h"
#include "Boundary.h"
#include "Overlay.h"
#include "model/TriangleIndex.h"
#include "platform/Shares.h"

#include <cmath>
#include <optional>
#include <utility>

void TCompensatedSum::Add(double value) {
    const double sum = FSum + value;
    FCompensation +=
        std::abs(FSum) >= std::abs(value) ? (FSum - sum) + value : (value - sum) + FSum;
    FSum = sum;
}

namespace {
struct TVolumeSums {
    TCompensatedSum Cut, Fill, CutArea, FillArea, Area, UnchangedArea;
    TVolumes Value() const {
        return {Cut.Value(),      Fill.Value(), CutArea.Value(),
                FillArea.Value(), Area.Value(), UnchangedArea.Value()};
    }
    void Add(const TVolumeSums& other) {
        for (auto [into, from] : {std::pair{&Cut, &other.Cut},
                                  {&Fill, &other.Fill},
                                  {&CutArea, &other.CutArea},
                                  {&FillArea, &other.FillArea},
                                  {&Area, &other.Area},
                                  {&UnchangedArea, &other.UnchangedArea}})
            into->Add(*from);
    }
};

// How e, linear over a triangle and e[k] at its corners, divides it at e = 0: how many corners
// lie above and below 0 and, where both sides hold some, the corner alone on its side and the
// fractions of its two sides at which e is 0 (the part there is the triangle's area times both).
struct TSplit {
    int Above = 0, Below = 0;
    bool LonelyAbove = false;
    int Lonely = 0;
    double T1 = 0, T2 = 0;
};

TSplit SplitOf(const double e[3]) {
    TSplit split;
    for (int i = 0; i < 3; ++i) {
        split.Above += e[i] > 0;
        split.Below += e[i] < 0;
    }
    if (split.Above == 0 || split.Below == 0)
        return split;
    split.LonelyAbove = split.Above == 1;
    int& k = split.Lonely;
    while (split.LonelyAbove ? !(e[k] > 0) : !(e[k] < 0))
        ++k;
    const double ek = e[k], e1 = e[(k + 1) % 3], e2 = e[(k + 2) % 3];
    split.T1 = ek / (ek - e1);
    split.T2 = ek / (ek - e2);
    return split;
}

// The split of -e from e's: negating is exact, so the lonely corner's fractions are the same to
// the bit; only where one corner is above, one below and one on 0 is the lonely corner another.
TSplit NegatedSplit(const TSplit& split, const double e[3]) {
    if (split.Above == 1 && split.Below == 1) {
        const double negated[3] = {-e[0], -e[1], -e[2]};
        return SplitOf(negated);
    }
    TSplit negated = split;
    std::swap(negated.Above, negated.Below);
    negated.LonelyAbove = negated.Above == 1;
    return negated;
}

// The plan area of the part of a triangle of plan area `area` where e, split as given, is above
// 0: all of it where no corner is below (and one above), none where no corner is above.
double AreaAbove(double area, const TSplit& split) {
    if (split.Below == 0)
        return split.Above > 0 ? area : 0;
    if (split.Above == 0)
        return 0;
    const double partArea = area * split.T1 * split.T2;
    return split.LonelyAbove ? partArea : area - partArea;
}

// One triangle of plan area `area` whose difference is d[0..2] at its corners: its volumes
// over it all, its cut and fill areas where |d| exceeds the tolerance.
void AddTriangle(double area, const double d[3], double tolerance, TVolumeSums& sums) {
    const double whole = area * (d[0] + d[1] + d[2]) / 3; // the integral of d over the triangle
    sums.Area.Add(area);
    const TSplit split = SplitOf(d);
    double fillArea, cutArea;
    if (tolerance == 0) { // d - 0 is d: the split of d serves for both
        fillArea = AreaAbove(area, split);
        cutArea = AreaAbove(area, NegatedSplit(split, d));
    } else {
        const double beyondAbove[3] = {d[0] - tolerance, d[1] - tolerance, d[2] - tolerance};
        const double beyondBelow[3] = {-d[0] - tolerance, -d[1] - tolerance, -d[2] - tolerance};
        fillArea = AreaAbove(area, SplitOf(beyondAbove));
        cutArea = AreaAbove(area, SplitOf(beyondBelow));
    }
    sums.FillArea.Add(fillArea);
    sums.CutArea.Add(cutArea);
    sums.UnchangedArea.Add(area - fillArea - cutArea);
    if (split.Below == 0)
        return sums.Fill.Add(whole);
    if (split.Above == 0)
        return sums.Cut.Add(-whole);
    // The lonely corner's part: its area times d there / 3.
    const double part = area * split.T1 * split.T2 * d[split.Lonely] / 3;
    if (split.LonelyAbove) {
        sums.Fill.Add(part);
        sums.Cut.Add(part - whole);
    } else {
        sums.Cut.Add(-part);
        sums.Fill.Add(whole - part);
    }
}

bool Finite(const TTriVertex* v) {
    return v && std::isfinite(v->Easting) && std::isfinite(v->Northing) && std::isfinite(v->Value);
}

// The triangles first..last-1 into sums.
void AddTriangles(const TTriangles& triangles, int first, int last, double level, double tolerance,
                  TVolumeSums& sums) {
    for (int i = first; i < last; ++i) {
        const TTriangle* t = triangles.TriangleAt(i);
        if (!t)
            continue;
        const TTriVertex *a = t->Vertex(1), *b = t->Vertex(2), *c = t->Vertex(3);
        if (!Finite(a) || !Finite(b) || !Finite(c))
            continue;
        const double area = std::abs((b->Easting - a->Easting) * (c->Northing - a->Northing) -
                                     (c->Easting - a->Easting) * (b->Northing - a->Northing)) /
                            2;
        if (!(area > 0) || !std::isfinite(area))
            continue;
        const double d[3] = {level - a->Value, level - b->Value, level - c->Value};
        AddTriangle(area, d, tolerance, sums);
    }
}
} // namespace

TVolumes VolumesToLevel(const TTriangles& triangles, double level, double tolerance) {
    // Consecutive parts on every core, their sums added in order: the same figures each run.
    const int shares = SharesFor(triangles.Count());
    std::vector<TVolumeSums> parts(static_cast<size_t>(shares));
    RunInShares(shares, triangles.Count(), [&](int share, int first, int last) {
        AddTriangles(triangles, first, last, level, tolerance, parts[size_t(share)]);
    });
    TVolumeSums sums;
    for (const TVolumeSums& part : parts)
        sums.Add(part);
    return sums.Value();
}

namespace {
// The overlay's pieces, each split into a fan of triangles from its first corner; pieces that
// count -1 go into sums of their own, taken off at the end.
class TPieceVolumes : public TOverlayVisitor {
public:
    TPieceVolumes(double level, double tolerance) : FLevel{level, 0, 0}, FTolerance(tolerance) {}
    void Piece(const TPiece& piece, const TPlane& model, const TPlane* surface,
               int weight) override {
        TVolumeSums& sums = weight > 0 ? Plus : Minus;
        auto d = [&](const TPieceCorner& p) {
            return DifferenceAt(model, surface ? *surface : FLevel, p);
        };
        const TPieceCorner& o = piece.P[0];
        const double d0 = d(o);
        double previous = d(piece.P[1]);
        for (int i = 1; i + 1 < piece.Count; ++i) {
            const TPieceCorner &p = piece.P[i], &q = piece.P[i + 1];
            const double next = d(q);
            const double area = std::abs((p.X - o.X) * (q.Y - o.Y) - (q.X - o.X) * (p.Y - o.Y)) / 2;
            const double corners[3] = {d0, previous, next};
            if (area > 0)
                AddTriangle(area, corners, FTolerance, sums);
            previous = next;
        }
    }
    TVolumeSums Plus, Minus;

private:
    TPlane FLevel;
    double FTolerance;
};

TVolumes Difference(const TVolumes& a, const TVolumes& b) {
    return {a.Cut - b.Cut,           a.Fill - b.Fill, a.CutArea - b.CutArea,
            a.FillArea - b.FillArea, a.Area - b.Area, a.UnchangedArea - b.UnchangedArea};
}
} // namespace

TVolumes CompareVolumes(const TTriangles& model, const TComparison& with,
                        const TBoundary* boundary) {
    std::optional<TBoundaryTrapezoids> trapezoids;
    if (boundary)
        trapezoids.emplace(*boundary);
    TVolumeSums plus, minus;
    for (const TPieceVolumes& part :
         OverlayInShares(model, with.Surface, trapezoids ? &*trapezoids : nullptr,
                         TPieceVolumes(with.Level, with.Tolerance))) {
        plus.Add(part.Plus);
        minus.Add(part.Minus);
    }
    return Difference(plus.Value(), minus.Value());
}

std::vector<TFigure> VolumeFigures(const TVolumes& v, bool withUnchanged) {
    std::vector<TFigure> figures{{"cut", "cut", v.Cut, 3},
                                 {"fill", "fill", v.Fill, 3},
                                 {"net", "net", v.Net(), 3},
                                 {"cut area", "cutArea", v.CutArea, 2},
                                 {"fill area", "fillArea", v.FillArea, 2},
                                 {"area", "area", v.Area, 2}};
    if (withUnchanged)
        figures.push_back({"unchanged area", "unchangedArea", v.UnchangedArea, 2});
    return figures;
}
