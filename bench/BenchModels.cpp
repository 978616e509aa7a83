#include "BenchModels.h"
#include "TerrainGenerator.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

std::string BenchModelFile(int triangles, uint32_t seed, double cellSize) {
    std::ostringstream file;
    file << "vrk-bench-" << triangles;
    if (seed != 1 || cellSize != 2)
        file << '-' << seed << '-' << std::lround(cellSize * 1000);
    file << ".vrk";
    const std::string name = (std::filesystem::temp_directory_path() / file.str()).string();
    if (!std::filesystem::exists(name)) {
        // Two triangles a cell, cells twice as wide as high.
        const int rows = static_cast<int>(std::lround(std::sqrt(triangles / 4.0)));
        const int columns = triangles / (2 * rows);
        TWriteOptions options;
        options.EastingOffset = 500000;
        options.NorthingOffset = 6000000;
        const std::string partial = name + ".part";
        SaveBytes(
            partial,
            WriteModel(GenerateTerrain(columns, rows, cellSize, seed, 500000, 6000000), options));
        std::filesystem::rename(partial, name);
    }
    return name;
}

long ResidentBytes() {
    std::ifstream status("/proc/self/statm");
    long pages = 0, resident = 0;
    status >> pages >> resident;
    return resident * 4096;
}
