// Reading a model file into the model.
//
// Each section is a run of records at the header's offset, one record size apart; the fields
// are read from the start of a record and whatever follows them is skipped. Numbers name
// records 1-based and are resolved through the collections' checked access, so a bad number
// raises the list's bounds error.
//
// A damaged header may claim far more records than the file holds. Before a section allocates
// anything it is checked to lie inside the file; one that does not is only read through, record
// by record, for the error that reading it would raise first (a bad number in a record before
// the end of the file, else the read error at the end), so that memory stays in proportion to
// the file's size.
#include "VRKModel.h"
#include "platform/Exceptions.h"
#include "platform/Memory.h"
#include "platform/Shares.h"
#include "platform/Streams.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
constexpr uint16_t MaxFieldBytes = 3 * 8;

int RealBytes(uint8_t size) {
    return size == 4 ? 4 : 8;
}
int NumberBytes(uint8_t size) {
    return size == 2 ? 2 : 4;
}

// Reads one field after another from the bytes of a record.
class TFieldDecoder {
public:
    explicit TFieldDecoder(const char* bytes) : FBytes(bytes) {}

    double Real(uint8_t size) {
        if (size == 4) {
            float single;
            Take(&single, 4);
            return single;
        }
        double value;
        Take(&value, 8);
        return value;
    }

    int32_t Number(uint8_t size) {
        if (size == 2) {
            int16_t small;
            Take(&small, 2);
            return small;
        }
        int32_t value;
        Take(&value, 4);
        return value;
    }

private:
    void Take(void* out, int bytes) {
        std::memcpy(out, FBytes, static_cast<size_t>(bytes));
        FBytes += bytes;
    }
    const char* FBytes;
};

struct TSection {
    int32_t Offset;
    int32_t Count;
    int16_t RecordSize;
    int FieldBytes;
};

bool SectionFits(const TSection& section, int64_t streamSize) {
    if (section.Count <= 0)
        return true;
    const int64_t first = section.Offset;
    const int64_t last = first + int64_t(section.Count - 1) * section.RecordSize;
    return std::min(first, last) >= 0 && std::max(first, last) + section.FieldBytes <= streamSize;
}

// A packed header field by value (a reference to it would be misaligned), negatives as 0.
int64_t Positive(int32_t count) {
    return count > 0 ? count : 0;
}

// Counts the records read and tells the model's listener every step of them.
class TReadProgress {
public:
    TReadProgress(const TVandrelTINModel& model, const TVRKHeader& h)
        : FListener(model.OnReadProgress),
          FTotal(Positive(h.NumberOfVertices) + Positive(h.NumberOfTriangles) +
                 Positive(h.NumberOfEdgeRecords) + Positive(h.NumberOfStartPoints)),
          FStep(std::max<int64_t>(1024, FTotal / 128)), FNext(FStep) {}
    void Record() {
        if (++FDone == FNext) {
            FNext += FStep;
            if (FListener)
                FListener(FDone, FTotal);
        }
    }

private:
    const std::function<void(int64_t, int64_t)>& FListener;
    int64_t FTotal, FStep, FNext, FDone = 0;
};

// Calls decode(i, fields) for every record in file order, reading record by record: for a
// section that may run past the end of the file.
template <class Decode>
void ReadRecords(TStream& stream, const TSection& section, TReadProgress& progress, Decode decode) {
    char fields[MaxFieldBytes];
    int64_t position = section.Offset;
    for (int32_t i = 0; i < section.Count; ++i) {
        stream.SetPosition(position);
        stream.ReadBuffer(fields, section.FieldBytes);
        TFieldDecoder decoder(fields);
        decode(i, decoder);
        position += section.RecordSize;
        progress.Record();
    }
}

// The bytes of a run of consecutive records of a section inside the file, read at once.
class TRecordBatch {
public:
    explicit TRecordBatch(const TSection& section) : FSection(section) {}

    // Records per batch: a few megabytes of them.
    int32_t Records() const {
        const int64_t span = std::max<int64_t>(std::abs(int64_t(FSection.RecordSize)), 1);
        return int32_t(std::clamp<int64_t>((4 << 20) / span, 1, 1 << 16));
    }
    void Read(TStream& stream, int32_t first, int32_t last) {
        const int64_t a = RecordOffset(first), b = RecordOffset(last - 1);
        FStart = std::min(a, b);
        FBytes.resize(static_cast<size_t>(std::max(a, b) + FSection.FieldBytes - FStart));
        stream.SetPosition(FStart);
        stream.ReadBuffer(FBytes.data(), static_cast<int64_t>(FBytes.size()));
    }
    const char* Record(int32_t i) const { return FBytes.data() + (RecordOffset(i) - FStart); }

private:
    int64_t RecordOffset(int32_t i) const {
        return FSection.Offset + int64_t(i) * FSection.RecordSize;
    }
    const TSection& FSection;
    std::vector<char> FBytes;
    int64_t FStart = 0;
};

// What ReadRecords does, for a section that lies inside the file, a batch of records at a
// time. With shares above 1 each batch is decoded on that many cores: decode must then touch
// only what record i owns. A failure is the one record-by-record reading would raise first,
// told after the records before it, as reading them one by one would.
template <class Decode>
void ReadRecordsInBatches(TStream& stream, const TSection& section, TReadProgress& progress,
                          int shares, Decode decode) {
    TRecordBatch batch(section);
    const int32_t step = batch.Records();
    for (int32_t first = 0, last; first < section.Count; first = last) {
        last = first + std::min(step, section.Count - first);
        batch.Read(stream, first, last);
        const int used = std::min(shares, std::max(1, (last - first) / 4096));
        std::vector<int32_t> failedAt(static_cast<size_t>(used), last);
        try {
            RunInShares(used, last - first, [&](int share, int from, int to) {
                for (int32_t i = first + from; i < first + to; ++i) {
                    failedAt[size_t(share)] = i;
                    TFieldDecoder decoder(batch.Record(i));
                    decode(i, decoder);
                }
                failedAt[size_t(share)] = last;
            });
        } catch (...) {
            const int32_t failed = *std::min_element(failedAt.begin(), failedAt.end());
            for (int32_t i = first; i < failed; ++i)
                progress.Record();
            throw;
        }
        for (int32_t i = first; i < last; ++i)
            progress.Record();
    }
}

// The item named by a 1-based number among capacity items; outside them, list's bounds error.
int CheckedIndex(const TBigList& list, int64_t capacity, int32_t number) {
    const int64_t index = int64_t(number) - 1;
    if (index < 0 || index >= capacity)
        list.Error();
    return static_cast<int>(index);
}

int CheckedIndex(const TBigList& list, int32_t number) {
    return CheckedIndex(list, list.Capacity(), number);
}

// Raises the bounds error a SetCapacity of count would raise, without allocating.
void CheckCount(const TBigList& list, int32_t count) {
    if (!list.CapacityAllowed(count))
        list.Error();
}

class TModelReader {
public:
    TModelReader(TVandrelTINModel& model, TStream& stream)
        : FModel(model), FStream(stream), FHeader(model.Header), FSize(stream.Size()),
          FProgress(model, model.Header) {}

    void ReadVertices();
    void ReadTriangles();
    void ReadEdges();
    void ReadStartPoints();

private:
    TVandrelTINModel& FModel;
    TStream& FStream;
    const TVRKHeader& FHeader;
    int64_t FSize;
    TReadProgress FProgress;
};

void TModelReader::ReadVertices() {
    const uint8_t coordinateSize = FHeader.VertexCoordinateSize;
    const uint8_t valueSize = FHeader.VertexValueSize;
    const TSection section =
        TSection{FHeader.StartOffsetOfVertices, FHeader.NumberOfVertices, FHeader.VertexRecordSize,
                 2 * RealBytes(coordinateSize) + RealBytes(valueSize)};
    TTriVertices& vertices = FModel.Vertices();
    CheckCount(vertices, section.Count);
    if (!SectionFits(section, FSize))
        ReadRecords(FStream, section, FProgress, [](int, TFieldDecoder&) {});

    vertices.SetCapacity(section.Count);
    const long double northingOffset = FHeader.NorthingOffsetValue;
    const long double eastingOffset = FHeader.EastingOffsetValue;
    ReadRecordsInBatches(FStream, section, FProgress, 1, [&](int, TFieldDecoder& fields) {
        const double northing = static_cast<double>(fields.Real(coordinateSize) + northingOffset);
        const double easting = static_cast<double>(fields.Real(coordinateSize) + eastingOffset);
        const double value = fields.Real(valueSize);
        vertices.Add(vertices.CreateVertex(easting, northing, value));
    });
    for (int i = 0; i < vertices.Count(); ++i)
        vertices.VertexAt(i)->Number = i + 1;
}

void TModelReader::ReadTriangles() {
    const uint8_t vertexSize = FHeader.VertexNumberSize;
    const uint8_t triangleSize = FHeader.TriangleNumberSize;
    const TSection section = TSection{FHeader.StartOffsetOfTriangles, FHeader.NumberOfTriangles,
                                      FHeader.TriangleRecordSize,
                                      3 * NumberBytes(vertexSize) + 3 * NumberBytes(triangleSize)};
    TTriVertices& vertices = FModel.Vertices();
    TTriangles& triangles = FModel.Triangles();
    CheckCount(triangles, section.Count);
    if (!SectionFits(section, FSize)) {
        ReadRecords(FStream, section, FProgress, [&](int, TFieldDecoder& fields) {
            for (int k = 0; k < 3; ++k)
                CheckedIndex(vertices, fields.Number(vertexSize));
            for (int k = 0; k < 3; ++k)
                if (const int32_t number = fields.Number(triangleSize); number != -1)
                    CheckedIndex(triangles, section.Count, number);
        });
    }

    // Every triangle exists before the records are read, so that a neighbour may come later.
    triangles.SetCapacity(section.Count);
    for (int i = 0; i < section.Count; ++i) {
        TTriangle* triangle = triangles.CreateTriangle(nullptr, nullptr, nullptr);
        triangle->Number = i + 1;
        triangles.Add(triangle);
    }
    // A record sets only its own triangle, so the records are decoded on every core.
    ReadRecordsInBatches(
        FStream, section, FProgress, CoreCount(), [&](int i, TFieldDecoder& fields) {
            TTriangle* triangle = triangles.TriangleAt(i);
            for (int k = 1; k <= 3; ++k)
                triangle->SetVertex(
                    k, vertices.VertexAt(CheckedIndex(vertices, fields.Number(vertexSize))));
            for (int k = 1; k <= 3; ++k) {
                const int32_t number = fields.Number(triangleSize);
                triangle->SetNeighbour(
                    k,
                    number == -1 ? nullptr : triangles.TriangleAt(CheckedIndex(triangles, number)));
            }
        });
}

void TModelReader::ReadEdges() {
    const uint8_t triangleSize = FHeader.TriangleNumberSize;
    const TSection section = TSection{FHeader.StartOffsetOfEdgeList, FHeader.NumberOfEdgeRecords,
                                      FHeader.EdgeRecordSize, NumberBytes(triangleSize)};
    TTriangles& triangles = FModel.Triangles();
    TVRKEdges& edges = FModel.Edges;
    CheckCount(edges, section.Count);
    if (!SectionFits(section, FSize))
        ReadRecords(FStream, section, FProgress, [&](int, TFieldDecoder& fields) {
            CheckedIndex(triangles, fields.Number(triangleSize));
        });

    edges.SetCapacity(section.Count);
    ReadRecords(FStream, section, FProgress, [&](int, TFieldDecoder& fields) {
        edges.Add(triangles.TriangleAt(CheckedIndex(triangles, fields.Number(triangleSize))));
    });
}

void TModelReader::ReadStartPoints() {
    const uint8_t coordinateSize = FHeader.VertexCoordinateSize;
    const uint8_t triangleSize = FHeader.TriangleNumberSize;
    const TSection section = TSection{FHeader.StartOffsetOfStartPoints, FHeader.NumberOfStartPoints,
                                      FHeader.StartPointRecordSize,
                                      2 * RealBytes(coordinateSize) + NumberBytes(triangleSize)};
    TTriangles& triangles = FModel.Triangles();
    TVRKStartPoints& points = FModel.StartPoints;
    CheckCount(points, section.Count);
    if (!SectionFits(section, FSize))
        ReadRecords(FStream, section, FProgress, [&](int, TFieldDecoder& fields) {
            fields.Real(coordinateSize);
            fields.Real(coordinateSize);
            CheckedIndex(triangles, fields.Number(triangleSize));
        });

    points.SetCapacity(section.Count);
    const long double northingOffset = FHeader.NorthingOffsetValue;
    const long double eastingOffset = FHeader.EastingOffsetValue;
    ReadRecords(FStream, section, FProgress, [&](int, TFieldDecoder& fields) {
        const double northing = static_cast<double>(fields.Real(coordinateSize) + northingOffset);
        const double easting = static_cast<double>(fields.Real(coordinateSize) + eastingOffset);
        TTriangle* triangle =
            triangles.TriangleAt(CheckedIndex(triangles, fields.Number(triangleSize)));
        points.Add(new TVRKStartPoint(triangle, easting, northing));
    });
}

void CheckSignatureAndVersion(const TVRKHeader& header) {
    if (std::memcmp(header.FileSignature, VRKSignature, 16) != 0 || header.FileSignature[16] != 0)
        throw EVRKReadError("File is not a Vandrel TIN Model.");
    if (header.FileMajorVersion != 1 || header.FileMinorVersion != 0)
        throw EVRKReadError("Unable to read this version of Vandrel TIN Model file.");
}

QString NameOf(const TVRKHeader& header) {
    const char* name = header.DTMModelInternalName;
    const void* nul = std::memchr(name, 0, sizeof header.DTMModelInternalName);
    const qsizetype length =
        nul ? static_cast<const char*>(nul) - name : qsizetype(sizeof header.DTMModelInternalName);
    return QString::fromLatin1(name, length);
}
} // namespace

void TVandrelTINModel::ReadFromStream(TStream& stream) {
    if (stream.Read(&Header, sizeof Header) != sizeof Header)
        throw EReadError();
    CheckSignatureAndVersion(Header);
    Clear();
    try {
        InternalName = NameOf(Header);
        TModelReader reader(*this, stream);
        reader.ReadVertices();
        reader.ReadTriangles();
        reader.ReadEdges();
        reader.ReadStartPoints();
    } catch (...) {
        // A partly read model would hold triangles without vertices; nothing of it is kept,
        // and what it held goes back to the system before the error is shown.
        Clear();
        ReturnFreeMemory();
        throw;
    }
}
