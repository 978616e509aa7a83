#pragma once
// Memory that the program has freed but the C library's heap still holds is handed back to the
// system: after a read that ran out of memory the next large allocation must not fail for it.
void ReturnFreeMemory() noexcept;

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <utility>

// A large array of plain values whose memory the system backs with huge pages where it can:
// hundreds of megabytes touched once cost a fault every 2 MiB instead of every 4 KiB.
void* AllocateLarge(std::size_t bytes); // raises std::bad_alloc
template <class T> class TLargeArray {
public:
    TLargeArray() = default;
    // Its values unwritten: for arrays the caller fills in full at once.
    explicit TLargeArray(std::size_t count)
        : FItems(static_cast<T*>(AllocateLarge(count * sizeof(T)))), FCount(count) {}
    TLargeArray(std::size_t count, T value)
        : FItems(static_cast<T*>(AllocateLarge(count * sizeof(T)))), FCount(count) {
        std::uninitialized_fill_n(FItems.get(), count, value);
    }
    T& operator[](std::size_t i) { return FItems[i]; }
    const T& operator[](std::size_t i) const { return FItems[i]; }
    T* data() { return FItems.get(); }
    const T* data() const { return FItems.get(); }
    std::size_t size() const { return FCount; }
    // The same memory as an array of another type of the same size, whose values the caller
    // has written there byte for byte (std::memcpy).
    template <class U> TLargeArray<U> Reinterpreted() && {
        static_assert(sizeof(U) == sizeof(T));
        TLargeArray<U> other;
        other.FItems.reset(reinterpret_cast<U*>(FItems.release()));
        other.FCount = std::exchange(FCount, 0);
        return other;
    }

private:
    template <class> friend class TLargeArray;
    struct TFree {
        void operator()(T* items) const { std::free(items); }
    };
    std::unique_ptr<T[], TFree> FItems;
    std::size_t FCount = 0;
};
