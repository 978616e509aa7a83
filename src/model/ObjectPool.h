#pragma once
// Fixed-size object pools for the mesh's many small objects. A model of millions of vertices
// and triangles allocates them one by one; carving them from large chunks saves the allocator's
// per-object overhead (a third of a triangle's size) and most of its time. A pool hands its
// chunks back once its last object is freed, which happens whenever a model is cleared.
#include <cstddef>

namespace ObjectPool {
void* Allocate(std::size_t size);
void Release(void* object, std::size_t size) noexcept;
// The bytes the pools hold from the system: 0 once every pooled object is freed.
std::size_t MappedBytes();
} // namespace ObjectPool
