// Writes the sample model that the README's run command opens.
#include "TerrainGenerator.h"

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: makesample OUT.vrk\n");
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
    const TModelData data = GenerateTerrain(50, 40, 10, 7, 512000, 6841000);
    return SaveBytes(argv[1], WriteModel(data, options)) ? 0 : 1;
}
