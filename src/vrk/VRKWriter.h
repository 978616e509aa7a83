#pragma once
// Writes a model as a model file that the reader reads back to the same model: the header with
// the model's name, units and extents, then the vertices, the triangles with their neighbours,
// the edge list and the start points, packed one after the other. Coordinates and values are
// stored as doubles, relative to offsets inside the extents chosen so that every number reads
// back bit for bit; vertex and triangle numbers take two bytes while the counts allow it, else
// four.
#include "VRKHeader.h"

class QIODevice;
class TVandrelTINModel;

// The header WriteVrkModel writes for the model.
TVRKHeader HeaderForWriting(const TVandrelTINModel& model);

// Raises Exception for a model no file can hold (a corner or a neighbour that is not among the
// model's own, sections past 2 GB); a failed write is the device's to report.
void WriteVrkModel(const TVandrelTINModel& model, QIODevice& out);
