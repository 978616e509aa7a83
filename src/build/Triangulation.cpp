#include "Triangulation.h"
#include "OutlinePeeling.h"

#include <CGAL/Constrained_Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Hilbert_sort_median_2.h>
#include <CGAL/Triangulation_face_base_with_info_2.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <thread>
#include <unordered_map>

namespace {
using TKernel = CGAL::Exact_predicates_inexact_constructions_kernel;
// A vertex's elevation and, for a survey point, its place among the points given; whether a
// line has set its elevation (the first line given sets it).
constexpr uint32_t NoNumber = std::numeric_limits<uint32_t>::max();
constexpr uint32_t NoOrder = 0x7fffffff;
struct TVertexInfo { // 16 bytes: millions of them
    double Z = std::numeric_limits<double>::quiet_NaN();
    uint32_t Order : 31 = NoOrder;
    uint32_t FromLine : 1 = 0;
    uint32_t Number = NoNumber; // among the surface's points, once it is a corner of one kept
};
static_assert(sizeof(TVertexInfo) == 16);
using TVertexBase = CGAL::Triangulation_vertex_base_with_info_2<TVertexInfo, TKernel>;
// A face's number among the surface's faces; NoNumber for one left out.
using TFaceBase =
    CGAL::Triangulation_face_base_with_info_2<uint32_t, TKernel,
                                              CGAL::Constrained_triangulation_face_base_2<TKernel>>;
using TStructure = CGAL::Triangulation_data_structure_2<TVertexBase, TFaceBase>;
using TDelaunay =
    CGAL::Constrained_Delaunay_triangulation_2<TKernel, TStructure, CGAL::Exact_predicates_tag>;
using TPoint = TKernel::Point_2;

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
    std::vector<TDelaunay::Face_handle> faces;
    for (auto f = delaunay.finite_faces_begin(); f != delaunay.finite_faces_end(); ++f)
        faces.push_back(f);
    PeelLongOutline(
        faces, outside, [](TDelaunay::Face_handle f, int k) { return f->neighbor(k); }, tooLong,
        [&](TDelaunay::Face_handle f) {
            gone[f] = true;
            ++dropped;
        });
    return gone;
}

// The elevation of the triangulation's surface at p: NaN off it.
double SurfaceZ(const TDelaunay& delaunay, const TPoint& p) {
    TDelaunay::Locate_type type;
    int at = 0;
    const TDelaunay::Face_handle f = delaunay.locate(p, type, at);
    if (type == TDelaunay::VERTEX)
        return f->vertex(at)->info().Z;
    if (type == TDelaunay::OUTSIDE_CONVEX_HULL || type == TDelaunay::OUTSIDE_AFFINE_HULL ||
        delaunay.is_infinite(f))
        return std::numeric_limits<double>::quiet_NaN();
    const TPoint &a = f->vertex(0)->point(), &b = f->vertex(1)->point(), &c = f->vertex(2)->point();
    const double area = (b.x() - a.x()) * (c.y() - a.y()) - (c.x() - a.x()) * (b.y() - a.y());
    const double wb =
        ((p.x() - a.x()) * (c.y() - a.y()) - (c.x() - a.x()) * (p.y() - a.y())) / area;
    const double wc =
        ((b.x() - a.x()) * (p.y() - a.y()) - (p.x() - a.x()) * (b.y() - a.y())) / area;
    const double za = f->vertex(0)->info().Z;
    return za + wb * (f->vertex(1)->info().Z - za) + wc * (f->vertex(2)->info().Z - za);
}

using TLine = std::vector<std::array<double, 3>>;

// The elevation at p along the first line that passes through it; NaN when none does.
double AlongFirstLine(const std::vector<TLine>& lines, const TPoint& p) {
    for (const TLine& line : lines)
        for (size_t i = 1; i < line.size(); ++i) {
            const auto &a = line[i - 1], &b = line[i];
            const double dx = b[0] - a[0], dy = b[1] - a[1], length = dx * dx + dy * dy;
            if (!(length > 0))
                continue;
            const double t = ((p.x() - a[0]) * dx + (p.y() - a[1]) * dy) / length;
            const double off = (p.x() - a[0]) * dy - (p.y() - a[1]) * dx;
            if (t >= -1e-12 && t <= 1 + 1e-12 && off * off <= 1e-18 * length * length)
                return a[2] + t * (b[2] - a[2]);
        }
    return std::numeric_limits<double>::quiet_NaN();
}

// Inserts the line's corners, elevations given or from the surface there, and its sides as
// constraints; a corner at a vertex a line has already set keeps that elevation.
void InsertLine(TDelaunay& delaunay, TLine& line) {
    for (auto& corner : line)
        if (std::isnan(corner[2]))
            corner[2] = SurfaceZ(delaunay, TPoint(corner[0], corner[1]));
    TDelaunay::Vertex_handle previous;
    for (size_t i = 0; i < line.size(); ++i) {
        const auto& corner = line[i];
        const TDelaunay::Vertex_handle v = delaunay.insert(TPoint(corner[0], corner[1]));
        if (!v->info().FromLine) {
            v->info().Z = corner[2];
            v->info().FromLine = true;
        }
        if (i > 0 && v != previous)
            delaunay.insert_constraint(previous, v);
        previous = v;
    }
}

using TLocated = std::pair<TPoint, TVertexInfo>;

// What the Hilbert sort asks of a kernel, for points with what their vertex keeps.
struct TLocatedTraits {
    using Point_2 = TLocated;
    struct TLessX {
        bool operator()(const TLocated& p, const TLocated& q) const {
            return p.first.x() < q.first.x();
        }
    };
    struct TLessY {
        bool operator()(const TLocated& p, const TLocated& q) const {
            return p.first.y() < q.first.y();
        }
    };
    TLessX less_x_2_object() const { return {}; }
    TLessY less_y_2_object() const { return {}; }
};
using TLocatedIterator = std::vector<TLocated>::iterator;

// The points in Hilbert order; a large range's four quarters are sorted two on each core, as
// a single thread would sort them.
void HilbertSort(TLocatedIterator begin, TLocatedIterator end) {
    const CGAL::Hilbert_sort_median_2<TLocatedTraits, CGAL::Sequential_tag> sort({}, 4);
    if (end - begin < 200000)
        return sort(begin, end);
    auto split = [](TLocatedIterator from, TLocatedIterator to, auto less) {
        const TLocatedIterator middle = from + (to - from) / 2;
        std::nth_element(from, middle, to, less);
        return middle;
    };
    const auto lessX = TLocatedTraits::TLessX{};
    const auto lessY = TLocatedTraits::TLessY{};
    const TLocatedIterator m2 = split(begin, end, lessX);
    std::thread second([&] {
        const TLocatedIterator m3 =
            split(m2, end, [&](const TLocated& p, const TLocated& q) { return lessY(q, p); });
        sort.recursive_sort<0, false, false>(m2, m3);
        sort.recursive_sort<1, true, true>(m3, end);
    });
    const TLocatedIterator m1 = split(begin, m2, lessY);
    sort.recursive_sort<1, false, false>(begin, m1);
    sort.recursive_sort<0, false, false>(m1, m2);
    second.join();
}

// An order that inserts the points fast: shuffled, then the last three quarters in Hilbert
// order after the first quarter is ordered the same way (each point lands near the one before,
// and the triangulation grows evenly over the site).
void InsertionOrder(TLocatedIterator begin, TLocatedIterator end) {
    std::mt19937_64 random(12345);
    std::shuffle(begin, end, random);
    std::function<void(TLocatedIterator, TLocatedIterator)> order = [&](TLocatedIterator from,
                                                                        TLocatedIterator to) {
        TLocatedIterator middle = from;
        if (to - from >= 16) {
            middle = from + (to - from) / 4;
            order(from, middle);
        }
        HilbertSort(middle, to);
    };
    order(begin, end);
}

// Inserts the points, the first given at each place kept; counts the others in the report.
void InsertPoints(TDelaunay& delaunay, std::vector<TLocated>& located,
                  TTriangulationReport& report) {
    InsertionOrder(located.begin(), located.end());
    // The points met at a place already taken, with their elevations: the one given first
    // (of the lowest order) holds the place in the end.
    std::vector<std::pair<TDelaunay::Vertex_handle, double>> repeated;
    TDelaunay::Face_handle hint;
    for (const auto& [point, info] : located) {
        const TDelaunay::Vertex_handle v = delaunay.insert(point, hint);
        hint = v->face();
        TVertexInfo& held = v->info();
        if (held.Order == NoOrder) {
            held = info;
            continue;
        }
        if (info.Order < held.Order) {
            repeated.emplace_back(v, held.Z);
            held = info;
        } else {
            repeated.emplace_back(v, info.Z);
        }
    }
    report.Repeated = int64_t(repeated.size());
    for (const auto& [v, z] : repeated)
        report.RepeatedOtherValue += z != v->info().Z;
}

// The surface as the triangulation holds it: its points by number, its faces in order.
class TTriangulationView final : public TSurfaceView {
public:
    std::size_t PointCount() const override { return Points.size(); }
    TSurfacePoint Point(std::size_t i) const override {
        const TDelaunay::Vertex_handle& v = Points[i];
        return {v->point().x(), v->point().y(), v->info().Z};
    }
    std::size_t FaceCount() const override { return Faces.size(); }
    void Face(std::size_t i, std::array<uint32_t, 3>& corners,
              std::array<int32_t, 3>& neighbours) const override {
        for (int k = 0; k < 3; ++k) // CGAL's faces are anticlockwise
            corners[size_t(k)] = Faces[i]->vertex(k)->info().Number;
        neighbours = FaceNeighbours(i);
    }
    // The side from corner k to the next faces corner k + 2.
    std::array<int32_t, 3> FaceNeighbours(std::size_t i) const override {
        std::array<int32_t, 3> neighbours;
        for (int k = 0; k < 3; ++k) {
            const uint32_t other = Faces[i]->neighbor((k + 2) % 3)->info();
            neighbours[size_t(k)] = other == NoNumber ? -1 : int32_t(other);
        }
        return neighbours;
    }
    // In the triangulation's memory, not by number: millions of points read in order.
    void ForEachPoint(const std::function<void(const TSurfacePoint&)>& visit) const override {
        for (auto v = Delaunay->finite_vertices_begin(); v != Delaunay->finite_vertices_end(); ++v)
            if (v->info().Number != NoNumber)
                visit({v->point().x(), v->point().y(), v->info().Z});
    }

    const TDelaunay* Delaunay = nullptr;
    std::vector<TDelaunay::Vertex_handle> Points;
    std::vector<TDelaunay::Face_handle> Faces;
};
} // namespace

TSurfaceData TriangulatePoints(std::vector<TSurfacePoint> points,
                               const TTriangulationOptions& options, TTriangulationReport& report) {
    return TriangulateSurvey(std::move(points), {}, nullptr, options, report);
}

TSurfaceData TriangulateSurvey(std::vector<TSurfacePoint> points,
                               const std::vector<TBreakline>& breaklines, const TBoundary* boundary,
                               const TTriangulationOptions& options, TTriangulationReport& report) {
    TSurfaceData surface;
    TriangulateSurveyInto(std::move(points), breaklines, boundary, options, report,
                          [&](const TSurfaceView& view) { surface = SurfaceOf(view); });
    return surface;
}

void TriangulateSurveyInto(std::vector<TSurfacePoint> points,
                           const std::vector<TBreakline>& breaklines, const TBoundary* boundary,
                           const TTriangulationOptions& options, TTriangulationReport& report,
                           const std::function<void(const TSurfaceView&)>& use) {
    for (size_t i = 0; i < points.size(); ++i)
        if (!std::isfinite(points[i].Easting) || !std::isfinite(points[i].Northing) ||
            !std::isfinite(points[i].Value))
            throw ESurfaceReadError("point " + std::to_string(i + 1) +
                                    " has a coordinate that is not a finite number");
    report = {};
    std::vector<TLocated> located;
    located.reserve(points.size());
    for (uint32_t i = 0; i < points.size(); ++i)
        located.push_back({TPoint(points[i].Easting, points[i].Northing),
                           TVertexInfo{points[i].Value, i, false}});
    const size_t count = points.size();
    // The points are in located, then in the triangulation: their memory goes.
    std::vector<TSurfacePoint>().swap(points);
    TDelaunay delaunay;
    InsertPoints(delaunay, located, report);
    decltype(located)().swap(located);
    if (delaunay.dimension() < 2)
        throw ESurfaceReadError("the points span no triangle: fewer than three, or all on a "
                                "line");
    // Breaklines, then the boundary's rings: each side a triangle side, each corner a vertex.
    std::vector<TLine> lines;
    for (const TBreakline& breakline : breaklines)
        lines.push_back(breakline.Points);
    if (boundary)
        for (const auto& ring : boundary->Rings) {
            TLine closed;
            for (const TPlanPoint& p : ring)
                closed.push_back({p.X, p.Y, std::numeric_limits<double>::quiet_NaN()});
            closed.push_back(closed.front());
            lines.push_back(std::move(closed));
        }
    for (TLine& line : lines)
        InsertLine(delaunay, line);
    // Where lines cross, and survey points they pass through: the elevation along the first
    // line given; what no line gives (a line off the points), the surface's.
    if (!lines.empty())
        for (auto v = delaunay.finite_vertices_begin(); v != delaunay.finite_vertices_end(); ++v)
            if (!v->info().FromLine && delaunay.are_there_incident_constraints(v))
                if (const double z = AlongFirstLine(lines, v->point()); !std::isnan(z))
                    v->info().Z = z;
    for (auto v = delaunay.finite_vertices_begin(); v != delaunay.finite_vertices_end(); ++v)
        if (std::isnan(v->info().Z))
            throw ESurfaceReadError("a breakline or the boundary without elevations leaves "
                                    "the points' surface, where it has none");
    const auto gone =
        DroppedByLength(delaunay, boundary ? 0 : options.MaxEdge, report.RemovedByMaxEdge);
    // The faces kept, numbered in the triangulation's order (no number: left out).
    uint32_t faceCount = 0;
    for (auto f = delaunay.all_faces_begin(); f != delaunay.all_faces_end(); ++f) {
        f->info() = NoNumber;
        if (delaunay.is_infinite(f) || gone.count(f))
            continue;
        if (boundary) {
            const TPoint &a = f->vertex(0)->point(), &b = f->vertex(1)->point(),
                         &c = f->vertex(2)->point();
            if (!BoundaryHolds(*boundary,
                               {(a.x() + b.x() + c.x()) / 3, (a.y() + b.y() + c.y()) / 3}))
                continue;
        }
        f->info() = faceCount++;
    }
    if (faceCount == 0)
        throw ESurfaceReadError("no triangle is left: every side is longer than the longest "
                                "allowed, or the boundary holds none");
    auto isKept = [](TDelaunay::Face_handle f) { return f->info() != NoNumber; };
    // Their corners: the survey points in their order, then the lines' new corners in the
    // faces' order.
    TTriangulationView view;
    view.Delaunay = &delaunay;
    view.Points.resize(count);
    for (auto f = delaunay.finite_faces_begin(); f != delaunay.finite_faces_end(); ++f)
        for (int k = 0; k < 3 && isKept(f); ++k) {
            const TDelaunay::Vertex_handle v = f->vertex(k);
            if (v->info().Number != NoNumber)
                continue;
            v->info().Number = 0; // counted
            (v->info().Order < count ? view.Points[v->info().Order] : view.Points.emplace_back()) =
                v;
        }
    // Numbered without the places of points left out.
    view.Points.erase(
        std::remove(view.Points.begin(), view.Points.end(), TDelaunay::Vertex_handle()),
        view.Points.end());
    for (uint32_t i = 0; i < view.Points.size(); ++i)
        view.Points[i]->info().Number = i;
    view.Faces.reserve(faceCount);
    for (auto f = delaunay.finite_faces_begin(); f != delaunay.finite_faces_end(); ++f)
        if (isKept(f))
            view.Faces.push_back(f);
    use(view);
}
