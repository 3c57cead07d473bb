#include "engine/SampleLoader.h"

namespace
{
constexpr int idleWaitMilliseconds = 300;
constexpr int stopTimeoutMilliseconds = 1500;
constexpr auto slotCount = (std::uint64_t) SampleLoader::queueSlots;
} // namespace

SampleLoader::SampleLoader()
    : juce::Thread ("Sample Loader")
{
    for (std::uint64_t i = 0; i < slotCount; ++i)
        slots[i].sequence.store (i, std::memory_order_relaxed);
}

SampleLoader::~SampleLoader() { stopThread (stopTimeoutMilliseconds); }

void SampleLoader::startLoading()
{
    // 4 on the old 0 to 10 scale, just below the normal 5: loading must not compete with
    // the host's own worker threads, but should not starve either.
    startThread (juce::Thread::Priority::low);
}

bool SampleLoader::push (Job& job) noexcept
{
    if (job.queued.exchange (true, std::memory_order_acq_rel))
        return true;

    auto position = enqueuePosition.load (std::memory_order_relaxed);
    for (;;)
    {
        auto& slot = slots[position % slotCount];
        const auto sequence = slot.sequence.load (std::memory_order_acquire);
        const auto difference = (std::int64_t) (sequence - position);

        if (difference == 0)
        {
            if (enqueuePosition.compare_exchange_weak (position, position + 1, std::memory_order_relaxed))
            {
                slot.job.store (&job, std::memory_order_relaxed);
                slot.sequence.store (position + 1, std::memory_order_release);
                return true;
            }
        }
        else if (difference < 0)
        {
            job.queued.store (false, std::memory_order_release); // full
            return false;
        }
        else
        {
            position = enqueuePosition.load (std::memory_order_relaxed);
        }
    }
}

bool SampleLoader::hasRoom() const noexcept
{
    const auto position = enqueuePosition.load (std::memory_order_relaxed);
    return slots[position % slotCount].sequence.load (std::memory_order_acquire) == position;
}

bool SampleLoader::runOneJob()
{
    const juce::ScopedLock sl (consumerLock);

    const auto position = dequeuePosition.load (std::memory_order_relaxed);
    auto& slot = slots[position % slotCount];
    if (slot.sequence.load (std::memory_order_acquire) != position + 1)
        return false; // empty, or a producer has claimed the slot but not filled it yet

    auto* job = slot.job.exchange (nullptr, std::memory_order_relaxed);
    slot.sequence.store (position + slotCount, std::memory_order_release);
    dequeuePosition.store (position + 1, std::memory_order_relaxed);

    if (job != nullptr) // null when cancelled
    {
        job->run();
        job->queued.store (false, std::memory_order_release);
    }
    return true;
}

void SampleLoader::cancel (Job& job)
{
    const juce::ScopedLock sl (consumerLock);

    const auto end = enqueuePosition.load (std::memory_order_acquire);
    for (auto position = dequeuePosition.load (std::memory_order_relaxed); position != end; ++position)
    {
        auto& slot = slots[position % slotCount];
        if (slot.sequence.load (std::memory_order_acquire) == position + 1)
        {
            auto* expected = &job;
            slot.job.compare_exchange_strong (expected, nullptr, std::memory_order_relaxed);
        }
    }

    job.queued.store (false, std::memory_order_release);
}

void SampleLoader::runPendingJobs()
{
    while (runOneJob())
    {
    }
}

void SampleLoader::run()
{
    // Pushes come from the audio thread, which must not signal an event (that takes a lock),
    // so an idle loader only looks again after a short wait.
    while (! threadShouldExit())
        if (! runOneJob())
            wait (idleWaitMilliseconds);
}
