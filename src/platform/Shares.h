#pragma once
// Work shared out over the cores: consecutive parts of a run of items, each on a thread of its
// own, finished before the call returns.
#include <functional>

// The hardware threads, at least 1.
int CoreCount();
// The shares for a pass over count items of light work: one below 100,000, where starting
// threads costs more than it saves, else one on every core.
int SharesFor(int count);
// Calls work(share, first, last) for shares consecutive parts of 0..count-1, the first on the
// calling thread. Once every share has finished, the failure of the lowest share that failed is
// rethrown: for work done in item order, the failure that doing it on one thread would raise.
void RunInShares(int shares, int count,
                 const std::function<void(int share, int first, int last)>& work);
