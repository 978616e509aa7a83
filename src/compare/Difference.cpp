#include "Difference.h"
#include "model/Mesh.h"
#include "platform/Shares.h"

#include <algorithm>
#include <cmath>
#include <limits>

bool ZeroSegmentOf(const TPiece& piece, const double d[], TPlanSegment& segment) {
    TPlanPoint found[2];
    int count = 0, zeros = 0;
    auto add = [&](double x, double y) {
        const TPlanPoint p{piece.Origin.X + x, piece.Origin.Y + y};
        if (count < 2 && (count == 0 || !(found[0] == p)))
            found[count++] = p;
    };
    for (int i = 0; i < piece.Count; ++i) {
        const int j = (i + 1) % piece.Count;
        if (d[i] == 0) {
            ++zeros;
            add(piece.P[i].X, piece.P[i].Y);
        } else if ((d[i] > 0 && d[j] < 0) || (d[i] < 0 && d[j] > 0)) {
            const double t = d[i] / (d[i] - d[j]);
            add(piece.P[i].X + t * (piece.P[j].X - piece.P[i].X),
                piece.P[i].Y + t * (piece.P[j].Y - piece.P[i].Y));
        }
    }
    if (count < 2 || zeros == piece.Count)
        return false;
    segment = {found[0], found[1]};
    return true;
}

namespace {
class TDifferencePass : public TOverlayVisitor {
public:
    void Piece(const TPiece& piece, const TPlane& model, const TPlane* surface, int) override {
        double d[TPiece::Most];
        for (int i = 0; i < piece.Count; ++i) {
            d[i] = DifferenceAt(model, *surface, piece.P[i]);
            Low = std::min(Low, d[i]);
            High = std::max(High, d[i]);
        }
        TPlanSegment segment;
        if (ZeroSegmentOf(piece, d, segment)) {
            const auto elevation = [&](const TPlanPoint& p) {
                return model.At({p.X - piece.Origin.X, p.Y - piece.Origin.Y});
            };
            segment.ElevationA = elevation(segment.A);
            segment.ElevationB = elevation(segment.B);
            ZeroLine.push_back(segment);
        }
    }
    double Low = std::numeric_limits<double>::infinity();
    double High = -std::numeric_limits<double>::infinity();
    std::vector<TPlanSegment> ZeroLine;
};
} // namespace

TSurfaceDifference CompareSurfaces(const TTriangleMesh& model, const TTriangleMesh& surface) {
    surface.Index(); // built once, before the shares read it
    TSurfaceDifference result;
    const TTriVertices& vertices = model.Vertices();
    result.AtModelVertex.assign(size_t(vertices.Count()), std::numeric_limits<double>::quiet_NaN());
    const int shares = model.Triangles().Count() < 20000 ? 1 : CoreCount();
    RunInShares(shares, vertices.Count(), [&](int, int first, int last) {
        for (int i = first; i < last; ++i) {
            const TTriVertex* v = vertices.VertexAt(i);
            double value;
            if (v && std::isfinite(v->Easting) && std::isfinite(v->Northing) &&
                surface.FindSurfaceValue(v->Easting, v->Northing, value))
                result.AtModelVertex[size_t(i)] = value - v->Value;
        }
    });
    double low = std::numeric_limits<double>::infinity(), high = -low;
    for (const TDifferencePass& part :
         OverlayInShares(model.Triangles(), &surface, nullptr, TDifferencePass())) {
        low = std::min(low, part.Low);
        high = std::max(high, part.High);
        result.ZeroLine.insert(result.ZeroLine.end(), part.ZeroLine.begin(), part.ZeroLine.end());
    }
    if (low <= high) {
        result.Low = low;
        result.High = high;
    }
    return result;
}
