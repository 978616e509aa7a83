#pragma once
// Cut and fill between the model and a comparison surface, computed exactly on the triangles:
// the difference d = comparison - model is linear on each triangle, so each is split where d is
// 0 and each part's volume is its plan area times the mean of d at its corners. Fill is where
// d > 0 (the comparison lies above the model), cut where d < 0. Sums are compensated, so that
// millions of small parts add up without losing digits. A large model is shared out over the
// cores in consecutive parts whose sums are added in order, so every run gives the same figures.
#include "model/Mesh.h"

#include <vector>

struct TVolumes {
    double Cut = 0, Fill = 0;                   // volumes, both counted positive
    double CutArea = 0, FillArea = 0, Area = 0; // plan areas; Area is the whole compared region
    // Where |d| is within the tolerance: the ground counts as unchanged there, and the cut and
    // fill areas are where d lies beyond it. The volumes are over everything, tolerance or not.
    double UnchangedArea = 0;
    double Net() const { return Fill - Cut; }
};

// A quantity as reports give it: its name in text, its key in JSON, its value, and the power of
// the length unit it is in (1 a length, 2 an area, 3 a volume).
struct TFigure {
    const char* Name;
    const char* Key;
    double Value;
    int UnitPower;
};
// The volumes' figures in their order: cut, fill, net, cut area, fill area, area; and with a
// tolerance, the unchanged area.
std::vector<TFigure> VolumeFigures(const TVolumes& volumes, bool withUnchanged = false);

// The model against the horizontal plane at level: every triangle with three finite corners
// and some plan area counts; others contribute nothing. With a tolerance, the cut and fill
// areas are where d lies beyond it (0: where d is not 0).
TVolumes VolumesToLevel(const TTriangles& triangles, double level, double tolerance = 0);

class TBoundary;

// What the model is compared with: another surface, or the level when there is none.
struct TComparison {
    const TTriangleMesh* Surface = nullptr;
    double Level = 0;
    double Tolerance = 0; // the cut and fill areas are where |d| exceeds it
};

// The model against the comparison over every place both cover, or only within the boundary
// when there is one: every piece of the overlay of the model's triangles, the surface's and the
// boundary is split where d is 0 and integrated. Builds the surface's look-up index if needed.
TVolumes CompareVolumes(const TTriangles& model, const TComparison& with,
                        const TBoundary* boundary = nullptr);

// A sum of many doubles with the error of each addition carried along (Neumaier's variant of
// Kahan's summation).
class TCompensatedSum {
public:
    void Add(double value);
    // Another sum, its carried error included.
    void Add(const TCompensatedSum& other) {
        Add(other.FSum);
        Add(other.FCompensation);
    }
    double Value() const { return FSum + FCompensation; }

private:
    double FSum = 0, FCompensation = 0;
};
