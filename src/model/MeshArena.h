#pragma once
// Compact references to the mesh's objects. A triangle refers to three vertices and three
// neighbours; as pointers they take 48 of a triangle's 64 bytes. The object pools place their
// chunks in one fixed range of addresses, the arena, so that a pooled object is named by its
// offset there in 8-byte steps: 4 bytes instead of 8.
//
// Objects elsewhere (on the stack, or every object when the pools are off under
// AddressSanitizer) are numbered in a table that only grows; their references have the top bit
// set. Expanding a reference never blocks, so drawing threads may expand them while the mesh
// does not change.
#include <cstddef>
#include <cstdint>

namespace MeshArena {
// 16 GB of addresses from 32 TB, far from where the system puts the program, its heap and its
// mappings: enough for the largest model a list can hold.
constexpr std::uintptr_t Base = std::uintptr_t(1) << 45;
constexpr std::size_t Bytes = std::size_t(1) << 34;
constexpr std::size_t Step = 8;
constexpr std::uint32_t Outside = 0x80000000u;

inline bool Contains(const void* object) {
    return reinterpret_cast<std::uintptr_t>(object) - Base < Bytes;
}

std::uint32_t OutsideReference(const void* object);
void* OutsideObject(std::uint32_t reference);

// 0 for null.
inline std::uint32_t Reference(const void* object) {
    if (Contains(object))
        return std::uint32_t((reinterpret_cast<std::uintptr_t>(object) - Base) / Step + 1);
    return object ? OutsideReference(object) : 0;
}

inline void* Object(std::uint32_t reference) {
    if (reference < Outside)
        return reference ? reinterpret_cast<void*>(Base + (reference - 1) * Step) : nullptr;
    return OutsideObject(reference);
}
} // namespace MeshArena
