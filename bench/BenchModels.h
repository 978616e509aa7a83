#pragma once
// Generated models of a given triangle count, written once to the temporary folder and reused.
#include <cstdint>
#include <string>

// The path of a model file of about the given number of triangles; other seeds and cell sizes
// give other triangulations over the same corner.
std::string BenchModelFile(int triangles, uint32_t seed = 1, double cellSize = 2);
// The process's resident memory in bytes now.
long ResidentBytes();
