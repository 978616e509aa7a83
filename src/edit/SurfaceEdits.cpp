#include "SurfaceEdits.h"

#include "HoleFilling.h"
#include "build/OutlinePeeling.h"
#include "compare/Boundary.h"
#include "vrk/VRKModel.h"

#include <algorithm>
#include <numeric>
#include <set>
#include <unordered_set>

namespace {
TPlanPoint PlanOf(const TSurfacePoint& p) {
    return {p.Easting, p.Northing};
}

// Each point's number once the removed points are out (those removed keep theirs).
std::vector<uint32_t> NumbersWithout(std::size_t count,
                                     const std::vector<std::pair<uint32_t, TSurfacePoint>>& gone) {
    std::vector<uint32_t> number(count);
    uint32_t below = 0;
    for (uint32_t i = 0, next = 0; i < count; ++i) {
        if (next < gone.size() && gone[next].first == i) {
            ++next;
            ++below;
        }
        number[i] = i - below;
    }
    return number;
}

// Takes out the points that only removed faces used, and numbers the added faces' corners
// (old points by their place before the change, added ones from the old count on) as they are
// after it.
void FinishChange(const TSurfaceData& surface, TSurfaceChange& change) {
    std::vector<uint32_t> uses(surface.Points.size(), 0);
    for (const TFace& face : surface.Faces)
        for (const uint32_t corner : face)
            ++uses[corner];
    for (const auto& [index, face] : change.RemovedFaces)
        for (const uint32_t corner : face)
            --uses[corner];
    for (const TFace& face : change.AddedFaces)
        for (const uint32_t corner : face)
            if (corner < uses.size())
                ++uses[corner];
    std::set<uint32_t> gone;
    for (const auto& [index, face] : change.RemovedFaces)
        for (const uint32_t corner : face)
            if (uses[corner] == 0)
                gone.insert(corner);
    for (const uint32_t point : gone)
        change.RemovedPoints.emplace_back(point, surface.Points[point]);
    if (gone.empty())
        return;
    const std::vector<uint32_t> number =
        NumbersWithout(surface.Points.size(), change.RemovedPoints);
    const auto shift = static_cast<uint32_t>(gone.size());
    for (TFace& face : change.AddedFaces)
        for (uint32_t& corner : face)
            corner = corner < number.size() ? number[corner] : corner - shift;
}

double SquaredLength(const TSurfacePoint& a, const TSurfacePoint& b) {
    const double dx = a.Easting - b.Easting, dy = a.Northing - b.Northing;
    return dx * dx + dy * dy;
}

// The faces in ascending order, each once, as a change takes them out.
std::vector<std::pair<uint32_t, TFace>> Removal(const TSurfaceData& surface,
                                                std::vector<uint32_t> faces) {
    std::sort(faces.begin(), faces.end());
    faces.erase(std::unique(faces.begin(), faces.end()), faces.end());
    std::vector<std::pair<uint32_t, TFace>> removed;
    for (const uint32_t f : faces) {
        if (f >= surface.Faces.size())
            throw EEditRefused("There is no such triangle.");
        removed.emplace_back(f, surface.Faces[f]);
    }
    return removed;
}

// The faces whose closed area holds the point.
std::vector<uint32_t> FacesAt(const TSurfaceData& surface, const TPlanPoint& p) {
    std::vector<uint32_t> found;
    for (uint32_t f = 0; f < surface.Faces.size(); ++f)
        if (FaceHolds(surface, surface.Faces[f], p))
            found.push_back(f);
    return found;
}

std::optional<uint32_t> PointAt(const TSurfaceData& surface, const TPlanPoint& p) {
    for (uint32_t i = 0; i < surface.Points.size(); ++i)
        if (PlanOf(surface.Points[i]) == p)
            return i;
    return std::nullopt;
}

void RequireFinite(const TSurfacePoint& p) {
    if (!std::isfinite(p.Easting) || !std::isfinite(p.Northing) || !std::isfinite(p.Value))
        throw EEditRefused("A coordinate or an elevation is not a finite number.");
}
// Puts the items back at their places (ascending) among the others.
template <class T>
void ReinsertAtPlaces(std::vector<T>& items, const std::vector<std::pair<uint32_t, T>>& places) {
    if (places.empty())
        return;
    // Back to front, each item kept moves up past the ones put back before it.
    const std::size_t kept = items.size();
    items.resize(kept + places.size());
    std::size_t from = kept, next = places.size();
    for (std::size_t to = items.size(); to-- > places.front().first;) {
        if (next > 0 && places[next - 1].first == to)
            items[to] = places[--next].second;
        else
            items[to] = items[--from];
    }
}
} // namespace

void ApplyChange(TSurfaceData& surface, const TSurfaceChange& change) {
    std::vector<TFace>& faces = surface.Faces;
    if (!change.RemovedFaces.empty()) {
        std::size_t out = change.RemovedFaces.front().first, next = 0;
        for (std::size_t f = out; f < faces.size(); ++f) {
            if (next < change.RemovedFaces.size() && change.RemovedFaces[next].first == f) {
                ++next;
                continue;
            }
            faces[out++] = faces[f];
        }
        faces.resize(out);
    }
    if (!change.RemovedPoints.empty()) {
        const std::vector<uint32_t> number =
            NumbersWithout(surface.Points.size(), change.RemovedPoints);
        for (TFace& face : faces)
            for (uint32_t& corner : face)
                corner = number[corner];
        std::size_t out = change.RemovedPoints.front().first, next = 0;
        for (std::size_t p = out; p < surface.Points.size(); ++p) {
            if (next < change.RemovedPoints.size() && change.RemovedPoints[next].first == p) {
                ++next;
                continue;
            }
            surface.Points[out++] = surface.Points[p];
        }
        surface.Points.resize(out);
    }
    surface.Points.insert(surface.Points.end(), change.AddedPoints.begin(),
                          change.AddedPoints.end());
    faces.insert(faces.end(), change.AddedFaces.begin(), change.AddedFaces.end());
}

void RevertChange(TSurfaceData& surface, const TSurfaceChange& change) {
    std::vector<TFace>& faces = surface.Faces;
    faces.resize(faces.size() - change.AddedFaces.size());
    surface.Points.resize(surface.Points.size() - change.AddedPoints.size());
    if (!change.RemovedPoints.empty()) {
        ReinsertAtPlaces(surface.Points, change.RemovedPoints);
        const std::vector<uint32_t> number =
            NumbersWithout(surface.Points.size(), change.RemovedPoints);
        std::vector<uint32_t> old(surface.Points.size() - change.RemovedPoints.size());
        for (uint32_t i = 0, next = 0; i < number.size(); ++i) {
            if (next < change.RemovedPoints.size() && change.RemovedPoints[next].first == i)
                ++next;
            else
                old[number[i]] = i;
        }
        for (TFace& face : faces)
            for (uint32_t& corner : face)
                corner = old[corner];
    }
    ReinsertAtPlaces(faces, change.RemovedFaces);
}

TSurfaceData SurfaceOfModel(const TVandrelTINModel& model) {
    TSurfaceData surface;
    surface.Name = model.InternalName;
    surface.Units = model.Header.CoordinateUnits;
    const TTriVertices& vertices = model.Vertices();
    surface.Points.reserve(static_cast<std::size_t>(vertices.Count()));
    for (int i = 0; i < vertices.Count(); ++i) {
        const TTriVertex* v = vertices.VertexAt(i);
        surface.Points.push_back({v->Easting, v->Northing, v->Value});
    }
    const TTriangles& triangles = model.Triangles();
    surface.Faces.reserve(static_cast<std::size_t>(triangles.Count()));
    for (int t = 0; t < triangles.Count(); ++t) {
        const TTriangle* triangle = triangles.TriangleAt(t);
        TFace face{};
        for (int k = 1; k <= 3; ++k) {
            const TTriVertex* v = triangle->Vertex(k);
            if (!v || v->Number < 1 || v->Number > vertices.Count() ||
                vertices.VertexAt(v->Number - 1) != v)
                throw EEditRefused(QString("Triangle %1 lacks a corner of the model's own: the "
                                           "model cannot be edited.")
                                       .arg(t + 1)
                                       .toStdString());
            face[k - 1] = static_cast<uint32_t>(v->Number - 1);
        }
        surface.Faces.push_back(face);
    }
    return surface;
}

TSurfaceChange DeleteFaces(const TSurfaceData& surface, std::vector<uint32_t> faces) {
    TSurfaceChange change;
    change.RemovedFaces = Removal(surface, std::move(faces));
    if (change.RemovedFaces.empty())
        throw EEditRefused("No triangle is to be deleted.");
    if (change.RemovedFaces.size() == surface.Faces.size())
        throw EEditRefused("A model keeps at least one triangle.");
    FinishChange(surface, change);
    return change;
}

std::vector<uint32_t> FacesInsidePolygon(const TSurfaceData& surface,
                                         const std::vector<TPlanPoint>& polygon) {
    std::vector<uint32_t> inside;
    if (polygon.size() < 3)
        return inside;
    const TBoundary ring{{polygon}};
    for (uint32_t f = 0; f < surface.Faces.size(); ++f) {
        TPlanPoint centroid{0, 0};
        for (const uint32_t corner : surface.Faces[f]) {
            centroid.X += surface.Points[corner].Easting / 3;
            centroid.Y += surface.Points[corner].Northing / 3;
        }
        if (BoundaryHolds(ring, centroid))
            inside.push_back(f);
    }
    return inside;
}

std::vector<uint32_t> LongOutlineFaces(const TSurfaceData& surface, double maxEdge) {
    std::vector<uint32_t> gone;
    if (!(maxEdge > 0))
        return gone;
    const std::vector<std::array<int64_t, 3>> neighbours = FaceNeighbours(surface);
    std::vector<bool> removed(surface.Faces.size(), false);
    std::vector<int64_t> faces(surface.Faces.size());
    std::iota(faces.begin(), faces.end(), 0);
    PeelLongOutline(
        faces, [&](int64_t f) { return f < 0 || removed[size_t(f)]; },
        [&](int64_t f, int k) { return neighbours[size_t(f)][size_t(k)]; },
        [&](int64_t f) {
            const TFace& face = surface.Faces[size_t(f)];
            for (int k = 0; k < 3; ++k)
                if (SquaredLength(surface.Points[face[k]], surface.Points[face[(k + 1) % 3]]) >
                    maxEdge * maxEdge)
                    return true;
            return false;
        },
        [&](int64_t f) {
            removed[size_t(f)] = true;
            gone.push_back(uint32_t(f));
        });
    std::sort(gone.begin(), gone.end());
    return gone;
}

TSurfaceChange SwapSide(const TSurfaceData& surface, uint32_t face, uint32_t other) {
    if (face >= surface.Faces.size() || other >= surface.Faces.size() || face == other)
        throw EEditRefused("There is no such triangle.");
    const TFace &a = surface.Faces[face], &b = surface.Faces[other];
    // The shared side u-v, a's third corner w and b's third corner x.
    std::vector<uint32_t> shared;
    for (const uint32_t c : a)
        if (std::find(b.begin(), b.end(), c) != b.end())
            shared.push_back(c);
    if (shared.size() != 2)
        throw EEditRefused("The two triangles do not share a side.");
    auto third = [&](const TFace& f) {
        for (const uint32_t c : f)
            if (c != shared[0] && c != shared[1])
                return c;
        return f[0];
    };
    const uint32_t u = shared[0], v = shared[1], w = third(a), x = third(b);
    const auto& p = surface.Points;
    const int uSide = Orientation(PlanOf(p[w]), PlanOf(p[x]), PlanOf(p[u]));
    const int vSide = Orientation(PlanOf(p[w]), PlanOf(p[x]), PlanOf(p[v]));
    const int wSide = Orientation(PlanOf(p[u]), PlanOf(p[v]), PlanOf(p[w]));
    const int xSide = Orientation(PlanOf(p[u]), PlanOf(p[v]), PlanOf(p[x]));
    if (uSide * vSide >= 0 || wSide * xSide >= 0)
        throw EEditRefused("The two triangles do not make a convex quadrilateral: their side "
                           "cannot be swapped.");
    TSurfaceChange change;
    change.RemovedFaces = Removal(surface, {face, other});
    change.AddedFaces = {Anticlockwise(surface, {w, x, u}), Anticlockwise(surface, {x, w, v})};
    FinishChange(surface, change);
    return change;
}

TSurfaceChange AddPoint(const TSurfaceData& surface, const TSurfacePoint& point) {
    RequireFinite(point);
    if (PointAt(surface, PlanOf(point)))
        throw EEditRefused("There is a point at that place already.");
    const std::vector<uint32_t> faces = FacesAt(surface, PlanOf(point));
    if (faces.empty())
        throw EEditRefused("The point is not on the surface.");
    TSurfaceChange change;
    change.RemovedFaces = Removal(surface, faces);
    change.AddedPoints = {point};
    change.AddedFaces =
        FillHole(surface, change.RemovedFaces, std::nullopt, change.AddedPoints, {});
    return change;
}

TSurfaceChange DeletePoint(const TSurfaceData& surface, uint32_t point) {
    if (point >= surface.Points.size())
        throw EEditRefused("There is no such point.");
    std::vector<uint32_t> faces;
    for (uint32_t f = 0; f < surface.Faces.size(); ++f)
        if (std::find(surface.Faces[f].begin(), surface.Faces[f].end(), point) !=
            surface.Faces[f].end())
            faces.push_back(f);
    TSurfaceChange change;
    change.RemovedFaces = Removal(surface, faces);
    change.AddedFaces = FillHole(surface, change.RemovedFaces, point, {}, {});
    if (change.AddedFaces.empty() && change.RemovedFaces.size() == surface.Faces.size())
        throw EEditRefused("A model keeps at least one triangle.");
    FinishChange(surface, change);
    return change;
}

TSurfaceChange AddBreakline(const TSurfaceData& surface, const std::vector<TSurfacePoint>& line) {
    // The line's corners as points: one there already, or a new one; a corner repeated in a row
    // is one corner.
    TSurfaceChange change;
    std::vector<uint32_t> corners;
    const auto count = static_cast<uint32_t>(surface.Points.size());
    for (const TSurfacePoint& p : line) {
        RequireFinite(p);
        uint32_t corner;
        if (const std::optional<uint32_t> there = PointAt(surface, PlanOf(p)))
            corner = *there;
        else {
            const auto added =
                std::find_if(change.AddedPoints.begin(), change.AddedPoints.end(),
                             [&](const TSurfacePoint& q) { return PlanOf(q) == PlanOf(p); });
            corner = count + static_cast<uint32_t>(added - change.AddedPoints.begin());
            if (added == change.AddedPoints.end())
                change.AddedPoints.push_back(p);
        }
        if (corners.empty() || corners.back() != corner)
            corners.push_back(corner);
    }
    if (corners.size() < 2)
        throw EEditRefused("A breakline needs two corners at different places.");
    std::vector<std::pair<uint32_t, uint32_t>> segments;
    std::vector<uint32_t> faces;
    auto at = [&](uint32_t c) {
        return c < count ? PlanOf(surface.Points[c]) : PlanOf(change.AddedPoints[c - count]);
    };
    for (std::size_t i = 1; i < corners.size(); ++i) {
        segments.emplace_back(corners[i - 1], corners[i]);
        for (uint32_t f = 0; f < surface.Faces.size(); ++f)
            if (FaceMeetsSegment(surface, surface.Faces[f], at(corners[i - 1]), at(corners[i])))
                faces.push_back(f);
    }
    for (std::size_t c = 0; c < corners.size(); ++c)
        if (FacesAt(surface, at(corners[c])).empty())
            throw EEditRefused("The breakline must lie on the surface.");
    change.RemovedFaces = Removal(surface, faces);
    change.AddedFaces =
        FillHole(surface, change.RemovedFaces, std::nullopt, change.AddedPoints, segments);
    FinishChange(surface, change);
    return change;
}
