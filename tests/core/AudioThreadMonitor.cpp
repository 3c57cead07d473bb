#include "core/AudioThreadMonitor.h"

#include <pthread.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define THUDMOR_MONITOR_INTERPOSES 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define THUDMOR_MONITOR_INTERPOSES 0
#endif
#endif
#ifndef THUDMOR_MONITOR_INTERPOSES
#define THUDMOR_MONITOR_INTERPOSES 1
#endif

namespace
{
std::atomic<AudioThreadMonitor*> activeMonitor{ nullptr };
thread_local bool watched = false;

// Only the watched thread reports, and nothing it calls here may allocate or lock.
AudioThreadMonitor* monitorOfThisThread() noexcept
{
    return watched ? activeMonitor.load (std::memory_order_relaxed) : nullptr;
}
} // namespace

bool AudioThreadMonitor::isAvailable() noexcept { return THUDMOR_MONITOR_INTERPOSES != 0; }

AudioThreadMonitor::AudioThreadMonitor() noexcept
{
    AudioThreadMonitor* none = nullptr;
    const auto installed = activeMonitor.compare_exchange_strong (none, this);
    if (! installed)
        std::abort(); // one monitor at a time
}

AudioThreadMonitor::~AudioThreadMonitor() { activeMonitor.store (nullptr); }

AudioThreadMonitor::ScopedWatch::ScopedWatch (AudioThreadMonitor&) noexcept { watched = true; }

AudioThreadMonitor::ScopedWatch::~ScopedWatch() { watched = false; }

void AudioThreadMonitor::noteMutex (const void* mutex) noexcept
{
    const auto count = std::min (mutexCount.load(), capacity);
    for (size_t i = 0; i < count; ++i)
        if (mutexes[i].load (std::memory_order_relaxed) == mutex)
            return;

    const auto slot = mutexCount.fetch_add (1);
    if (slot < capacity)
        mutexes[slot].store (mutex);
    else
        overflow = true;
}

std::vector<const void*> AudioThreadMonitor::getMutexesLocked() const
{
    std::vector<const void*> result;
    for (size_t i = 0; i < std::min (mutexCount.load(), capacity); ++i)
        result.push_back (mutexes[i].load());
    return result;
}

#if THUDMOR_MONITOR_INTERPOSES
extern "C"
{
    void* __libc_malloc (size_t);
    void* __libc_calloc (size_t, size_t);
    void* __libc_realloc (void*, size_t);
    void* __libc_memalign (size_t, size_t);
    void __libc_free (void*);

    // glibc's own entry points behind the public names, bound by version.
    int thudmorRealMutexLock (pthread_mutex_t*);
    int thudmorRealMutexTryLock (pthread_mutex_t*);
    __asm__(".symver thudmorRealMutexLock, __pthread_mutex_lock@GLIBC_2.2.5");
    __asm__(".symver thudmorRealMutexTryLock, __pthread_mutex_trylock@GLIBC_2.2.5");
}

namespace
{
void noteAllocation() noexcept
{
    if (auto* monitor = monitorOfThisThread())
        monitor->noteAllocation();
}
} // namespace

extern "C"
{
    void* malloc (size_t size)
    {
        noteAllocation();
        return __libc_malloc (size);
    }

    void* calloc (size_t count, size_t size)
    {
        noteAllocation();
        return __libc_calloc (count, size);
    }

    void* realloc (void* memory, size_t size)
    {
        noteAllocation();
        return __libc_realloc (memory, size);
    }

    void free (void* memory) { __libc_free (memory); }

    void* memalign (size_t alignment, size_t size)
    {
        noteAllocation();
        return __libc_memalign (alignment, size);
    }

    void* aligned_alloc (size_t alignment, size_t size)
    {
        noteAllocation();
        return __libc_memalign (alignment, size);
    }

    int posix_memalign (void** result, size_t alignment, size_t size)
    {
        noteAllocation();
        if (alignment < sizeof (void*) || (alignment & (alignment - 1)) != 0)
            return EINVAL;
        *result = __libc_memalign (alignment, size);
        return *result != nullptr || size == 0 ? 0 : ENOMEM;
    }

    int pthread_mutex_lock (pthread_mutex_t* mutex)
    {
        if (auto* monitor = monitorOfThisThread())
            monitor->noteMutex (mutex);
        return thudmorRealMutexLock (mutex);
    }

    int pthread_mutex_trylock (pthread_mutex_t* mutex)
    {
        if (auto* monitor = monitorOfThisThread())
            monitor->noteMutex (mutex);
        return thudmorRealMutexTryLock (mutex);
    }
}
#endif
