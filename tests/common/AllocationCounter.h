#pragma once

// Counts the heap allocations (any form of operator new) that the calling thread makes
// while the counter lives. Linking a test that uses it replaces the global operator new of
// that test executable; other threads are not counted.
class AllocationCounter
{
public:
    AllocationCounter() noexcept;
    ~AllocationCounter();

    AllocationCounter (const AllocationCounter&) = delete;
    AllocationCounter& operator= (const AllocationCounter&) = delete;

    [[nodiscard]] long getCount() const noexcept;

private:
    long startCount;
    bool wasCounting;
};
