#include "Shares.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

int CoreCount() {
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 64u));
}

int SharesFor(int count) {
    return count < 100000 ? 1 : CoreCount();
}

void RunInShares(int shares, int count,
                 const std::function<void(int share, int first, int last)>& work) {
    shares = std::max(shares, 1);
    std::vector<std::exception_ptr> failures(static_cast<size_t>(shares));
    auto run = [&](int i) {
        try {
            work(i, int(int64_t(count) * i / shares), int(int64_t(count) * (i + 1) / shares));
        } catch (...) {
            failures[size_t(i)] = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    for (int i = 1; i < shares; ++i) {
        try {
            threads.emplace_back(run, i);
        } catch (const std::system_error&) { // no thread to be had: the share is done here
            run(i);
        }
    }
    run(0);
    for (std::thread& thread : threads)
        thread.join();
    for (const std::exception_ptr& failure : failures)
        if (failure)
            std::rethrow_exception(failure);
}
