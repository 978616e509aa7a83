#include "MeshArena.h"

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

namespace {
// The table of objects outside the arena, in blocks that are never moved, so that a reader
// needs no lock: a block's pointer is published only once the block holds its entries.
constexpr std::size_t BlockEntries = 1u << 16;
constexpr std::size_t MaxBlocks = (std::size_t(1) << 31) / BlockEntries;

struct TOutsideTable {
    std::mutex Lock;
    std::unordered_map<const void*, std::uint32_t> Numbers;
    std::array<std::atomic<void**>, MaxBlocks> Blocks{};
    std::uint32_t Count = 0;
};

TOutsideTable& Table() {
    static TOutsideTable* table = new TOutsideTable; // used until the very end of the process
    return *table;
}
} // namespace

namespace MeshArena {
std::uint32_t OutsideReference(const void* object) {
    TOutsideTable& table = Table();
    const std::lock_guard<std::mutex> hold(table.Lock);
    if (const auto known = table.Numbers.find(object); known != table.Numbers.end())
        return known->second;
    const std::uint32_t number = table.Count;
    if (number >= Outside)
        throw std::bad_alloc();
    std::atomic<void**>& block = table.Blocks[number / BlockEntries];
    if (!block.load(std::memory_order_relaxed))
        block.store(new void*[BlockEntries](), std::memory_order_release);
    block.load(std::memory_order_relaxed)[number % BlockEntries] = const_cast<void*>(object);
    table.Numbers.emplace(object, Outside | number);
    ++table.Count;
    return Outside | number;
}

void* OutsideObject(std::uint32_t reference) {
    const std::uint32_t number = reference & ~Outside;
    return Table().Blocks[number / BlockEntries].load(
        std::memory_order_acquire)[number % BlockEntries];
}
} // namespace MeshArena
