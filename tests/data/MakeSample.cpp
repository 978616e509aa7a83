// Writes the sample model that the README's run command opens; with --whole-metres, the same
// ground with its elevations rounded to whole metres, as survey models often have them.
#include "TerrainGenerator.h"

#include <cmath>
#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    const bool wholeMetres = argc == 3 && std::strcmp(argv[1], "--whole-metres") == 0;
    if (argc != 2 && !wholeMetres) {
        std::fprintf(stderr, "usage: makesample [--whole-metres] OUT.vrk\n");
        return 2;
    }
    TWriteOptions options;
    options.Name = "Sample terrain";
    options.CoordinateSize = 4;
    options.ValueSize = 4;
    options.VertexNumberSize = 2;
    options.TriangleNumberSize = 2;
    options.EastingOffset = 512250;
    options.NorthingOffset = 6841200;
    TModelData data = GenerateTerrain(50, 40, 10, 7, 512000, 6841000);
    if (wholeMetres)
        for (auto& v : data.Vertices)
            v.Value = std::round(v.Value);
    return SaveBytes(argv[argc - 1], WriteModel(data, options)) ? 0 : 1;
}
