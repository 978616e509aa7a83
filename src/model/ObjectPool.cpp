#include "ObjectPool.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <new>
#include <sys/mman.h>
#include <vector>

// Under AddressSanitizer every object gets its own allocation, so that a use after free or an
// overflow of a mesh object is caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool PoolsEnabled = false;
#else
constexpr bool PoolsEnabled = true;
#endif

namespace {
constexpr std::size_t HugePage = 2u << 20;
constexpr std::size_t MaxChunk = 8u << 20;

class TFixedPool {
public:
    explicit TFixedPool(std::size_t size) : FSize(std::max(size, sizeof(void*))) {}
    ~TFixedPool() { ReleaseChunks(); }
    std::size_t ObjectSize() const { return FSize; }

    void* Allocate() {
        ++FLive;
        if (FFree) {
            void* object = FFree;
            FFree = *static_cast<void**>(FFree);
            return object;
        }
        if (FNext == FEnd)
            AddChunk();
        void* object = FNext;
        FNext += FSize;
        return object;
    }

    void Release(void* object) {
        *static_cast<void**>(object) = FFree;
        FFree = object;
        if (--FLive == 0)
            ReleaseChunks();
    }

private:
    void AddChunk() {
        // Chunks grow from 64 objects to 8 MB, so a small model wastes little. Large chunks
        // ask for huge pages: a model of millions of objects otherwise spends more time in
        // page faults than in reading.
        std::size_t bytes = std::min(std::max<std::size_t>(64, FAllocated) * FSize, MaxChunk);
        char* chunk = nullptr;
        if (bytes >= HugePage) {
            bytes = bytes / HugePage * HugePage;
            chunk = static_cast<char*>(std::aligned_alloc(HugePage, bytes));
            if (chunk)
                ::madvise(chunk, bytes, MADV_HUGEPAGE);
        } else {
            chunk = static_cast<char*>(std::malloc(bytes));
        }
        if (!chunk)
            throw std::bad_alloc();
        const std::size_t objects = bytes / FSize;
        FChunks.push_back(chunk);
        FNext = chunk;
        FEnd = chunk + objects * FSize;
        FAllocated += objects;
    }

    void ReleaseChunks() {
        for (char* chunk : FChunks)
            std::free(chunk);
        FChunks.clear();
        FFree = nullptr;
        FNext = FEnd = nullptr;
        FAllocated = 0;
    }

    std::size_t FSize;
    std::vector<char*> FChunks;
    void* FFree = nullptr;
    char* FNext = nullptr;
    char* FEnd = nullptr;
    std::size_t FLive = 0;
    std::size_t FAllocated = 0;
};

constexpr std::size_t PoolCount = 8;
constexpr std::size_t Granule = alignof(double);

std::size_t Rounded(std::size_t size) {
    return (size + Granule - 1) / Granule * Granule;
}

TFixedPool* PoolFor(std::size_t size) {
    // Pools are never destroyed before the objects they hold: they live for the whole process.
    static std::array<TFixedPool*, PoolCount> pools{};
    const std::size_t rounded = Rounded(size);
    for (TFixedPool*& pool : pools) {
        if (!pool)
            pool = new TFixedPool(rounded);
        if (pool->ObjectSize() == rounded)
            return pool;
    }
    return nullptr;
}
} // namespace

namespace ObjectPool {
void* Allocate(std::size_t size) {
    if (TFixedPool* pool = PoolsEnabled ? PoolFor(size) : nullptr)
        return pool->Allocate();
    return ::operator new(size);
}

void Release(void* object, std::size_t size) noexcept {
    if (!object)
        return;
    if (TFixedPool* pool = PoolsEnabled ? PoolFor(size) : nullptr) {
        pool->Release(object);
        return;
    }
    ::operator delete(object);
}
} // namespace ObjectPool
