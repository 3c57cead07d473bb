#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <vector>

// Watches what one thread does while it is marked: every heap allocation (the malloc family,
// which operator new and JUCE's heap blocks both end in) and every pthread mutex it locks.
// The test executable interposes malloc and pthread_mutex_lock for this; sanitizer builds
// own those functions themselves, so there the monitor is unavailable and records nothing.
class AudioThreadMonitor final
{
public:
    [[nodiscard]] static bool isAvailable() noexcept;

    // Marks the calling thread as watched until the object goes.
    class ScopedWatch final
    {
    public:
        explicit ScopedWatch (AudioThreadMonitor& monitor) noexcept;
        ~ScopedWatch();
        ScopedWatch (const ScopedWatch&) = delete;
        ScopedWatch& operator= (const ScopedWatch&) = delete;
    };

    AudioThreadMonitor() noexcept;
    ~AudioThreadMonitor();
    AudioThreadMonitor (const AudioThreadMonitor&) = delete;
    AudioThreadMonitor& operator= (const AudioThreadMonitor&) = delete;

    [[nodiscard]] long getAllocations() const noexcept { return allocations.load(); }
    // Distinct mutexes locked by watched threads, by address.
    [[nodiscard]] std::vector<const void*> getMutexesLocked() const;
    // More distinct mutexes were locked than the monitor keeps.
    [[nodiscard]] bool overflowed() const noexcept { return overflow.load(); }

    // Called by the interposed functions.
    void noteAllocation() noexcept { allocations.fetch_add (1, std::memory_order_relaxed); }
    void noteMutex (const void* mutex) noexcept;

private:
    static constexpr size_t capacity = 64;
    std::atomic<long> allocations{ 0 };
    std::array<std::atomic<const void*>, capacity> mutexes{};
    std::atomic<size_t> mutexCount{ 0 };
    std::atomic<bool> overflow{ false };
};
