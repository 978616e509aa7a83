// Bringing the header's derived fields into line with the mesh in memory, and rounding the
// vertices to what a file with that header would store.
#include "VRKModel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
constexpr double SingleSignificand = 16777216.0; // 2^24

// Kept out of line: g++ 12's vectoriser merges the easting and northing roundings and drops the
// conversion to single on the way.
[[gnu::noinline]] double ToSingle(double value) {
    return static_cast<double>(static_cast<float>(value));
}
} // namespace

int RealSizeFor(double range, double resolution) {
    return SingleSignificand * resolution > std::abs(range) ? 4 : 8;
}

int NumberSizeFor(int count) {
    return std::abs(static_cast<int64_t>(count)) <= 32767 ? 2 : 4;
}

void TVRKVertex::RoundToStoredPrecision(const TVRKHeader& header) {
    if (header.VertexCoordinateSize == 4) {
        const double eastingOffset = header.EastingOffsetValue;
        const double northingOffset = header.NorthingOffsetValue;
        Easting = eastingOffset + ToSingle(Easting - eastingOffset);
        Northing = northingOffset + ToSingle(Northing - northingOffset);
    }
    if (header.VertexValueSize == 4)
        Value = ToSingle(Value);
}

void TVRKVertices::RoundToStoredPrecision(const TVRKHeader& header) {
    for (int i = 0; i < Count(); ++i)
        if (TVRKVertex* vertex = CheckedCast<TVRKVertex>(Objects(i)))
            vertex->RoundToStoredPrecision(header);
}

void TVandrelTINModel::PrepareHeader() {
    double minEasting, minNorthing, minValue, maxEasting, maxNorthing, maxValue;
    Vertices().GetExtent(minEasting, minNorthing, minValue, maxEasting, maxNorthing, maxValue);
    Header.MinimumEasting = minEasting;
    Header.MinimumNorthing = minNorthing;
    Header.MaximumEasting = maxEasting;
    Header.MaximumNorthing = maxNorthing;
    Header.EastingOffsetValue = (minEasting + maxEasting) / 2;
    Header.NorthingOffsetValue = (minNorthing + maxNorthing) / 2;
    const double halfRange =
        std::max(maxEasting - Header.EastingOffsetValue, maxNorthing - Header.NorthingOffsetValue);
    Header.VertexCoordinateSize =
        static_cast<uint8_t>(RealSizeFor(halfRange, CoordinateResolution));
    Header.VertexValueSize = static_cast<uint8_t>(
        RealSizeFor(std::max(std::abs(minValue), std::abs(maxValue)), ValueResolution));
    Header.VertexNumberSize = static_cast<uint8_t>(NumberSizeFor(Vertices().Count()));
    Header.TriangleNumberSize = static_cast<uint8_t>(NumberSizeFor(Triangles().Count()));

    if (Header.VertexCoordinateSize == 8 && Header.VertexValueSize == 8)
        return;
    VRKVertices().RoundToStoredPrecision(Header);
}
