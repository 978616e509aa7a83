#include "HoleFilling.h"

#include <CGAL/Constrained_Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>

#include <limits>
#include <map>
#include <unordered_map>

namespace {
using TKernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using TPoint = TKernel::Point_2;
constexpr uint32_t NoPoint = std::numeric_limits<uint32_t>::max();
struct TCorner {
    uint32_t Point = NoPoint; // a crossing of two constraints has none
};
using TVertexBase = CGAL::Triangulation_vertex_base_with_info_2<TCorner, TKernel>;
using TFaceBase = CGAL::Constrained_triangulation_face_base_2<TKernel>;
using TStructure = CGAL::Triangulation_data_structure_2<TVertexBase, TFaceBase>;
using TDelaunay =
    CGAL::Constrained_Delaunay_triangulation_2<TKernel, TStructure, CGAL::Exact_predicates_tag>;

TPoint At(const TPlanPoint& p) {
    return {p.X, p.Y};
}

TPoint At(const TSurfacePoint& p) {
    return {p.Easting, p.Northing};
}

TKernel::Triangle_2 TriangleOf(const TSurfaceData& surface, const TFace& face) {
    return {At(surface.Points[face[0]]), At(surface.Points[face[1]]), At(surface.Points[face[2]])};
}

bool CrossProperly(const TPoint& a, const TPoint& b, const TPoint& c, const TPoint& d) {
    return CGAL::orientation(a, b, c) * CGAL::orientation(a, b, d) < 0 &&
           CGAL::orientation(c, d, a) * CGAL::orientation(c, d, b) < 0;
}
} // namespace

int Orientation(const TPlanPoint& a, const TPlanPoint& b, const TPlanPoint& c) {
    return static_cast<int>(CGAL::orientation(At(a), At(b), At(c)));
}

bool FaceHolds(const TSurfaceData& surface, const TFace& face, const TPlanPoint& p) {
    const TKernel::Triangle_2 triangle = TriangleOf(surface, face);
    return !triangle.is_degenerate() && !triangle.has_on_unbounded_side(At(p));
}

bool FaceMeetsSegment(const TSurfaceData& surface, const TFace& face, const TPlanPoint& a,
                      const TPlanPoint& b) {
    const TKernel::Triangle_2 triangle = TriangleOf(surface, face);
    return !triangle.is_degenerate() &&
           CGAL::do_intersect(triangle, TKernel::Segment_2(At(a), At(b)));
}

TFace Anticlockwise(const TSurfaceData& surface, TFace face) {
    if (CGAL::orientation(At(surface.Points[face[0]]), At(surface.Points[face[1]]),
                          At(surface.Points[face[2]])) == CGAL::CLOCKWISE)
        std::swap(face[1], face[2]);
    return face;
}

std::vector<TFace> FillHole(const TSurfaceData& surface,
                            const std::vector<std::pair<uint32_t, TFace>>& removed,
                            std::optional<uint32_t> gonePoint,
                            const std::vector<TSurfacePoint>& added,
                            const std::vector<std::pair<uint32_t, uint32_t>>& segments) {
    const auto count = static_cast<uint32_t>(surface.Points.size());
    auto pointAt = [&](uint32_t c) {
        return c < count ? At(surface.Points[c]) : At(added[c - count]);
    };
    TDelaunay delaunay;
    std::unordered_map<uint32_t, TDelaunay::Vertex_handle> handles;
    auto insert = [&](uint32_t c) {
        if (c == gonePoint || handles.count(c) > 0)
            return;
        const TDelaunay::Vertex_handle vertex = delaunay.insert(pointAt(c));
        if (vertex->info().Point != NoPoint)
            throw EEditRefused("Two points of the surface lie at one place: it cannot be "
                               "triangulated again there.");
        vertex->info().Point = c;
        handles[c] = vertex;
    };
    // The hole's outline: the sides of one removed face only.
    std::map<std::pair<uint32_t, uint32_t>, int> uses;
    for (const auto& [f, face] : removed)
        for (int k = 0; k < 3; ++k) {
            insert(face[k]);
            ++uses[std::minmax(face[k], face[(k + 1) % 3])];
        }
    for (uint32_t i = 0; i < added.size(); ++i)
        insert(count + i);
    std::vector<std::pair<TPoint, TPoint>> openSides; // at the gone point: no side of the new
    for (const auto& [side, n] : uses) {
        if (n != 1)
            continue;
        if (side.first == gonePoint || side.second == gonePoint)
            openSides.emplace_back(pointAt(side.first), pointAt(side.second));
        else
            delaunay.insert_constraint(handles.at(side.first), handles.at(side.second));
    }
    for (const auto& [a, b] : segments)
        delaunay.insert_constraint(handles.at(a), handles.at(b));
    for (auto v = delaunay.finite_vertices_begin(); v != delaunay.finite_vertices_end(); ++v)
        if (v->info().Point == NoPoint)
            throw EEditRefused("The line must lie on the surface and must not cross itself.");

    auto insideHole = [&](TDelaunay::Face_handle f) {
        const TPoint a = f->vertex(0)->point(), b = f->vertex(1)->point(),
                     c = f->vertex(2)->point();
        const TPlanPoint centroid{(a.x() + b.x() + c.x()) / 3, (a.y() + b.y() + c.y()) / 3};
        bool holds = false;
        for (const auto& [index, face] : removed)
            holds = holds || FaceHolds(surface, face, centroid);
        if (!holds)
            return false;
        if (gonePoint && !openSides.empty() &&
            TKernel::Triangle_2(a, b, c).has_on_bounded_side(pointAt(*gonePoint)))
            return false;
        for (const auto& [p, q] : openSides)
            for (int k = 0; k < 3; ++k)
                if (CrossProperly(p, q, f->vertex(k)->point(), f->vertex((k + 1) % 3)->point()))
                    return false;
        return true;
    };
    std::vector<TFace> faces;
    for (auto f = delaunay.finite_faces_begin(); f != delaunay.finite_faces_end(); ++f)
        if (insideHole(f))
            faces.push_back({f->vertex(0)->info().Point, f->vertex(1)->info().Point,
                             f->vertex(2)->info().Point});
    return faces;
}
