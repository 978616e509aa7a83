#pragma once
// The triangles a longest side drops: outline triangles (a side with no neighbour, or with one
// dropped) with a side longer than allowed, again and again from the outline inward, for sites
// that are not convex. One rule for the triangulation's faces and for an edited surface's.
#include <deque>

// faces: every face; outside(f): f is none or dropped; neighbour(f, k), k = 0..2; tooLong(f);
// drop(f) marks f dropped.
template <class TFaces, class TOutside, class TNeighbour, class TTooLong, class TDrop>
void PeelLongOutline(const TFaces& faces, const TOutside& outside, const TNeighbour& neighbour,
                     const TTooLong& tooLong, const TDrop& drop) {
    std::deque<typename TFaces::value_type> queue(faces.begin(), faces.end());
    while (!queue.empty()) {
        const auto f = queue.front();
        queue.pop_front();
        if (outside(f))
            continue;
        bool onOutline = false;
        for (int k = 0; k < 3; ++k)
            onOutline = onOutline || outside(neighbour(f, k));
        if (!onOutline || !tooLong(f))
            continue;
        drop(f);
        for (int k = 0; k < 3; ++k)
            if (!outside(neighbour(f, k)))
                queue.push_back(neighbour(f, k));
    }
}
