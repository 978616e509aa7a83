#pragma once
// Generated models of a given triangle count, written once to the temporary folder and reused.
#include <string>

// The path of a model file of about the given number of triangles.
std::string BenchModelFile(int triangles);
// The process's resident memory in bytes now.
long ResidentBytes();
