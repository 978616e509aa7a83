#include "SideTable.h"
#include "Mesh.h"
#include "platform/Shares.h"

TSideTable::TSideTable(const TTriangles& triangles)
    : FCount(triangles.Count()), FCorners(3 * size_t(FCount)), FSides(size_t(FCount)) {
    RunInShares(SharesFor(FCount), FCount, [&](int, int first, int last) {
        for (int position = first; position < last; ++position) {
            if (position + 32 < last)
                if (const TTriangle* ahead = triangles.TriangleAt(position + 32))
                    ahead->PrefetchLinks();
            int32_t* corners = &FCorners[3 * size_t(position)];
            uint8_t sides = 0;
            const TTriangle* triangle = triangles.TriangleAt(position);
            for (int k = 1; k <= 3; ++k) {
                const TTriVertex* vertex = triangle ? triangle->Vertex(k) : nullptr;
                corners[k - 1] = vertex ? vertex->Number - 1 : -1;
                if (!triangle)
                    continue;
                const TTriangle* neighbour = triangle->Neighbour(k);
                if (!neighbour)
                    sides |= uint8_t(1 << (k - 1) | 1 << (k + 2));
                else if (position < neighbour->Number)
                    sides |= uint8_t(1 << (k - 1));
            }
            FSides[size_t(position)] = sides;
        }
    });
}
