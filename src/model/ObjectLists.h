#pragma once
// The root of the model's objects and the block-based lists that hold them. A list keeps its
// item references in blocks of 8,192 slots under a directory of blocks, so that it can hold
// over a hundred million references without one contiguous allocation; only the last block and
// the directory are ever resized.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TBaseObject {
public:
    virtual ~TBaseObject() = default;
    // The class name that error messages show.
    virtual const char* ClassName() const { return "TBaseObject"; }
};

class TBigList : public TBaseObject {
public:
    static constexpr int BlockSlots = 8192;
    static constexpr int MaxCapacity = 16380 * BlockSlots; // 134,184,960
    using TProgressEvent = std::function<void(TBigList* sender, int position)>;

    TBigList() = default;
    ~TBigList() override;
    TBigList(const TBigList&) = delete;
    TBigList& operator=(const TBigList&) = delete;
    const char* ClassName() const override { return "TBigList"; }

    // Raises the bounds error naming this list's class.
    [[noreturn]] virtual void Error() const;
    virtual void Grow();
    virtual int Compare(int position1, int position2);
    virtual void Progress(int position);
    // Empties the list and releases its storage; frees no item.
    virtual void Clear();
    virtual void ClearSlot(int position);
    virtual int Remove(void* item);
    virtual void Sort();

    int Count() const { return FCount; }
    int Capacity() const { return FCapacity; }
    void SetCapacity(int newCapacity);
    void* Get(int index) const;
    void Put(int index, void* item);
    int Add(void* item);
    int IndexOf(void* item) const;
    bool IsSorted();
    // Whether SetCapacity would accept n without raising.
    bool CapacityAllowed(int64_t n) const { return n >= FCount && n <= MaxCapacity; }

    // Unchecked access for loops that stay inside 0..Count-1.
    void* At(int index) const { return FBlocks[index / BlockSlots][index % BlockSlots]; }

    TProgressEvent OnProgress;

private:
    // Full blocks come from a pool of their own, so that a model's hundreds of megabytes of
    // slots go back to the system when it is cleared; a heap would keep them behind any small
    // allocation made after them.
    struct TBlockRelease {
        size_t Slots;
        void operator()(void** block) const noexcept;
    };
    using TBlock = std::unique_ptr<void*[], TBlockRelease>;
    static TBlock NewBlock(int slotsInBlock); // zeroed
    void ResizeLastBlock(int oldSlots, int newSlots);

    std::vector<TBlock> FBlocks; // the directory
    int FCount = 0;
    int FCapacity = 0;
};

// A list of TBaseObject references; it does not own them.
class TObjectList : public TBigList {
public:
    const char* ClassName() const override { return "TObjectList"; }
    TBaseObject* Objects(int index) const { return static_cast<TBaseObject*>(Get(index)); }
    int Add(TBaseObject* item) { return TBigList::Add(item); }
    // Frees every item in position order, then empties the list.
    void FreeAll();
};

// An object list that owns its items: clearing or removing a slot frees its item, and
// destroying the list frees them all.
class TOwnedObjectList : public TObjectList {
public:
    ~TOwnedObjectList() override;
    const char* ClassName() const override { return "TOwnedObjectList"; }
    void ClearSlot(int position) override;
};

// Index arrays for sorting: count + 2 words, a tag, the count and then the entries.
int32_t* NewIndexArray(int count, int first);
void FreeIndexArray(int32_t*& array);
using TIndexCompare = std::function<int(int, int)>;
using TIndexProgress = std::function<void(int)>;
void QuickSortIndex(int32_t* array, int left, int right, const TIndexCompare& compare,
                    const TIndexProgress& progress);
void InsertionSortIndex(int32_t* array, int left, int right, const TIndexCompare& compare);

// Casts a list item to the class a typed accessor promises; another class raises EInvalidCast.
template <class T> T* CheckedCast(TBaseObject* item);
#include "platform/Exceptions.h"
template <class T> T* CheckedCast(TBaseObject* item) {
    if (!item)
        return nullptr;
    T* typed = dynamic_cast<T*>(item);
    if (!typed)
        throw EInvalidCast();
    return typed;
}
