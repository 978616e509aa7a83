#pragma once
// Synthetic terrain: a jittered grid of columns x rows cells, two anticlockwise triangles a
// cell, with correct neighbours, the boundary triangles as edge records and a few start points.
#include "ModelWriter.h"

TModelData GenerateTerrain(int columns, int rows, double cellSize = 10, uint32_t seed = 1,
                           double originEasting = 0, double originNorthing = 0);
