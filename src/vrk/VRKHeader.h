#pragma once
// The 149-byte header record at the start of a model file, kept byte for byte as read. Fields
// are little-endian and packed; the program runs on little-endian machines only.
#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little, "model files are little-endian");

#pragma pack(push, 1)
struct TVRKHeader {
    uint8_t FileMajorVersion;
    uint8_t FileMinorVersion;
    char FileSignature[20];
    char DTMModelInternalName[32];
    uint8_t CoordinateUnits;
    uint8_t VertexValueUnits;
    uint8_t InterpolationMethod;
    double NorthingOffsetValue;
    double EastingOffsetValue;
    double MinimumNorthing;
    double MinimumEasting;
    double MaximumNorthing;
    double MaximumEasting;
    uint8_t VertexCoordinateSize;
    uint8_t VertexValueSize;
    uint8_t VertexNumberSize;
    uint8_t TriangleNumberSize;
    int32_t StartOffsetOfVertices;
    int32_t NumberOfVertices;
    int16_t VertexRecordSize;
    int32_t StartOffsetOfTriangles;
    int32_t NumberOfTriangles;
    int16_t TriangleRecordSize;
    int32_t StartOffsetOfEdgeList;
    int32_t NumberOfEdgeRecords;
    int16_t EdgeRecordSize;
    int32_t StartOffsetOfStartPoints;
    int32_t NumberOfStartPoints;
    int16_t StartPointRecordSize;
};
#pragma pack(pop)

static_assert(sizeof(TVRKHeader) == 149);
static_assert(offsetof(TVRKHeader, NorthingOffsetValue) == 57);
static_assert(offsetof(TVRKHeader, VertexCoordinateSize) == 105);
static_assert(offsetof(TVRKHeader, StartOffsetOfVertices) == 109);
static_assert(offsetof(TVRKHeader, StartPointRecordSize) == 147);

inline constexpr char VRKSignature[] = "QDS TIN DTM FILE";
