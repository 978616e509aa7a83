#include "ObjectPool.h"
#include "MeshArena.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <new>
#include <sys/mman.h>
#include <unistd.h>
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

// Places the pools' chunks in the arena, so that every pooled object has a compact reference.
// Nothing is reserved ahead: each chunk is mapped where it goes, so the process's address space
// grows only with what the pools hold. A chunk unmapped below the top is reused by the next
// chunk of its size; once no chunk is left, the arena starts again from its base.
class TArenaChunks {
public:
    char* Map(std::size_t bytes) {
        FFree.reserve(FLive + 1); // so that unmapping, which must not fail, never allocates
        char* place = Reused(bytes);
        for (;;) {
            if (!place)
                place = Fresh(bytes); // raises when the arena is full
            void* mapped = ::mmap(place, bytes, PROT_READ | PROT_WRITE,
                                  MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
            if (mapped == place)
                break;
            if (mapped != MAP_FAILED) {
                ::munmap(mapped, bytes); // an old system took the place only as a hint
                throw std::bad_alloc();
            }
            if (errno != EEXIST)
                throw std::bad_alloc();
            place = nullptr; // something else is mapped there: the next place is tried
        }
        ++FLive;
        // Large chunks ask for huge pages: a model of millions of objects otherwise spends
        // more time in page faults than in reading.
        if (bytes >= HugePage)
            ::madvise(place, bytes, MADV_HUGEPAGE);
        return place;
    }

    void Unmap(char* start, std::size_t bytes) noexcept {
        ::munmap(start, bytes);
        if (--FLive == 0) {
            FTop = 0;
            FFree.clear();
            FFree.shrink_to_fit();
        } else {
            FFree.push_back({start, bytes});
        }
    }

private:
    struct TPlace {
        char* Start;
        std::size_t Bytes;
    };

    char* Reused(std::size_t bytes) {
        for (TPlace& place : FFree)
            if (place.Bytes == bytes) {
                char* start = place.Start;
                place = FFree.back();
                FFree.pop_back();
                return start;
            }
        return nullptr;
    }

    char* Fresh(std::size_t bytes) {
        const std::size_t align = bytes >= HugePage ? HugePage : 1;
        const std::size_t start = (FTop + align - 1) / align * align;
        if (start > MeshArena::Bytes || MeshArena::Bytes - start < bytes)
            throw std::bad_alloc();
        FTop = start + bytes;
        return reinterpret_cast<char*>(MeshArena::Base + start);
    }

    std::size_t FTop = 0;      // offset of the arena's first never-used byte
    std::vector<TPlace> FFree; // unmapped places below the top
    std::size_t FLive = 0;     // chunks mapped
};

TArenaChunks& ArenaChunks() {
    static TArenaChunks* chunks = new TArenaChunks; // as long as the pools
    return *chunks;
}

class TFixedPool {
public:
    explicit TFixedPool(std::size_t size) : FSize(std::max(size, sizeof(void*))) {}
    ~TFixedPool() { ReleaseChunks(); }
    std::size_t ObjectSize() const { return FSize; }

    // An object counts as live only once it exists: a chunk that cannot be had leaves the
    // count as it was, so the pool still empties when the objects made before are freed.
    void* Allocate() {
        void* object;
        if (FFree) {
            object = FFree;
            FFree = *static_cast<void**>(FFree);
        } else {
            if (FNext == FEnd)
                AddChunk();
            object = FNext;
            FNext += FSize;
        }
        ++FLive;
        return object;
    }

    std::size_t MappedBytes() const {
        std::size_t bytes = 0;
        for (const TChunk& chunk : FChunks)
            bytes += chunk.Bytes;
        return bytes;
    }

    void Release(void* object) {
        *static_cast<void**>(object) = FFree;
        FFree = object;
        if (--FLive == 0)
            ReleaseChunks();
    }

private:
    struct TChunk {
        char* Start;
        std::size_t Bytes;
    };

    void AddChunk() {
        // Chunks grow from 64 objects to 8 MB, so a small model wastes little. They are mapped
        // from the system directly, so that freeing them gives the memory back at once, where
        // the C library's heap may keep it.
        const std::size_t bytes = ChunkBytes();
        FChunks.reserve(FChunks.size() + 1); // before the mapping, which nothing else would free
        char* chunk = ArenaChunks().Map(bytes);
        const std::size_t objects = bytes / FSize;
        FChunks.push_back({chunk, bytes});
        FNext = chunk;
        FEnd = chunk + objects * FSize;
        FAllocated += objects;
    }

    std::size_t ChunkBytes() const {
        const std::size_t wanted =
            std::min(std::max<std::size_t>(64, FAllocated) * FSize, MaxChunk);
        const std::size_t page = PageBytes();
        const std::size_t unit = wanted >= HugePage ? HugePage : page;
        return std::max(wanted / unit, std::size_t(1)) * unit;
    }

    static std::size_t PageBytes() {
        static const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        return page;
    }

    void ReleaseChunks() {
        for (const TChunk& chunk : FChunks)
            ArenaChunks().Unmap(chunk.Start, chunk.Bytes);
        FChunks.clear();
        FChunks.shrink_to_fit();
        FFree = nullptr;
        FNext = FEnd = nullptr;
        FAllocated = 0;
    }

    std::size_t FSize;
    std::vector<TChunk> FChunks;
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

// Pools are never destroyed before the objects they hold: they live for the whole process. They
// sit in static storage, not on the heap, where one small pool made during a read would pin the
// heap's end above everything the read allocated and keep it from being given back.
struct TPools {
    alignas(TFixedPool) unsigned char Storage[PoolCount][sizeof(TFixedPool)];
    std::array<TFixedPool*, PoolCount> Made{};
};

TPools& Pools() {
    static TPools pools;
    return pools;
}

TFixedPool* PoolFor(std::size_t size) {
    TPools& pools = Pools();
    const std::size_t rounded = Rounded(size);
    for (std::size_t i = 0; i < PoolCount; ++i) {
        TFixedPool*& pool = pools.Made[i];
        if (!pool)
            pool = new (pools.Storage[i]) TFixedPool(rounded);
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

std::size_t MappedBytes() {
    std::size_t bytes = 0;
    for (const TFixedPool* pool : Pools().Made)
        if (pool)
            bytes += pool->MappedBytes();
    return bytes;
}
} // namespace ObjectPool
