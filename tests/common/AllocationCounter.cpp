#include "common/AllocationCounter.h"

#include <cstddef>
#include <cstdlib>
#include <new>

namespace
{
thread_local bool counting = false;
thread_local long allocations = 0;

void* allocate (std::size_t size, std::size_t alignment = 0)
{
    if (counting)
        ++allocations;

    if (size == 0)
        size = 1;

    void* memory = nullptr;
    if (alignment > alignof (std::max_align_t))
        memory = std::aligned_alloc (alignment, (size + alignment - 1) / alignment * alignment);
    else
        memory = std::malloc (size);

    if (memory == nullptr)
        throw std::bad_alloc();
    return memory;
}
} // namespace

AllocationCounter::AllocationCounter() noexcept
    : startCount (allocations)
    , wasCounting (counting)
{
    counting = true;
}

AllocationCounter::~AllocationCounter() { counting = wasCounting; }

long AllocationCounter::getCount() const noexcept { return allocations - startCount; }

void* operator new (std::size_t size) { return allocate (size); }
void* operator new[] (std::size_t size) { return allocate (size); }
void* operator new (std::size_t size, std::align_val_t alignment) { return allocate (size, (std::size_t) alignment); }
void* operator new[] (std::size_t size, std::align_val_t alignment) { return allocate (size, (std::size_t) alignment); }

void* operator new (std::size_t size, const std::nothrow_t&) noexcept
{
    try
    {
        return allocate (size);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

void* operator new[] (std::size_t size, const std::nothrow_t& tag) noexcept { return operator new (size, tag); }

void operator delete (void* memory) noexcept { std::free (memory); }
void operator delete[] (void* memory) noexcept { std::free (memory); }
void operator delete (void* memory, std::size_t) noexcept { std::free (memory); }
void operator delete[] (void* memory, std::size_t) noexcept { std::free (memory); }
void operator delete (void* memory, std::align_val_t) noexcept { std::free (memory); }
void operator delete[] (void* memory, std::align_val_t) noexcept { std::free (memory); }
void operator delete (void* memory, std::size_t, std::align_val_t) noexcept { std::free (memory); }
void operator delete[] (void* memory, std::size_t, std::align_val_t) noexcept { std::free (memory); }
void operator delete (void* memory, const std::nothrow_t&) noexcept { std::free (memory); }
void operator delete[] (void* memory, const std::nothrow_t&) noexcept { std::free (memory); }
