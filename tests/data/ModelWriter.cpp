#include "ModelWriter.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace {
class TByteWriter {
public:
    explicit TByteWriter(std::vector<char>& bytes) : FBytes(bytes) {}
    template <class T> void Put(T value) {
        const size_t at = FBytes.size();
        FBytes.resize(at + sizeof value);
        std::memcpy(FBytes.data() + at, &value, sizeof value);
    }
    void Real(double value, uint8_t size) {
        if (size == 4)
            Put(static_cast<float>(value));
        else
            Put(value);
    }
    void Number(int32_t value, uint8_t size) {
        if (size == 2)
            Put(static_cast<int16_t>(value));
        else
            Put(value);
    }
    void Zeros(int count) { FBytes.resize(FBytes.size() + static_cast<size_t>(count), 0); }
    int32_t Position() const { return static_cast<int32_t>(FBytes.size()); }

private:
    std::vector<char>& FBytes;
};

int RealBytes(uint8_t size) {
    return size == 4 ? 4 : 8;
}
int NumberBytes(uint8_t size) {
    return size == 2 ? 2 : 4;
}
} // namespace

std::vector<char> WriteModel(const TModelData& data, const TWriteOptions& o) {
    TVRKHeader header{};
    header.FileMajorVersion = 1;
    header.FileMinorVersion = 0;
    std::memcpy(header.FileSignature, VRKSignature, 16);
    std::memcpy(header.DTMModelInternalName, o.Name.data(),
                std::min(o.Name.size(), sizeof header.DTMModelInternalName));
    header.CoordinateUnits = o.CoordinateUnits;
    header.VertexValueUnits = o.ValueUnits;
    header.InterpolationMethod = o.InterpolationMethod;
    header.NorthingOffsetValue = o.NorthingOffset;
    header.EastingOffsetValue = o.EastingOffset;
    double minEasting = 1e99, minNorthing = 1e99, maxEasting = -1e99, maxNorthing = -1e99;
    for (const auto& v : data.Vertices) {
        minEasting = std::min(minEasting, v.Easting);
        maxEasting = std::max(maxEasting, v.Easting);
        minNorthing = std::min(minNorthing, v.Northing);
        maxNorthing = std::max(maxNorthing, v.Northing);
    }
    header.MinimumEasting = minEasting;
    header.MaximumEasting = maxEasting;
    header.MinimumNorthing = minNorthing;
    header.MaximumNorthing = maxNorthing;
    header.VertexCoordinateSize = o.CoordinateSize;
    header.VertexValueSize = o.ValueSize;
    header.VertexNumberSize = o.VertexNumberSize;
    header.TriangleNumberSize = o.TriangleNumberSize;
    header.NumberOfVertices = static_cast<int32_t>(data.Vertices.size());
    header.NumberOfTriangles = static_cast<int32_t>(data.Triangles.size());
    header.NumberOfEdgeRecords = static_cast<int32_t>(data.Edges.size());
    header.NumberOfStartPoints = static_cast<int32_t>(data.StartPoints.size());
    const int cs = RealBytes(o.CoordinateSize), vn = NumberBytes(o.VertexNumberSize),
              tn = NumberBytes(o.TriangleNumberSize);
    header.VertexRecordSize = static_cast<int16_t>(2 * cs + RealBytes(o.ValueSize) + o.Padding);
    header.TriangleRecordSize = static_cast<int16_t>(3 * vn + 3 * tn + o.Padding);
    header.EdgeRecordSize = static_cast<int16_t>(tn + o.Padding);
    header.StartPointRecordSize = static_cast<int16_t>(2 * cs + tn + o.Padding);

    std::vector<char> bytes(sizeof header);
    TByteWriter out(bytes);
    for (TSectionKind kind : o.Order) {
        out.Zeros(o.GapBetweenSections);
        switch (kind) {
        case TSectionKind::Vertices:
            header.StartOffsetOfVertices = out.Position();
            for (const auto& v : data.Vertices) {
                out.Real(v.Northing - o.NorthingOffset, o.CoordinateSize);
                out.Real(v.Easting - o.EastingOffset, o.CoordinateSize);
                out.Real(v.Value, o.ValueSize);
                out.Zeros(o.Padding);
            }
            break;
        case TSectionKind::Triangles:
            header.StartOffsetOfTriangles = out.Position();
            for (const auto& t : data.Triangles) {
                for (int32_t v : t.Vertices)
                    out.Number(v, o.VertexNumberSize);
                for (int32_t n : t.Neighbours)
                    out.Number(n, o.TriangleNumberSize);
                out.Zeros(o.Padding);
            }
            break;
        case TSectionKind::Edges:
            header.StartOffsetOfEdgeList = out.Position();
            for (int32_t e : data.Edges) {
                out.Number(e, o.TriangleNumberSize);
                out.Zeros(o.Padding);
            }
            break;
        case TSectionKind::StartPoints:
            header.StartOffsetOfStartPoints = out.Position();
            for (const auto& s : data.StartPoints) {
                out.Real(s.Northing - o.NorthingOffset, o.CoordinateSize);
                out.Real(s.Easting - o.EastingOffset, o.CoordinateSize);
                out.Number(s.Triangle, o.TriangleNumberSize);
                out.Zeros(o.Padding);
            }
            break;
        }
    }
    std::memcpy(bytes.data(), &header, sizeof header);
    return bytes;
}

TVRKHeader HeaderOf(const std::vector<char>& bytes) {
    TVRKHeader header{};
    std::memcpy(&header, bytes.data(), std::min(bytes.size(), sizeof header));
    return header;
}

void PatchHeader(std::vector<char>& bytes, const std::function<void(TVRKHeader&)>& change) {
    TVRKHeader header = HeaderOf(bytes);
    change(header);
    std::memcpy(bytes.data(), &header, std::min(bytes.size(), sizeof header));
}

bool SaveBytes(const std::string& fileName, const std::vector<char>& bytes) {
    std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}
