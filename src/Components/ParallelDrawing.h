#pragma once
// Draws one layer of many items on every core, with the picture that drawing the items one after
// the other leaves: each core draws its share of the items, in order, on a transparent image of
// its own, and the images are laid over the target in the order of the shares. A pixel drawn by
// several shares thus ends as the last share, and so the last item, left it.
//
// Only the drawing of the image is shared out; it has finished when the function returns. The
// work must only read what it shares with the other cores.
#include "Canvas.h"

#include <functional>

// Calls draw(canvas, first, last) for consecutive shares of 0..count-1. A canvas that is not an
// image (a printer), a small count or a single core gets one call on the target itself.
void DrawInShares(TCanvas& target, int count,
                  const std::function<void(TCanvas& canvas, int first, int last)>& draw);
// Calls work(first, last) for consecutive shares of 0..count-1 on every core, and returns when
// all have finished; the first failure is rethrown. For computations a drawing needs beforehand.
void WorkInShares(int count, const std::function<void(int first, int last)>& work);
// The number of shares DrawInShares uses: the cores, or what VRK_RENDER_THREADS says.
int DrawingShares();
// Sets the shares, and the fewest items a layer must have to be shared out (tests compare one
// share with many on small models).
void SetDrawingShares(int shares, int minimumShared = 20000);
