#include "platform/Shares.h"

#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

TEST(SharesTest, EveryItemIsWorkedOnceInConsecutiveParts) {
    for (const int shares : {1, 3, 7}) {
        std::vector<std::atomic<int>> worked(1000);
        std::vector<std::pair<int, int>> parts(static_cast<size_t>(shares));
        RunInShares(shares, 1000, [&](int share, int first, int last) {
            parts[size_t(share)] = {first, last};
            for (int i = first; i < last; ++i)
                ++worked[size_t(i)];
        });
        for (const std::atomic<int>& count : worked)
            ASSERT_EQ(count, 1);
        EXPECT_EQ(parts.front().first, 0);
        EXPECT_EQ(parts.back().second, 1000);
        for (size_t i = 1; i < parts.size(); ++i)
            EXPECT_EQ(parts[i].first, parts[i - 1].second);
    }
}

TEST(SharesTest, TheLowestFailingShareIsRethrownOnceAllHaveFinished) {
    std::atomic<int> finished{0};
    try {
        RunInShares(4, 400, [&](int share, int, int) {
            ++finished;
            if (share >= 1)
                throw std::runtime_error("share " + std::to_string(share));
        });
        FAIL() << "nothing rethrown";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "share 1");
    }
    EXPECT_EQ(finished, 4);
}
