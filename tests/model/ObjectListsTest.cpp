#include "model/ObjectLists.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace {
// Counts its own destructions, to see who frees what.
struct TTracked : TBaseObject {
    explicit TTracked(int& freed) : Freed(freed) {}
    ~TTracked() override { ++Freed; }
    int& Freed;
};

void* Ref(intptr_t value) {
    return reinterpret_cast<void*>(value);
}

std::string BoundsMessage(const std::function<void()>& action) {
    try {
        action();
    } catch (const EListError& error) {
        EXPECT_EQ(error.HelpContext(), 80);
        return error.Message();
    }
    return "no error";
}
} // namespace

TEST(ObjectListsTest, GrowthRuleFromEmpty) {
    TBigList list;
    std::vector<int> capacities;
    for (int i = 0; i < 200; ++i) {
        list.Add(Ref(i + 1));
        if (capacities.empty() || capacities.back() != list.Capacity())
            capacities.push_back(list.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{4, 8, 16, 32, 48, 64, 80, 100, 125, 156, 195, 243}));
}

TEST(ObjectListsTest, AccessIsCheckedAgainstCapacityNotCount) {
    TObjectList list;
    list.Add(nullptr);
    ASSERT_EQ(list.Capacity(), 4);
    EXPECT_EQ(list.Get(1), nullptr); // past Count, inside Capacity
    EXPECT_EQ(BoundsMessage([&] { list.Get(4); }), "List index out of bounds (TObjectList)");
    EXPECT_EQ(BoundsMessage([&] { list.Get(-1); }), "List index out of bounds (TObjectList)");
    EXPECT_EQ(BoundsMessage([&] { list.Put(4, nullptr); }),
              "List index out of bounds (TObjectList)");
    EXPECT_EQ(list.Count(), 1);
}

TEST(ObjectListsTest, PutPastCountNullsTheGapAndRaisesCount) {
    TBigList list;
    list.SetCapacity(10);
    list.Put(6, Ref(7));
    EXPECT_EQ(list.Count(), 7);
    EXPECT_EQ(list.Get(3), nullptr);
    EXPECT_EQ(list.Get(6), Ref(7));
}

TEST(ObjectListsTest, SetCapacityKeepsItemsAcrossBlocksAndRefusesBadSizes) {
    TBigList list;
    list.SetCapacity(8193); // two blocks, the second with one slot
    for (int i = 0; i < 8193; ++i)
        list.Add(Ref(i + 1));
    EXPECT_EQ(list.Capacity(), 8193);
    list.SetCapacity(20000);
    EXPECT_EQ(list.Get(8192), Ref(8193));
    EXPECT_EQ(list.Get(19999), nullptr);
    list.SetCapacity(8193);
    EXPECT_EQ(list.Get(0), Ref(1));
    EXPECT_EQ(list.Get(8192), Ref(8193));

    EXPECT_EQ(BoundsMessage([&] { list.SetCapacity(8192); }),
              "List index out of bounds (TBigList)");
    EXPECT_EQ(BoundsMessage([&] { list.SetCapacity(TBigList::MaxCapacity + 1); }),
              "List index out of bounds (TBigList)");
    EXPECT_EQ(list.Capacity(), 8193);
    EXPECT_EQ(list.Count(), 8193);

    list.Clear();
    EXPECT_EQ(list.Capacity(), 0);
    EXPECT_EQ(BoundsMessage([&] { list.Get(0); }), "List index out of bounds (TBigList)");

    // Capacity 0 on a list that still holds items is refused; on an empty list with storage it
    // releases the storage.
    TBigList held;
    held.Add(Ref(1));
    const int grown = held.Capacity();
    EXPECT_EQ(BoundsMessage([&] { held.SetCapacity(0); }), "List index out of bounds (TBigList)");
    EXPECT_EQ(held.Capacity(), grown);
    EXPECT_EQ(held.Get(0), Ref(1));
    TBigList roomy;
    roomy.SetCapacity(20000);
    ASSERT_EQ(roomy.Capacity(), 20000);
    roomy.SetCapacity(0);
    EXPECT_EQ(roomy.Capacity(), 0);
    roomy.Add(Ref(7));
    EXPECT_EQ(roomy.Get(0), Ref(7)) << "a released list grows again";
}

TEST(ObjectListsTest, OwnedListsFreeWhatTheyHoldPlainListsDoNot) {
    int freed = 0;
    auto* kept = new TTracked(freed);
    {
        TObjectList plain;
        plain.Add(kept);
        plain.ClearSlot(0);
        EXPECT_EQ(plain.Count(), 1);
        plain.Add(kept);
    }
    EXPECT_EQ(freed, 0);
    {
        TOwnedObjectList owned;
        owned.Add(kept);
        owned.Add(new TTracked(freed));
        owned.Add(new TTracked(freed));
        EXPECT_EQ(owned.Remove(kept), 0);
        EXPECT_EQ(freed, 1);
        EXPECT_EQ(owned.Count(), 3);
        int other = 0;
        TTracked stranger(other);
        EXPECT_EQ(owned.Remove(&stranger), -1);
    }
    EXPECT_EQ(freed, 3);
}

TEST(ObjectListsTest, SortOrdersByReferenceAndReportsProgressOnlyWhenItPartitions) {
    std::mt19937 random(5);
    for (int size : {0, 1, 2, 11, 12, 13, 50, 1000, 5000}) {
        for (int distinct : {3, 1000000}) {
            TBigList list;
            std::vector<intptr_t> values;
            for (int i = 0; i < size; ++i)
                values.push_back(1 + static_cast<intptr_t>(random() % distinct));
            for (intptr_t v : values)
                list.Add(Ref(v));
            int reports = 0;
            list.OnProgress = [&](TBigList*, int) { ++reports; };
            list.Sort();
            std::sort(values.begin(), values.end());
            for (int i = 0; i < size; ++i) {
                ASSERT_EQ(list.Get(i), Ref(values[static_cast<size_t>(i)])) << size << " " << i;
            }
            EXPECT_TRUE(list.IsSorted());
            if (size >= 2 && values.front() != values.back()) {
                TBigList reversed;
                for (auto v = values.rbegin(); v != values.rend(); ++v)
                    reversed.Add(Ref(*v));
                EXPECT_FALSE(reversed.IsSorted()) << size;
            }
            if (size <= 11) {
                EXPECT_EQ(reports, 0);
            }
            reports = 0;
            list.Sort();
            EXPECT_EQ(reports, 0) << "a sorted list is left alone";
        }
    }
}

TEST(ObjectListsTest, IndexArraysCarryTheirTag) {
    int32_t* array = NewIndexArray(5, 10);
    EXPECT_EQ(array[-2], 0x8765);
    EXPECT_EQ(array[-1], 5);
    EXPECT_EQ(array[0], 10);
    EXPECT_EQ(array[4], 14);
    FreeIndexArray(array);
    EXPECT_EQ(array, nullptr);

    int32_t foreign[4] = {1, 2, 3, 4};
    int32_t* wrong = foreign + 2;
    try {
        FreeIndexArray(wrong);
        FAIL();
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "Invalid index array pointer");
    }
    EXPECT_EQ(wrong, foreign + 2);
}
