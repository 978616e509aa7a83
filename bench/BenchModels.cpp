#include "BenchModels.h"
#include "TerrainGenerator.h"

#include <cmath>
#include <filesystem>
#include <fstream>

std::string BenchModelFile(int triangles) {
    const std::string name = (std::filesystem::temp_directory_path() /
                              ("vrk-bench-" + std::to_string(triangles) + ".vrk"))
                                 .string();
    if (!std::filesystem::exists(name)) {
        // Two triangles a cell, cells twice as wide as high.
        const int rows = static_cast<int>(std::lround(std::sqrt(triangles / 4.0)));
        const int columns = triangles / (2 * rows);
        TWriteOptions options;
        options.EastingOffset = 500000;
        options.NorthingOffset = 6000000;
        const std::string partial = name + ".part";
        SaveBytes(partial,
                  WriteModel(GenerateTerrain(columns, rows, 2, 1, 500000, 6000000), options));
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
