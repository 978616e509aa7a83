#pragma once
// Writes model files for tests and benchmarks: every layout the reader accepts (4- and 8-byte
// reals, 2- and 4-byte numbers, padded records, any section order and offsets), and damage made
// by patching the result. The program itself never writes model files.
#include "vrk/VRKHeader.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TModelData {
    struct Vertex {
        double Easting, Northing, Value;
    };
    struct Triangle {
        std::array<int32_t, 3> Vertices;   // 1-based vertex numbers
        std::array<int32_t, 3> Neighbours; // 1-based triangle numbers, -1 for none
    };
    struct StartPoint {
        double Easting, Northing;
        int32_t Triangle;
    };
    std::vector<Vertex> Vertices;
    std::vector<Triangle> Triangles;
    std::vector<int32_t> Edges;
    std::vector<StartPoint> StartPoints;
};

enum class TSectionKind { Vertices, Triangles, Edges, StartPoints };

struct TWriteOptions {
    std::string Name = "Test model";
    uint8_t CoordinateSize = 8, ValueSize = 8, VertexNumberSize = 4, TriangleNumberSize = 4;
    double EastingOffset = 0, NorthingOffset = 0;
    uint8_t CoordinateUnits = 1, ValueUnits = 1, InterpolationMethod = 1;
    int Padding = 0;            // extra bytes after the fields of every record
    int GapBetweenSections = 0; // bytes left between sections
    std::array<TSectionKind, 4> Order = {TSectionKind::Vertices, TSectionKind::Triangles,
                                         TSectionKind::Edges, TSectionKind::StartPoints};
};

std::vector<char> WriteModel(const TModelData& data, const TWriteOptions& options = {});
// The header at the front of written bytes, for reading and patching.
TVRKHeader HeaderOf(const std::vector<char>& bytes);
void PatchHeader(std::vector<char>& bytes, const std::function<void(TVRKHeader&)>& change);
// Writes bytes to a file; returns false when it cannot.
bool SaveBytes(const std::string& fileName, const std::vector<char>& bytes);
