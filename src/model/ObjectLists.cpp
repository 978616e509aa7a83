#include "ObjectLists.h"
#include "ObjectPool.h"
#include "platform/StringModule.h"

#include <algorithm>

namespace {
constexpr int32_t IndexArrayTag = 34661;
constexpr uint16_t ListIndexErrorString = 6112;
constexpr int ListErrorHelpContext = 80;

int BlockCountFor(int capacity) {
    return capacity == 0 ? 0 : (capacity - 1) / TBigList::BlockSlots + 1;
}
int LastBlockSlotsFor(int capacity) {
    return capacity == 0 ? 0 : (capacity - 1) % TBigList::BlockSlots + 1;
}
} // namespace

TBigList::~TBigList() {
    TBigList::Clear();
}

void TBigList::Error() const {
    const QString text = LoadResText(ListIndexErrorString, "List index out of bounds");
    throw EListError(text.toStdString() + " (" + ClassName() + ")", ListErrorHelpContext);
}

void TBigList::Grow() {
    int delta = 4;
    if (FCapacity > 64)
        delta = FCapacity / 4;
    else if (FCapacity > 8)
        delta = 16;
    else if (FCapacity > 4)
        delta = 8;
    SetCapacity(FCapacity + delta);
}

int TBigList::Compare(int position1, int position2) {
    const auto a = reinterpret_cast<intptr_t>(Get(position1));
    const auto b = reinterpret_cast<intptr_t>(Get(position2));
    return a < b ? -1 : (a == b ? 0 : 1);
}

void TBigList::Progress(int position) {
    if (OnProgress)
        OnProgress(this, position);
}

void TBigList::Clear() {
    FBlocks.clear();
    FBlocks.shrink_to_fit();
    FCount = 0;
    FCapacity = 0;
}

void TBigList::ClearSlot(int position) {
    Get(position); // bounds check
    FBlocks[position / BlockSlots][position % BlockSlots] = nullptr;
}

int TBigList::Remove(void* item) {
    const int position = IndexOf(item);
    if (position >= 0)
        ClearSlot(position);
    return position;
}

TBigList::TBlock TBigList::NewBlock(int slotsInBlock) {
    const auto slotCount = static_cast<std::size_t>(slotsInBlock);
    void** block = slotsInBlock == BlockSlots
                       ? static_cast<void**>(ObjectPool::Allocate(slotCount * sizeof(void*)))
                       : new void*[slotCount];
    std::fill_n(block, slotCount, nullptr);
    return TBlock(block, TBlockRelease{slotCount});
}

void TBigList::TBlockRelease::operator()(void** block) const noexcept {
    if (Slots == static_cast<size_t>(BlockSlots))
        ObjectPool::Release(block, Slots * sizeof(void*));
    else
        delete[] block;
}

void TBigList::ResizeLastBlock(int oldSlots, int newSlots) {
    TBlock block = NewBlock(newSlots);
    std::copy_n(FBlocks.back().get(), std::min(oldSlots, newSlots), block.get());
    FBlocks.back() = std::move(block);
}

void TBigList::SetCapacity(int newCapacity) {
    if (newCapacity == FCapacity)
        return;
    if (!CapacityAllowed(newCapacity))
        Error();
    const int oldBlocks = BlockCountFor(FCapacity);
    const int newBlocks = BlockCountFor(newCapacity);
    const int oldLast = LastBlockSlotsFor(FCapacity);
    const int newLast = LastBlockSlotsFor(newCapacity);
    if (newBlocks < oldBlocks) {
        FBlocks.resize(static_cast<size_t>(newBlocks)); // the new last block keeps its size
    } else if (newBlocks == oldBlocks) {
        ResizeLastBlock(oldLast, newLast);
    } else {
        if (oldBlocks > 0)
            ResizeLastBlock(oldLast, BlockSlots);
        FBlocks.reserve(static_cast<size_t>(newBlocks));
        for (int b = oldBlocks; b < newBlocks; ++b) {
            const int blockSize = b == newBlocks - 1 ? newLast : BlockSlots;
            FBlocks.push_back(NewBlock(blockSize));
        }
    }
    if (newBlocks == 0)
        FBlocks.shrink_to_fit();
    FCapacity = newCapacity;
}

void* TBigList::Get(int index) const {
    if (index < 0 || index >= FCapacity)
        Error();
    return At(index);
}

void TBigList::Put(int index, void* item) {
    if (index < 0 || index >= FCapacity)
        Error();
    for (; FCount < index; ++FCount)
        FBlocks[FCount / BlockSlots][FCount % BlockSlots] = nullptr;
    if (index >= FCount)
        FCount = index + 1;
    FBlocks[index / BlockSlots][index % BlockSlots] = item;
}

int TBigList::Add(void* item) {
    if (FCount == FCapacity)
        Grow();
    const int position = FCount;
    Put(position, item);
    return position;
}

int TBigList::IndexOf(void* item) const {
    for (int i = 0; i < FCount; ++i)
        if (At(i) == item)
            return i;
    return -1;
}

bool TBigList::IsSorted() {
    for (int i = 1; i < FCount; ++i)
        if (Compare(i - 1, i) > 0)
            return false;
    return true;
}

void TBigList::Sort() {
    if (IsSorted())
        return;
    struct IndexArrayOwner {
        int32_t* array;
        ~IndexArrayOwner() { FreeIndexArray(array); }
    } index{NewIndexArray(FCount, 0)};
    QuickSortIndex(
        index.array, 0, FCount - 1, [this](int a, int b) { return Compare(a, b); },
        [this](int position) { Progress(position); });
    TBigList sorted;
    sorted.SetCapacity(FCount);
    for (int k = 0; k < FCount; ++k)
        sorted.Add(Get(index.array[k]));
    for (int k = 0; k < FCount; ++k)
        Put(k, sorted.Get(k));
}

void TObjectList::FreeAll() {
    for (int i = 0; i < Count(); ++i)
        delete static_cast<TBaseObject*>(At(i));
    Clear();
}

TOwnedObjectList::~TOwnedObjectList() {
    FreeAll();
}

void TOwnedObjectList::ClearSlot(int position) {
    delete static_cast<TBaseObject*>(Get(position));
    TBigList::ClearSlot(position);
}

int32_t* NewIndexArray(int count, int first) {
    auto* block = new int32_t[static_cast<size_t>(count) + 2];
    block[0] = IndexArrayTag;
    block[1] = count;
    for (int i = 0; i < count; ++i)
        block[i + 2] = first + i;
    return block + 2;
}

void FreeIndexArray(int32_t*& array) {
    if (!array)
        return;
    int32_t* block = array - 2;
    if (block[0] != IndexArrayTag)
        throw Exception("Invalid index array pointer");
    delete[] block;
    array = nullptr;
}

void InsertionSortIndex(int32_t* array, int left, int right, const TIndexCompare& compare) {
    for (int i = left + 1; i <= right; ++i) {
        const int32_t v = array[i];
        int j = i;
        for (; j > left && compare(array[j - 1], v) > 0; --j)
            array[j] = array[j - 1];
        array[j] = v;
    }
}

void QuickSortIndex(int32_t* array, int left, int right, const TIndexCompare& compare,
                    const TIndexProgress& progress) {
    if (right - left <= 10) {
        InsertionSortIndex(array, left, right, compare);
        return;
    }
    const int32_t pivot = array[(left + right) / 2];
    int i = left;
    int j = right;
    while (i < j) {
        while (i < j && compare(array[i], pivot) < 0)
            ++i;
        while (i < j && compare(array[j], pivot) > 0)
            --j;
        if (i < j) {
            std::swap(array[i], array[j]);
            ++i;
            --j;
        }
    }
    if (i > j)
        i = j;
    QuickSortIndex(array, left, i, compare, progress);
    QuickSortIndex(array, i == left ? i + 1 : i, right, compare, progress);
    progress(right);
}
