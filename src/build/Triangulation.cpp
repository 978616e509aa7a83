#include "Triangulation.h"

#include <CGAL/Constrained_Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <numeric>
#include <string>
#include <unordered_map>

namespace {
using TKernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using TVertexBase = CGAL::Triangulation_vertex_base_with_info_2<uint32_t, TKernel>;
using TFaceBase = CGAL::Constrained_triangulation_face_base_2<TKernel>;
using TStructure = CGAL::Triangulation_data_structure_2<TVertexBase, TFaceBase>;
using TDelaunay =
    CGAL::Constrained_Delaunay_triangulation_2<TKernel, TStructure, CGAL::Exact_predicates_tag>;
using TPoint = TKernel::Point_2;

// The points kept, in the order given: the first at each position.
std::vector<uint32_t> FirstAtEachPosition(const std::vector<TSurfacePoint>& points,
                                          TTriangulationReport& report) {
    std::vector<uint32_t> order(points.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        const TSurfacePoint &p = points[a], &q = points[b];
        return p.Easting < q.Easting || (p.Easting == q.Easting && p.Northing < q.Northing);
    });
    std::vector<bool> kept(points.size(), true);
    for (size_t i = 1; i < order.size(); ++i) {
        const TSurfacePoint &first = points[order[i - 1]], &p = points[order[i]];
        if (p.Easting != first.Easting || p.Northing != first.Northing)
            continue;
        kept[order[i]] = false;
        order[i] = order[i - 1]; // the first of the run stays the one compared with
        ++report.Repeated;
        report.RepeatedOtherValue += p.Value != points[order[i]].Value;
    }
    std::vector<uint32_t> result;
    for (uint32_t i = 0; i < points.size(); ++i)
        if (kept[i])
            result.push_back(i);
    return result;
}

double SquaredLength(const TPoint& a, const TPoint& b) {
    const double dx = a.x() - b.x(), dy = a.y() - b.y();
    return dx * dx + dy * dy;
}

// Marks the faces to drop: outline faces with a side longer than the longest allowed, again
// and again, as each one dropped puts its neighbours on the outline.
std::unordered_map<TDelaunay::Face_handle, bool> DroppedByLength(const TDelaunay& delaunay,
                                                                 double maxEdge, int64_t& dropped) {
    std::unordered_map<TDelaunay::Face_handle, bool> gone;
    if (!(maxEdge > 0))
        return gone;
    const double longest = maxEdge * maxEdge;
    auto outside = [&](TDelaunay::Face_handle f) {
        return delaunay.is_infinite(f) || gone.count(f) > 0;
    };
    auto tooLong = [&](TDelaunay::Face_handle f) {
        for (int k = 0; k < 3; ++k)
            if (SquaredLength(f->vertex(k)->point(), f->vertex((k + 1) % 3)->point()) > longest)
                return true;
        return false;
    };
    std::deque<TDelaunay::Face_handle> queue;
    for (auto f = delaunay.finite_faces_begin(); f != delaunay.finite_faces_end(); ++f)
        queue.push_back(f);
    while (!queue.empty()) {
        const TDelaunay::Face_handle f = queue.front();
        queue.pop_front();
        if (outside(f))
            continue;
        bool onOutline = false;
        for (int k = 0; k < 3; ++k)
            onOutline = onOutline || outside(f->neighbor(k));
        if (!onOutline || !tooLong(f))
            continue;
        gone[f] = true;
        ++dropped;
        for (int k = 0; k < 3; ++k)
            if (!outside(f->neighbor(k)))
                queue.push_back(f->neighbor(k));
    }
    return gone;
}
} // namespace

TSurfaceData TriangulatePoints(const std::vector<TSurfacePoint>& points,
                               const TTriangulationOptions& options, TTriangulationReport& report) {
    for (size_t i = 0; i < points.size(); ++i)
        if (!std::isfinite(points[i].Easting) || !std::isfinite(points[i].Northing) ||
            !std::isfinite(points[i].Value))
            throw ESurfaceReadError("point " + std::to_string(i + 1) +
                                    " has a coordinate that is not a finite number");
    report = {};
    const std::vector<uint32_t> kept = FirstAtEachPosition(points, report);
    TSurfaceData surface;
    surface.Points.reserve(kept.size());
    std::vector<std::pair<TPoint, uint32_t>> located;
    located.reserve(kept.size());
    for (const uint32_t i : kept) {
        located.push_back(
            {TPoint(points[i].Easting, points[i].Northing), uint32_t(surface.Points.size())});
        surface.Points.push_back(points[i]);
    }
    TDelaunay delaunay;
    delaunay.insert(located.begin(), located.end()); // spatially sorted
    if (delaunay.dimension() < 2)
        throw ESurfaceReadError("the points span no triangle: fewer than three, or all on a "
                                "line");
    const auto gone = DroppedByLength(delaunay, options.MaxEdge, report.RemovedByMaxEdge);
    surface.Faces.reserve(delaunay.number_of_faces());
    for (auto f = delaunay.finite_faces_begin(); f != delaunay.finite_faces_end(); ++f)
        if (!gone.count(f)) // CGAL's faces are anticlockwise
            surface.Faces.push_back(
                {f->vertex(0)->info(), f->vertex(1)->info(), f->vertex(2)->info()});
    if (surface.Faces.empty())
        throw ESurfaceReadError("no triangle is left: every side is longer than the longest "
                                "allowed");
    return surface;
}
