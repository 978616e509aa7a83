#pragma once
// Each triangle's corners, as the positions of its vertices, and which of its sides a drawing of
// every side draws from it, in flat arrays in the triangles' order. A pass over every side of a
// large model then reads 13 bytes a triangle in order, instead of the triangle, its three
// neighbours and its three vertices wherever they lie.
#include "platform/Memory.h"

#include <cstdint>

class TTriangles;

class TSideTable {
public:
    // Built on every core from the triangles as they are now; it must be built again when they
    // change, or when their vertices are numbered again.
    explicit TSideTable(const TTriangles& triangles);

    int Count() const { return FCount; }
    // The position (Number - 1) of corner k (1..3) of the triangle at position, -1 for none.
    const int32_t* Corners(int position) const { return &FCorners[3 * size_t(position)]; }
    // Bit k - 1: side k is drawn from this triangle, because no triangle lies across it or the
    // one that does comes later. Bit k + 2: no triangle lies across side k. 0 for an empty slot.
    uint8_t Sides(int position) const { return FSides[size_t(position)]; }
    static bool Draws(uint8_t sides, int k) { return sides >> (k - 1) & 1; }
    static bool OnBoundary(uint8_t sides) { return sides >> 3; }

private:
    int FCount;
    TLargeArray<int32_t> FCorners;
    TLargeArray<uint8_t> FSides;
};
